#include "PictureLoader.h"

#include "LoadChecks.h"
#include "PngReader.h"
#include "QtPicture.h"

#include <QImage>
#include <QImageReader>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include <sys/stat.h>

#include <jpeglib.h>
#include <jerror.h>

namespace {

using picture_loading::CheckFile;
using picture_loading::Fail;
using picture_loading::SizeReason;
using picture_loading::TooLarge;

// ---- JPEG through libjpeg ----
//
// libjpeg reports a fatal error by calling error_exit, which by default ends
// the process. Here it jumps back instead: every libjpeg call runs inside one
// of the small functions below, which set the jump point first and hold no
// object with a destructor, so the jump skips no C++ clean-up. Two warnings
// mean that the data ended early (a truncated file); they are treated as
// errors, so that a truncated picture is refused instead of coming out half grey.

struct TJpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info) {
  TJpegErrors* errors = reinterpret_cast<TJpegErrors*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

void JpegEmitMessage(j_common_ptr info, int level) {
  if (level >= 0) return;  // trace messages
  const int code = info->err->msg_code;
  if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER) JpegErrorExit(info);
  // Other warnings (extraneous bytes and the like) are common in camera
  // pictures and do not spoil the picture: they are counted and ignored.
  info->err->num_warnings++;
}

// Limits on what a file may cost to decode. A JPEG file can declare a huge
// picture and carry almost no data, and a progressive one can repeat its scans:
// libjpeg decodes every declared block in every scan all the same, so a file
// of a hundred bytes could take seconds.
//
// At most this many scans. libjpeg's own progression writes 10 (6 for grey)
// and other encoders about as many; each scan is one more pass over its
// blocks, 18 to 34 ns a block, so that refusing the 33rd scan takes about as
// long as loading an ordinary progressive picture of the same size.
constexpr int kMaxJpegScans = 32;
// Pictures up to this many blocks of 8 x 8 samples (16 megapixels of grey, 5
// to 11 of colour) load in about a tenth of a second whatever their data.
constexpr long long kFreeJpegBlocks = 1 << 18;
// Larger ones need a byte of image data (from the first scan on) per this many
// blocks. Huffman coding spends at least a bit on every block, at most 8 blocks
// a byte; only arithmetic coding of a flawless one-colour area costs nearly
// nothing, and a single small symbol on such a background at the largest
// accepted size still brings a byte per 1750 blocks.
constexpr long long kJpegBlocksPerByte = 4096;

struct TJpegSession {
  jpeg_decompress_struct info;
  TJpegErrors errors;
  jpeg_progress_mgr progress{};
  long long dataBytes = 0;  // from the first scan on
  std::FILE* file = nullptr;
  bool created = false;

  ~TJpegSession() {
    if (created) jpeg_destroy_decompress(&info);
    if (file != nullptr) std::fclose(file);
  }
};

// Reads the header and chooses the decoding parameters. False on a libjpeg error.
bool JpegReadHeader(TJpegSession* session) {
  jpeg_decompress_struct* info = &session->info;
  info->err = jpeg_std_error(&session->errors.manager);
  session->errors.manager.error_exit = JpegErrorExit;
  session->errors.manager.emit_message = JpegEmitMessage;
  session->errors.message[0] = '\0';
  if (setjmp(session->errors.jump)) return false;
  jpeg_create_decompress(info);
  session->created = true;
  jpeg_stdio_src(info, session->file);
  jpeg_read_header(info, TRUE);
  return true;
}

// libjpeg calls this before each piece of input it decodes, so a scan past
// the limit is refused before any of it is decoded.
void JpegProgress(j_common_ptr common) {
  const j_decompress_ptr info = reinterpret_cast<j_decompress_ptr>(common);
  if (info->input_scan_number <= kMaxJpegScans) return;
  TJpegErrors* errors = reinterpret_cast<TJpegErrors*>(info->err);
  std::snprintf(errors->message, JMSG_LENGTH_MAX, "more than %d scans", kMaxJpegScans);
  std::longjmp(errors->jump, 1);
}

