#pragma once

#include <cstdint>
#include <memory>

#include "common/DecodeStages.h"
#include "common/Plane.h"
#include "common/Surfaces.h"
#include "locate/FindPattern.h"

class TCoordinates;

// Has the symbol located in the binary plane and samples one pixel per module
// into an N x N matrix ([x][y], 1 = dark). Every sampling point inside the
// picture is painted red on AdjustImage, over the alignment grid that the
// location has just drawn there.
class TImageReader {
 public:
  explicit TImageReader(TSurfaces& surfaces, TDecodeObserver& observer = TDecodeObserver::Nobody());
  ~TImageReader();
  TImageReader(const TImageReader&) = delete;
  TImageReader& operator=(const TImageReader&) = delete;

  void SetWarp(std::int32_t value);
  void SetForceVersion(std::int32_t value);

  // 0 when a matrix was sampled, otherwise the code of the location (1). On a
  // non-zero code the matrix and size keep their earlier values.
  std::int32_t Read(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);
  // The same in two parts: the finder search, and the rest of the reading from
  // its result (see TCoordinates).
  TFinderResult SearchFinders(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height);
  std::int32_t Read(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height, const TFinderResult& finders);

  const TPlaneBoolean& Matrix() const { return matrix_; }
  std::int32_t Size() const { return size_; }
  std::int32_t LastResult() const { return lastResult_; }
  const TCoordinates& Coordinates() const { return *coordinates_; }

 private:
  TSurfaces& surfaces_;
  TDecodeObserver& observer_;
  std::unique_ptr<TCoordinates> coordinates_;
  TPlaneBoolean matrix_;
  std::int32_t size_ = 0;
  std::int32_t lastResult_ = 0;
};
