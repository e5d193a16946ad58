#include "report/PictureSource.h"

#include <sys/stat.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

#include "picture/PictureLoader.h"

namespace {

// ---- The header through libjpeg ----
//
// libjpeg reports a fatal error through error_exit, which would end the
// process: here it jumps back into ReadHeader, which holds no object with a
// destructor between the jump point and the call.

struct TErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void ErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<TErrors*>(info->err)->jump, 1); }
void Quiet(j_common_ptr, int) {}

constexpr int kExif = JPEG_APP0 + 1;
constexpr int kIccProfile = JPEG_APP0 + 2;

// What ShowsAsLoaded looks at in the header.
struct THeader {
  bool read = false;
  bool eightBit = false;
  bool huffman = false;
  bool greyOrYCbCr = false;
  bool colourProfile = false;
  // The EXIF blocks, each without its marker.
  std::vector<std::string> exif;
};

bool ReadHeader(jpeg_decompress_struct* info, TErrors* errors, std::string_view bytes, THeader* header) {
  if (setjmp(errors->jump)) return false;
  jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_save_markers(info, kExif, 0xFFFF);
  jpeg_save_markers(info, kIccProfile, 0xFFFF);
  if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
  header->eightBit = info->data_precision == 8;
  header->huffman = !info->arith_code;
  header->greyOrYCbCr = (info->jpeg_color_space == JCS_GRAYSCALE && info->num_components == 1) ||
                        (info->jpeg_color_space == JCS_YCbCr && info->num_components == 3);
  for (jpeg_saved_marker_ptr marker = info->marker_list; marker != nullptr; marker = marker->next) {
    const std::string_view data(reinterpret_cast<const char*>(marker->data), marker->data_length);
    if (marker->marker == kIccProfile && data.starts_with(std::string_view("ICC_PROFILE\0", 12))) header->colourProfile = true;
    if (marker->marker == kExif && data.starts_with(std::string_view("Exif\0\0", 6))) header->exif.emplace_back(data.substr(6));
  }
  header->read = true;
  return true;
}

THeader Header(std::string_view bytes) {
  THeader header;
  jpeg_decompress_struct info{};
  TErrors errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = ErrorExit;
  errors.manager.emit_message = Quiet;
  jpeg_create_decompress(&info);
  if (!ReadHeader(&info, &errors, bytes, &header)) header.read = false;
  jpeg_destroy_decompress(&info);
  return header;
}

// ---- EXIF orientation ----

// The orientation tag of the first image directory of a TIFF structure (the
// EXIF block), 1 when there is none, 0 when the structure is damaged.
int Orientation(std::string_view tiff) {
  if (tiff.size() < 8) return 0;
  const bool little = tiff.starts_with("II");
  if (!little && !tiff.starts_with("MM")) return 0;
  const auto byte = [&](std::size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(tiff[at])); };
  const auto u16 = [&](std::size_t at) { return little ? byte(at) | byte(at + 1) << 8 : byte(at) << 8 | byte(at + 1); };
  const auto u32 = [&](std::size_t at) {
    return little ? u16(at) | static_cast<unsigned long>(u16(at + 2)) << 16
                  : static_cast<unsigned long>(u16(at)) << 16 | u16(at + 2);
  };
  if (u16(2) != 42) return 0;
  const unsigned long directory = u32(4);
  if (directory > tiff.size() - 2) return 0;
  const unsigned entries = u16(directory);
  if (entries > (tiff.size() - directory - 2) / 12) return 0;
  constexpr unsigned kOrientationTag = 0x0112;
  constexpr unsigned kShort = 3;
  for (unsigned i = 0; i < entries; ++i) {
    const std::size_t entry = directory + 2 + 12 * static_cast<std::size_t>(i);
    if (u16(entry) != kOrientationTag) continue;
    if (u16(entry + 2) != kShort || u32(entry + 4) != 1) return 0;
    return static_cast<int>(u16(entry + 8));
  }
  return 1;
}

}  // namespace

bool ShowsAsLoaded(std::string_view jpeg) {
  const THeader header = Header(jpeg);
  if (!header.read || !header.eightBit || !header.huffman || !header.greyOrYCbCr || header.colourProfile) return false;
  for (const std::string& exif : header.exif)
    if (Orientation(exif) != 1) return false;
  return true;
}

TPictureSource::TPictureSource(std::string path) : path_(std::move(path)), stamp_(StampOf(path_)) {}

TPictureSource::TStamp TPictureSource::StampOf(const std::string& path) {
  struct stat status {};
  if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
  return {true,
          static_cast<unsigned long long>(status.st_dev),
          static_cast<unsigned long long>(status.st_ino),
          static_cast<long long>(status.st_size),
          static_cast<long long>(status.st_mtim.tv_sec),
          static_cast<long long>(status.st_mtim.tv_nsec)};
}

std::string TPictureSource::EmbeddableJpeg() const {
  const std::string extension = LowerCaseExtension(path_);
  if (!stamp_.valid || (extension != ".jpg" && extension != ".jpeg")) return {};
  std::ifstream file(path_, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // Read whole, and the same file as at the load both before and after the reading.
  if (!file.good() && !file.eof()) return {};
  if (StampOf(path_) != stamp_ || static_cast<long long>(bytes.size()) != stamp_.size) return {};
  return ShowsAsLoaded(bytes) ? bytes : std::string();
}