// False when the frame has more blocks than the file's image data can plausibly code.
bool JpegPlausible(TJpegSession* session) {
  const jpeg_decompress_struct& info = session->info;
  struct stat status {};
  const long long fileSize = fstat(fileno(session->file), &status) == 0 ? static_cast<long long>(status.st_size) : 0;
  const long long read = std::ftell(session->file) - static_cast<long long>(info.src->bytes_in_buffer);
  session->dataBytes = std::max(0LL, fileSize - read);
  long long blocks = 0;
  for (int c = 0; c < info.num_components; ++c)
    blocks += static_cast<long long>(info.comp_info[c].width_in_blocks) * info.comp_info[c].height_in_blocks;
  return blocks <= std::max(kFreeJpegBlocks, kJpegBlocksPerByte * session->dataBytes);
}

bool JpegStart(TJpegSession* session) {
  jpeg_decompress_struct* info = &session->info;
  if (setjmp(session->errors.jump)) return false;
  // Best quality: block smoothing on, the accurate integer transform, full
  // size, no colour quantization; three bytes a pixel in the order red, green,
  // blue, which is the bitmap's packed form.
  info->do_block_smoothing = TRUE;
  info->dct_method = JDCT_ISLOW;
  info->scale_num = 1;
  info->scale_denom = 1;
  info->quantize_colors = FALSE;
  info->out_color_space = JCS_RGB;
  session->progress.progress_monitor = JpegProgress;
  info->progress = &session->progress;
  jpeg_start_decompress(info);
  return true;
}

// Decodes every row straight into the packed bitmap's bytes (3 x width a row).
bool JpegReadRows(TJpegSession* session, std::uint8_t* bytes, JDIMENSION width) {
  jpeg_decompress_struct* info = &session->info;
  if (setjmp(session->errors.jump)) return false;
  while (info->output_scanline < info->output_height) {
    JSAMPROW rows[1] = {bytes + static_cast<std::size_t>(info->output_scanline) * width * 3};
    if (jpeg_read_scanlines(info, rows, 1) != 1) return false;
  }
  jpeg_finish_decompress(info);
  return true;
}

std::string JpegReason(const TJpegSession& session) {
  if (session.errors.message[0] != '\0') return std::string("not a readable JPEG picture: ") + session.errors.message;
  return "not a readable JPEG picture";
}

TBitmap LoadJpeg(const std::string& path) {
  CheckFile(path);
  TJpegSession session;
  session.file = std::fopen(path.c_str(), "rb");
  if (session.file == nullptr) Fail(path, std::string("cannot open: ") + std::strerror(errno));
  if (!JpegReadHeader(&session)) Fail(path, JpegReason(session));

  const jpeg_decompress_struct& info = session.info;
  if (TooLarge(info.image_width, info.image_height)) Fail(path, SizeReason(info.image_width, info.image_height));
  switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      Fail(path, "CMYK JPEG pictures are not supported (only colour and greyscale)");
    default:
      Fail(path, "the JPEG colour space is not supported (only colour and greyscale)");
  }
  if (!JpegPlausible(&session))
    Fail(path, "not a readable JPEG picture: " + std::to_string(session.dataBytes) +
                   " bytes of image data are far too few for " + std::to_string(info.image_width) + " x " +
                   std::to_string(info.image_height) + " pixels");
  if (!JpegStart(&session)) Fail(path, JpegReason(session));
  if (info.output_components != 3 || TooLarge(info.output_width, info.output_height))
    Fail(path, "not a readable JPEG picture: unexpected output format");

  // libjpeg writes every row, so the picture is not filled first; packed, three
  // bytes a pixel, a photograph costs a quarter less memory than as colour values.
  TBitmap bitmap = TBitmap::PackedWithoutFill(static_cast<std::int32_t>(info.output_width),
                                              static_cast<std::int32_t>(info.output_height));
  std::uint8_t* bytes = bitmap.Empty() ? nullptr : bitmap.MutablePackedRow(0);
  if (bytes != nullptr && !JpegReadRows(&session, bytes, info.output_width)) Fail(path, JpegReason(session));
  return bitmap;
}

// ---- BMP through Qt ----

// What the BMP headers declare, read before Qt is asked: Qt refuses a huge
// size without saying why, and reads a file whose pixel rows are cut short
// as if the rest were there.
struct TBmpHeader {
  bool valid = false;
  long long width = 0;
  long long height = 0;
  // Where the pixel rows end when they are stored uncompressed; 0 when compressed.
  unsigned long long dataEnd = 0;
};

