#include "PngReader.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/stat.h>

#include "LoadChecks.h"

namespace {

using picture_loading::CheckFile;
using picture_loading::Fail;
using picture_loading::SizeReason;
using picture_loading::TooLarge;

// libpng reports a failure by calling the error function, which must not
// return. Here it jumps back: every libpng call that may fail runs inside one
// of the small functions below, which set the jump point first and hold no
// object with a destructor, so the jump skips no C++ clean-up.

struct TPngSession {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::FILE* file = nullptr;
  long long dataBytes = 0;  // from the first image data chunk on
  char message[160] = {};

  ~TPngSession() {
    if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    if (file != nullptr) std::fclose(file);
  }
};

void PngError(png_structp png, png_const_charp message) {
  auto* session = static_cast<TPngSession*>(png_get_error_ptr(png));
  std::snprintf(session->message, sizeof session->message, "%s", message);
  png_longjmp(png, 1);
}

// Warnings (ancillary chunks with a bad checksum, data after the picture) do
// not spoil the picture.
void PngWarning(png_structp, png_const_charp) {}

// The file ending before libpng has what it asks for is a truncated file,
// the data missing at the end included.
void PngRead(png_structp png, png_bytep data, png_size_t length) {
  auto* session = static_cast<TPngSession*>(png_get_io_ptr(png));
  if (std::fread(data, 1, length, session->file) == length) return;
  png_error(png, std::ferror(session->file) ? "the file cannot be read" : "the file is truncated");
}

constexpr std::size_t kSignatureBytes = 8;

// Reads up to the first image data. Every chunk but the header, palette,
// transparency and image data is skipped unread: text, colour profiles and
// the like need decompressing and change nothing that is shown.
bool PngReadHeader(TPngSession* session) {
  session->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, session, PngError, PngWarning);
  if (session->png == nullptr) return false;
  if (setjmp(png_jmpbuf(session->png))) return false;
  session->info = png_create_info_struct(session->png);
  if (session->info == nullptr) return false;
  png_set_read_fn(session->png, session, PngRead);
  png_set_sig_bytes(session->png, kSignatureBytes);
  png_set_keep_unknown_chunks(session->png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  // The size limit is the loader's own, on the area; libpng's is on each side.
  png_set_user_limits(session->png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_read_info(session->png, session->info);
  return true;
}

// A deflate stream codes at most 258 bytes with one length and distance pair
// of at least two bits, so a byte of compressed data holds at most 1032 bytes
// of rows (each row a filter byte and its samples).
constexpr long long kDeflateBytesPerByte = 1032;

// False when the rest of the file is too short to hold the declared rows.
bool PngPlausible(TPngSession* session) {
  struct stat status {};
  const long long fileSize = fstat(fileno(session->file), &status) == 0 ? static_cast<long long>(status.st_size) : 0;
  session->dataBytes = std::max(0LL, fileSize - std::ftell(session->file));
  const long long rowBytes = static_cast<long long>(png_get_rowbytes(session->png, session->info)) + 1;
  return static_cast<long long>(png_get_image_height(session->png, session->info)) * rowBytes <=
         kDeflateBytesPerByte * session->dataBytes;
}

// Rows as 8-bit red, green, blue and, when the file has transparency, alpha.
// Returns the number of passes over the rows (7 for an interlaced file).
int PngStart(TPngSession* session) {
  if (setjmp(png_jmpbuf(session->png))) return 0;
  png_set_expand(session->png);  // palette to colours, small grey samples to 8 bits, transparency to alpha
  png_set_scale_16(session->png);
  png_set_gray_to_rgb(session->png);
  const int passes = png_set_interlace_handling(session->png);
  png_read_update_info(session->png, session->info);
  return passes;
}

// White behind a sample of the given opacity, rounded to the nearest.
std::uint8_t OnWhite(unsigned sample, unsigned alpha) {
  return static_cast<std::uint8_t>((sample * alpha + 255 * (255 - alpha) + 127) / 255);
}

// Every row, every pass, straight into the packed picture's rows (3 x width
// bytes each), or through `scratch` (4 x width bytes) when composed onto
// white; then the rest of the file up to its end.
bool PngReadRows(TPngSession* session, int passes, std::uint8_t* bytes, png_uint_32 width, png_uint_32 height,
                 std::uint8_t* scratch) {
  if (setjmp(png_jmpbuf(session->png))) return false;
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  for (int pass = 0; pass < passes; ++pass) {
    // An interlaced file fills one pass's columns of one pass's rows at a time.
    const png_uint_32 first = passes > 1 ? PNG_PASS_START_COL(pass) : 0;
    const png_uint_32 step = passes > 1 ? 1u << PNG_PASS_COL_SHIFT(pass) : 1;
    for (png_uint_32 y = 0; y < height; ++y) {
      std::uint8_t* row = bytes + y * stride;
      if (scratch == nullptr) {
        png_read_row(session->png, row, nullptr);
        continue;
      }
      png_read_row(session->png, scratch, nullptr);
      if (passes > 1 && !PNG_ROW_IN_INTERLACE_PASS(y, pass)) continue;
      for (png_uint_32 x = first; x < width; x += step) {
        const std::uint8_t* pixel = scratch + 4 * static_cast<std::size_t>(x);
        for (int c = 0; c < 3; ++c) row[3 * static_cast<std::size_t>(x) + c] = OnWhite(pixel[c], pixel[3]);
      }
    }
  }
  png_read_end(session->png, nullptr);
  return true;
}

std::string PngReason(const TPngSession& session) {
  if (session.message[0] != '\0') return std::string("not a readable PNG picture: ") + session.message;
  return "not a readable PNG picture";
}

}  // namespace

TBitmap LoadPng(const std::string& path) {
  CheckFile(path);
  TPngSession session;
  session.file = std::fopen(path.c_str(), "rb");
  if (session.file == nullptr) Fail(path, std::string("cannot open: ") + std::strerror(errno));
  png_byte signature[kSignatureBytes] = {};
  if (std::fread(signature, 1, kSignatureBytes, session.file) != kSignatureBytes ||
      png_sig_cmp(signature, 0, kSignatureBytes) != 0)
    Fail(path, "not a PNG picture");
  if (!PngReadHeader(&session)) Fail(path, PngReason(session));

  const png_uint_32 width = png_get_image_width(session.png, session.info);
  const png_uint_32 height = png_get_image_height(session.png, session.info);
  if (TooLarge(width, height)) Fail(path, SizeReason(width, height));
  if (!PngPlausible(&session))
    Fail(path, "not a readable PNG picture: " + std::to_string(session.dataBytes) +
                   " bytes of image data are far too few for " + std::to_string(width) + " x " +
                   std::to_string(height) + " pixels");
  const int passes = PngStart(&session);
  if (passes == 0) Fail(path, PngReason(session));
  const int channels = png_get_channels(session.png, session.info);
  if ((channels != 3 && channels != 4) || png_get_bit_depth(session.png, session.info) != 8)
    Fail(path, "not a readable PNG picture: unexpected output format");

  // Every pixel is written, so the picture is not filled first.
  TBitmap bitmap = TBitmap::PackedWithoutFill(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
  std::vector<std::uint8_t> scratch(channels == 4 ? static_cast<std::size_t>(width) * 4 : 0);
  std::uint8_t* bytes = bitmap.Empty() ? nullptr : bitmap.MutablePackedRow(0);
  if (bytes != nullptr && !PngReadRows(&session, passes, bytes, width, height, channels == 4 ? scratch.data() : nullptr))
    Fail(path, PngReason(session));
  return bitmap;
}
