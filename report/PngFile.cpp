#include "report/PngFile.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace {

// ---- libpng ----
//
// libpng reports a failure by calling the error function, which must not
// return. Here it jumps back: every libpng call runs inside one of the small
// functions below, which set the jump point first and hold no object with a
// destructor, so the jump skips no C++ clean-up.

struct TPngSession {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::string* output = nullptr;
  char message[160] = {};

  ~TPngSession() {
    if (png != nullptr) png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  }
};

void PngError(png_structp png, png_const_charp message) {
  auto* session = static_cast<TPngSession*>(png_get_error_ptr(png));
  std::strncpy(session->message, message, sizeof session->message - 1);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* session = static_cast<TPngSession*>(png_get_io_ptr(png));
  bool appended = true;
  try {
    session->output->append(reinterpret_cast<const char*>(data), length);
  } catch (...) {
    appended = false;
  }
  if (!appended) png_error(png, "not enough memory for the PNG file");
}

void PngFlush(png_structp) {}

struct THeader {
  std::int32_t width;
  std::int32_t height;
  int depth;
  int colourType;
  const png_color* palette;
  int paletteSize;
  int filter;
  int strategy;
  int level;
};

bool PngBegin(TPngSession* session, const THeader* header) {
  session->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, session, PngError, PngWarning);
  if (session->png == nullptr) return false;
  if (setjmp(png_jmpbuf(session->png))) return false;
  session->info = png_create_info_struct(session->png);
  if (session->info == nullptr) return false;
  png_set_write_fn(session->png, session, PngWrite, PngFlush);
  png_set_IHDR(session->png, session->info, static_cast<png_uint_32>(header->width),
               static_cast<png_uint_32>(header->height), header->depth, header->colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (header->palette != nullptr) png_set_PLTE(session->png, session->info, header->palette, header->paletteSize);
  png_set_filter(session->png, PNG_FILTER_TYPE_BASE, header->filter);
  png_set_compression_strategy(session->png, header->strategy);
  png_set_compression_level(session->png, header->level);
  png_write_info(session->png, session->info);
  return true;
}

bool PngRow(TPngSession* session, const std::uint8_t* row) {
  if (setjmp(png_jmpbuf(session->png))) return false;
  png_write_row(session->png, row);
  return true;
}

bool PngEnd(TPngSession* session) {
  if (setjmp(png_jmpbuf(session->png))) return false;
  png_write_end(session->png, session->info);
  return true;
}

[[noreturn]] void Fail(const TPngSession& session) {
  throw std::runtime_error(std::string("cannot encode a PNG picture: ") +
                           (session.message[0] != '\0' ? session.message : "libpng failed"));
}

// ---- Colours ----

constexpr std::size_t kMaxPalette = 256;

std::uint8_t Red(TColor c) { return static_cast<std::uint8_t>(c & 0xFF); }
std::uint8_t Green(TColor c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
std::uint8_t Blue(TColor c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

// Adds the colour to the sorted palette; false once it would exceed 256 colours.
bool AddColour(std::vector<TColor>& palette, TColor colour) {
  const auto at = std::lower_bound(palette.begin(), palette.end(), colour);
  if (at != palette.end() && *at == colour) return true;
  if (palette.size() == kMaxPalette) return false;
  palette.insert(at, colour);
  return true;
}

std::uint8_t IndexOf(const std::vector<TColor>& palette, TColor colour) {
  return static_cast<std::uint8_t>(std::lower_bound(palette.begin(), palette.end(), colour) - palette.begin());
}

int DepthFor(std::size_t colours) {
  if (colours <= 2) return 1;
  if (colours <= 4) return 2;
  if (colours <= 16) return 4;
  return 8;
}

// Indexes of one row, packed `depth` bits each, the first pixel in the high bits.
void Pack(const std::uint8_t* indexes, std::int32_t width, int depth, std::uint8_t* out) {
  if (depth == 8) {
    std::memcpy(out, indexes, static_cast<std::size_t>(width));
    return;
  }
  const int perByte = 8 / depth;
  const std::size_t bytes = (static_cast<std::size_t>(width) * static_cast<std::size_t>(depth) + 7) / 8;
  std::memset(out, 0, bytes);
  for (std::int32_t x = 0; x < width; ++x) {
    const int shift = 8 - depth * (x % perByte + 1);
    out[x / perByte] = static_cast<std::uint8_t>(out[x / perByte] | (indexes[x] << shift));
  }
}

}  // namespace

TPngPicture::TPngPicture(const TBitmap& picture) {
  if (const auto plane = picture.SharedPlane()) {
    plane_ = plane;
    picture_ = TBitmap::FromSharedPlane(plane, picture.Width(), picture.Height());
    picture.ForEachPainted([&](std::int32_t x, std::int32_t y, TColor colour) {
      painted_.push_back({static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.Width()) +
                              static_cast<std::size_t>(x),
                          colour});
    });
  } else {
    picture_ = picture;
  }
}

std::size_t TPngPicture::Area() const {
  return static_cast<std::size_t>(picture_.Width()) * static_cast<std::size_t>(picture_.Height());
}

