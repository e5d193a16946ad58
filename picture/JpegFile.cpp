#include "JpegFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, which by default ends
// the process. Here it jumps back instead: each libjpeg call runs inside a
// function that sets the jump point first and holds no object with a
// destructor between the jump and its target, so that no C++ clean-up is skipped.
struct TErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
  TErrors* errors = reinterpret_cast<TErrors*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

// Warnings would only be printed; a file that ends early is an error here.
void EmitMessage(j_common_ptr info, int level) {
  if (level >= 0) return;
  if (info->err->msg_code == JWRN_JPEG_EOF) ErrorExit(info);
  info->err->num_warnings++;
}

void Watch(jpeg_error_mgr* manager) {
  jpeg_std_error(manager);
  manager->error_exit = ErrorExit;
  manager->emit_message = EmitMessage;
}

// The interleaved samples of one row: red, green, blue, or the grey mean.
void FillRow(const TBitmap& picture, std::int32_t y, bool grey, std::vector<TColor>& scratch, JSAMPLE* row) {
  const TColor* colours = picture.ReadRow(y, scratch.data());
  for (std::int32_t x = 0; x < picture.Width(); ++x) {
    const TColor c = colours[x];
    const int red = c & 0xFF, green = (c >> 8) & 0xFF, blue = (c >> 16) & 0xFF;
    if (grey) {
      row[x] = static_cast<JSAMPLE>((red + green + blue) / 3);
    } else {
      row[3 * x] = static_cast<JSAMPLE>(red);
      row[3 * x + 1] = static_cast<JSAMPLE>(green);
      row[3 * x + 2] = static_cast<JSAMPLE>(blue);
    }
  }
}

struct TEncoder {
  jpeg_compress_struct info{};
  TErrors errors{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<jpeg_scan_info> script;
  std::vector<TColor> scratch;
  std::vector<JSAMPLE> row;
  bool created = false;

  ~TEncoder() {
    if (created) jpeg_destroy_compress(&info);
    std::free(buffer);
  }
};

// The whole compression; false on a libjpeg error (its message in errors).
bool Compress(TEncoder* encoder, const TBitmap* picture, int quality, const TJpegCoding* coding) {
  jpeg_compress_struct* info = &encoder->info;
  info->err = &encoder->errors.manager;
  Watch(&encoder->errors.manager);
  if (setjmp(encoder->errors.jump)) return false;
  jpeg_create_compress(info);
  encoder->created = true;
  jpeg_mem_dest(info, &encoder->buffer, &encoder->size);
  info->image_width = static_cast<JDIMENSION>(picture->Width());
  info->image_height = static_cast<JDIMENSION>(picture->Height());
  info->input_components = coding->grey ? 1 : 3;
  info->in_color_space = coding->grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(info);
  jpeg_set_quality(info, quality, TRUE);
  info->arith_code = coding->arithmetic ? TRUE : FALSE;
  info->restart_in_rows = coding->restartRows;
  if (coding->progressive && coding->scans == 0) jpeg_simple_progression(info);
  if (coding->progressive && coding->scans > 0) {
    info->scan_info = encoder->script.data();
    info->num_scans = static_cast<int>(encoder->script.size());
  }
  jpeg_start_compress(info, TRUE);
  while (info->next_scanline < info->image_height) {
    FillRow(*picture, static_cast<std::int32_t>(info->next_scanline), coding->grey, encoder->scratch, encoder->row.data());
    JSAMPROW rows[1] = {encoder->row.data()};
    jpeg_write_scanlines(info, rows, 1);
  }
  jpeg_finish_compress(info);
  return true;
}

struct TDecoder {
  jpeg_decompress_struct info{};
  TErrors errors{};
  TBitmap picture;
  bool created = false;

  ~TDecoder() {
    if (created) jpeg_destroy_decompress(&info);
  }
};

// The whole decompression into decoder->picture; false on a libjpeg error.
bool Decompress(TDecoder* decoder, std::string_view bytes) {
  jpeg_decompress_struct* info = &decoder->info;
  info->err = &decoder->errors.manager;
  Watch(&decoder->errors.manager);
  if (setjmp(decoder->errors.jump)) return false;
  jpeg_create_decompress(info);
  decoder->created = true;
  jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(info, TRUE);
  info->out_color_space = JCS_RGB;
  jpeg_start_decompress(info);
  decoder->picture = TBitmap::PackedWithoutFill(static_cast<std::int32_t>(info->output_width),
                                                static_cast<std::int32_t>(info->output_height));
  while (info->output_scanline < info->output_height) {
    JSAMPROW rows[1] = {decoder->picture.MutablePackedRow(static_cast<std::int32_t>(info->output_scanline))};
    jpeg_read_scanlines(info, rows, 1);
  }
  jpeg_finish_decompress(info);
  return true;
}

}  // namespace

std::string EncodeJpeg(const TBitmap& picture, int quality, const TJpegCoding& coding) {
  if (picture.Empty()) throw TJpegError("cannot write an empty picture as JPEG");
  if (coding.scans > 64) throw TJpegError("at most 64 scans of single bands");
  TEncoder encoder;
  encoder.scratch.resize(static_cast<std::size_t>(picture.Width()));
  encoder.row.resize(static_cast<std::size_t>(picture.Width()) * 3);
  if (coding.progressive && coding.scans > 0) {
    const int components = coding.grey ? 1 : 3;
    jpeg_scan_info dc{};
    dc.comps_in_scan = components;
    for (int c = 0; c < components; ++c) dc.component_index[c] = c;
    encoder.script.push_back(dc);
    for (int band = 1; static_cast<int>(encoder.script.size()) < coding.scans; ++band) {
      jpeg_scan_info ac{};
      ac.comps_in_scan = 1;
      ac.Ss = ac.Se = band;
      encoder.script.push_back(ac);
    }
  }
  if (!Compress(&encoder, &picture, std::clamp(quality, 1, 100), &coding))
    throw TJpegError(std::string("cannot write the picture as JPEG: ") + encoder.errors.message);
  return std::string(reinterpret_cast<const char*>(encoder.buffer), encoder.size);
}

TBitmap DecodeJpeg(std::string_view bytes) {
  TDecoder decoder;
  if (bytes.empty() || !Decompress(&decoder, bytes))
    throw TJpegError(std::string("cannot read the JPEG picture: ") +
                     (bytes.empty() ? "no data" : decoder.errors.message));
  return decoder.picture;
}