TBmpHeader PeekBmpHeader(const std::string& path) {
  TBmpHeader header;
  unsigned char bytes[34] = {};
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return header;
  const std::size_t read = std::fread(bytes, 1, sizeof bytes, file);
  std::fclose(file);
  auto u16 = [&bytes](int at) { return static_cast<unsigned>(bytes[at] | (bytes[at + 1] << 8)); };
  auto u32 = [&bytes](int at) {
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
  };
  if (read < 26 || bytes[0] != 'B' || bytes[1] != 'M') return header;
  const std::uint32_t offset = u32(10);
  const std::uint32_t infoSize = u32(14);
  unsigned bitsPerPixel = 0;
  std::uint32_t compression = 0;
  if (infoSize == 12) {
    header.width = u16(18);
    header.height = u16(20);
    bitsPerPixel = u16(24);
  } else if (infoSize >= 40 && read >= 34) {
    header.width = static_cast<std::int32_t>(u32(18));
    header.height = static_cast<std::int32_t>(u32(22));
    bitsPerPixel = u16(28);
    compression = u32(30);
  } else {
    return header;
  }
  header.valid = true;
  header.width = header.width < 0 ? -header.width : header.width;
  header.height = header.height < 0 ? -header.height : header.height;
  // Uncompressed rows (plain or with bit-field masks) are padded to four bytes.
  if ((compression == 0 || compression == 3 || compression == 6) && bitsPerPixel > 0 && bitsPerPixel <= 32) {
    const unsigned long long rowBytes = (static_cast<unsigned long long>(header.width) * bitsPerPixel + 31) / 32 * 4;
    header.dataEnd = offset + rowBytes * static_cast<unsigned long long>(header.height);
  }
  return header;
}

TBitmap LoadBmp(const std::string& path) {
  CheckFile(path);
  const TBmpHeader header = PeekBmpHeader(path);
  if (header.valid && TooLarge(header.width, header.height)) Fail(path, SizeReason(header.width, header.height));

  QImageReader reader(QString::fromLocal8Bit(path.c_str()), "bmp");
  // The extension decides the format; content of another kind is refused.
  reader.setDecideFormatFromContent(false);
  reader.setAutoDetectImageFormat(false);
  if (!header.valid || !reader.canRead()) Fail(path, "not a BMP picture");
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) Fail(path, "not a readable BMP picture: invalid size in the header");
  if (TooLarge(size.width(), size.height())) Fail(path, SizeReason(size.width(), size.height()));
  std::error_code error;
  const auto fileSize = std::filesystem::file_size(path, error);
  if (!error && header.dataEnd > fileSize) Fail(path, "not a readable BMP picture: the file is truncated");

  // Room for the largest accepted picture at four bytes a pixel.
  reader.setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)) + 64);
  QImage image;
  if (!reader.read(&image) || image.isNull())
    Fail(path, "not a readable BMP picture: " + reader.errorString().toStdString());
  return FromQImage(image);
}

}  // namespace

std::string LowerCaseExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return {};
  std::string extension = path.substr(dot);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension;
}

std::optional<TPictureFormat> FormatOfName(const std::string& path) {
  const std::string extension = LowerCaseExtension(path);
  for (const TPictureKind& kind : kPictureKinds)
    for (const char* named : kind.extensions)
      if (named != nullptr && extension == named) return kind.format;
  return std::nullopt;
}

std::vector<std::string> PictureExtensions() {
  std::vector<std::string> extensions;
  for (const TPictureKind& kind : kPictureKinds)
    for (const char* named : kind.extensions)
      if (named != nullptr) extensions.emplace_back(named);
  return extensions;
}

std::string PictureExtensionList() {
  const std::vector<std::string> extensions = PictureExtensions();
  std::string list;
  for (std::size_t i = 0; i < extensions.size(); ++i)
    list += (i == 0 ? "" : i + 1 == extensions.size() ? " or " : ", ") + extensions[i];
  return list;
}

bool IsPictureFileName(const std::string& path) { return FormatOfName(path).has_value(); }

std::optional<TBitmap> LoadPicture(const std::string& path) {
  const std::optional<TPictureFormat> format = FormatOfName(path);
  if (!format) return std::nullopt;
  switch (*format) {
    case TPictureFormat::Jpeg:
      return LoadJpeg(path);
    case TPictureFormat::Bmp:
      return LoadBmp(path);
    case TPictureFormat::Png:
      return LoadPng(path);
  }
  return std::nullopt;
}