const TColor* TPngPicture::Row(std::int32_t y, TColor* scratch) const {
  const std::int32_t width = picture_.Width();
  if (!plane_) return picture_.ReadRow(y, scratch);
  const std::uint8_t* dark = plane_->Row(y);
  for (std::int32_t x = 0; x < width; ++x) scratch[x] = dark[x] ? kBlack : kWhite;
  const std::size_t first = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
  auto it = std::lower_bound(painted_.begin(), painted_.end(), first,
                             [](const auto& entry, std::size_t index) { return entry.first < index; });
  for (; it != painted_.end() && it->first < first + static_cast<std::size_t>(width); ++it)
    scratch[it->first - first] = it->second;
  return scratch;
}

std::string TPngPicture::Encode() const {
  const std::int32_t width = picture_.Width();
  const std::int32_t height = picture_.Height();
  if (picture_.Empty()) throw std::invalid_argument("an empty picture has no PNG file");
  std::vector<TColor> scratch(static_cast<std::size_t>(width));

  // The palette: black and white and the painted colours over a plane; the
  // colours of any other picture, found by reading it (a photograph shows
  // more than 256 within its first rows).
  std::vector<TColor> palette;
  bool indexed = true;
  if (plane_) {
    palette = {kBlack, kWhite};
    for (const auto& entry : painted_) indexed = indexed && AddColour(palette, entry.second);
  } else if (picture_.PackedRow(0) != nullptr) {
    indexed = false;
  } else {
    TColor last = ~picture_.Pixel(0, 0);
    for (std::int32_t y = 0; y < height && indexed; ++y) {
      const TColor* row = Row(y, scratch.data());
      for (std::int32_t x = 0; x < width && indexed; ++x)
        if (row[x] != last) {
          last = row[x];
          indexed = AddColour(palette, last);
        }
    }
  }

  std::string output;
  output.reserve(indexed ? Area() / 16 + 1024 : Area() + 1024);
  TPngSession session;
  session.output = &output;
  std::vector<png_color> colours;
  for (const TColor c : palette) colours.push_back({Red(c), Green(c), Blue(c)});
  // Palette pictures are mostly long runs of one index: run-length matching
  // compresses them as well as the default and several times faster. A
  // photograph compresses best as differences to the pixel on the left.
  const THeader header = indexed ? THeader{width, height, DepthFor(palette.size()), PNG_COLOR_TYPE_PALETTE,
                                           colours.data(), static_cast<int>(colours.size()), PNG_FILTER_NONE, Z_RLE, 6}
                                 : THeader{width, height, 8, PNG_COLOR_TYPE_RGB, nullptr, 0, PNG_FILTER_SUB, Z_RLE, 1};
  if (!PngBegin(&session, &header)) Fail(session);

  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * 3 + 1);
  std::vector<std::uint8_t> indexes(indexed ? static_cast<std::size_t>(width) : 0);
  const std::uint8_t black = indexed ? IndexOf(palette, kBlack) : 0;
  const std::uint8_t white = indexed ? IndexOf(palette, kWhite) : 0;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = bytes.data();
    if (indexed && plane_ && painted_.empty()) {
      // A bare plane: dark and light straight to their indexes.
      const std::uint8_t* dark = plane_->Row(y);
      for (std::int32_t x = 0; x < width; ++x) indexes[x] = dark[x] ? black : white;
      Pack(indexes.data(), width, header.depth, bytes.data());
    } else if (indexed) {
      const TColor* colours = Row(y, scratch.data());
      TColor last = colours[0];
      std::uint8_t index = IndexOf(palette, last);
      for (std::int32_t x = 0; x < width; ++x) {
        if (colours[x] != last) {
          last = colours[x];
          index = IndexOf(palette, last);
        }
        indexes[x] = index;
      }
      Pack(indexes.data(), width, header.depth, bytes.data());
    } else if (const std::uint8_t* packed = picture_.PackedRow(y)) {
      row = packed;
    } else {
      const TColor* colours = Row(y, scratch.data());
      for (std::int32_t x = 0; x < width; ++x) {
        bytes[3 * static_cast<std::size_t>(x)] = Red(colours[x]);
        bytes[3 * static_cast<std::size_t>(x) + 1] = Green(colours[x]);
        bytes[3 * static_cast<std::size_t>(x) + 2] = Blue(colours[x]);
      }
    }
    if (!PngRow(&session, row)) Fail(session);
  }
  if (!PngEnd(&session)) Fail(session);
  return output;
}

std::vector<std::string> EncodePngs(const std::vector<const TPngPicture*>& pictures, unsigned threads) {
  std::vector<std::string> files(pictures.size());
  std::vector<std::exception_ptr> failures(pictures.size());
  // The largest first, so that one large picture does not start last.
  std::vector<std::size_t> order(pictures.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return pictures[a]->Area() > pictures[b]->Area(); });
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t k = next++; k < order.size(); k = next++) {
      const std::size_t i = order[k];
      try {
        files[i] = pictures[i]->Encode();
      } catch (...) {
        failures[i] = std::current_exception();
      }
    }
  };
  std::vector<std::thread> helpers;
  const std::size_t extra = std::min<std::size_t>(threads > 0 ? threads - 1 : 0, pictures.size() > 0 ? pictures.size() - 1 : 0);
  try {
    for (std::size_t t = 0; t < extra; ++t) helpers.emplace_back(work);
  } catch (const std::system_error&) {
    // No further thread to be had: the threads started do the work.
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  return files;
}
