// The whole decode through the facade, on a small picture and parameters taken
// from the input:
//   byte 0        pixel format: 0 = one bit a pixel (1 dark), rows padded to
//                 whole bytes; 1 = one grey byte a pixel; 2 = red, green, blue bytes
//   bytes 1-2     width, bytes 3-4 height (little-endian, modulo kMaxSide + 1)
//   bytes 5-16    Resolver, Warp, ForceVersion (any 32-bit values)
//   byte 17       bit 0: decode the same picture again with ForceVersion 0
//   the rest      the pixels, row after row; repeated from their start when they
//                 run out (no pixel bytes: a white picture)
// Every picture must end in a text or a failure with a message, without a
// crash, a sanitizer report, a hang or a memory blow-up.

#include <cstdint>
#include <cstdlib>

#include "DecodeChecks.h"
#include "FuzzInput.h"
#include "common/Bitmap.h"
#include "common/Surfaces.h"
#include "decoder/Veltrix.h"

namespace {

constexpr std::int32_t kMaxSide = 400;

TColor Grey(std::uint8_t level) { return level | (static_cast<TColor>(level) << 8) | (static_cast<TColor>(level) << 16); }

TBitmap MakePicture(std::uint8_t format, std::int32_t width, std::int32_t height, const std::uint8_t* pixels,
                    std::size_t size) {
  TBitmap picture(width, height);
  if (size == 0) return picture;
  std::size_t at = 0;
  auto next = [&]() {
    const std::uint8_t value = pixels[at];
    at = at + 1 == size ? 0 : at + 1;
    return value;
  };
  for (std::int32_t y = 0; y < height; ++y) {
    TColor* row = picture.MutableRow(y);
    std::uint8_t bits = 0;
    for (std::int32_t x = 0; x < width; ++x) {
      switch (format) {
        case 0:
          if (x % 8 == 0) bits = next();
          row[x] = (bits & (0x80 >> (x % 8))) ? kBlack : kWhite;
          break;
        case 1:
          row[x] = Grey(next());
          break;
        default: {
          const TColor red = next();
          const TColor green = next();
          const TColor blue = next();
          row[x] = red | (green << 8) | (blue << 16);
        }
      }
    }
  }
  return picture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::TFuzzInput input(data, size);
  const std::uint8_t format = input.Byte() % 3;
  const std::int32_t width = input.Uint16() % (kMaxSide + 1);
  const std::int32_t height = input.Uint16() % (kMaxSide + 1);
  const std::int32_t resolver = input.Int32();
  const std::int32_t warp = input.Int32();
  const std::int32_t forceVersion = input.Int32();
  const std::uint8_t flags = input.Byte();
  const TBitmap picture = MakePicture(format, width, height, input.Rest(), input.RestSize());

  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  veltrix.SetWarp(warp);
  veltrix.SetResolver(resolver);
  veltrix.SetForceVersion(forceVersion);
  for (int run = 0; run < ((flags & 1) ? 2 : 1); ++run) {
    if (run == 1) veltrix.SetForceVersion(0);
    const bool decoded = fuzzing::CheckedDecode(veltrix, picture);
    if (run == 0) fuzzing::CountReach(surfaces, decoded);
  }
  return 0;
}
