#pragma once

#include <cstdint>
#include <memory>

#include "common/Bitmap.h"
#include "common/DecodeStages.h"
#include "common/Diagnosis.h"
#include "common/Plane.h"
#include "common/Surfaces.h"

// The binarizer: turns the colour picture into the binary plane every later
// stage works on (True = dark), with one global threshold taken from the mean
// grey level of the middle row, and shows the result on the FrontImage pane.
class TFrontImage {
 public:
  explicit TFrontImage(TSurfaces& surfaces, TDecodeObserver& observer = TDecodeObserver::Nobody());

  // The offset until one is written; the window and the command line preset it too.
  static constexpr std::int32_t kInitialOffset = 7;
  // The offset added to every grey level before it is compared with the threshold.
  std::int32_t Offset() const { return offset_; }
  void SetOffset(std::int32_t value) { offset_ = value; }

  // Binarizes the colours (0x00BBGGRR, plane of width x height) and replaces the
  // FrontImage picture with the result. The returned plane stays owned by this
  // object and is valid until the next call.
  //
  // The threshold needs at least two columns and one row; the empty 0 x 0
  // picture is the one smaller size allowed (threshold 0, empty plane). Any
  // other smaller size, or a colour plane of another size, throws
  // std::invalid_argument: the caller refuses such pictures before.
  const TPlaneBoolean& Binarize(const TPlaneInteger& colours, std::int32_t width, std::int32_t height);
  // The same, reading the colours straight from the picture's rows.
  const TPlaneBoolean& Binarize(const TBitmap& picture);

  // True when Binarize can handle a picture of this size.
  static bool CanBinarize(std::int32_t width, std::int32_t height);

  // The FrontImage picture shares the plane's pixels, and so do the pictures
  // that later stages make of it (TSurfaces::PlanePicture).

  // Grey level 0 to 255 of a 0x00BBGGRR colour (weights 30, 59 and 11 per cent, truncated).
  static std::int32_t Grey(std::int32_t colour) {
    const std::int32_t red = colour & 0xFF;
    const std::int32_t green = (colour >> 8) & 0xFF;
    const std::int32_t blue = (colour >> 16) & 0xFF;
    return (30 * red + 59 * green + 11 * blue) / 100;
  }

  // The plane of the last Binarize, for holders that keep it beyond the next
  // call (which then makes a new plane instead of writing into this one).
  std::shared_ptr<const TPlaneBoolean> SharedPlane() const { return binary_; }

  // Pixels of the picture at each grey level: a pass of its own over the
  // picture, which a decode does not make (only asked for when shown).
  static TGreyHistogram GreyHistogram(const TBitmap& picture);

  // The threshold of the last Binarize.
  std::int32_t Threshold() const { return threshold_; }

 private:
  // rowOf(y)(x) gives 30 red + 59 green + 11 blue of pixel x of row y.
  template <typename RowOf>
  const TPlaneBoolean& BinarizeRows(std::int32_t width, std::int32_t height, RowOf rowOf);

  TSurfaces& surfaces_;
  TDecodeObserver& observer_;
  // Shared with the pictures of the plane; a new plane is made whenever a
  // picture of the previous one is still held.
  std::shared_ptr<TPlaneBoolean> binary_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t offset_ = kInitialOffset;
  std::int32_t threshold_ = 0;
};
