#include "ImageReader.h"

#include "common/Bitmap.h"
#include "common/Diagnosis.h"
#include "locate/Coordinates.h"
#include "symbol/Versions.h"

TImageReader::TImageReader(TSurfaces& surfaces, TDecodeObserver& observer)
    : surfaces_(surfaces), observer_(observer), coordinates_(std::make_unique<TCoordinates>(surfaces, observer)) {}

TImageReader::~TImageReader() = default;

void TImageReader::SetWarp(std::int32_t value) { coordinates_->SetWarp(value); }

void TImageReader::SetForceVersion(std::int32_t value) { coordinates_->SetForceVersion(value); }

std::int32_t TImageReader::Read(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  return Read(plane, width, height, SearchFinders(plane, width, height));
}

TFinderResult TImageReader::SearchFinders(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  return coordinates_->SearchFinders(plane, width, height);
}

std::int32_t TImageReader::Read(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                const TFinderResult& finders) {
  lastResult_ = coordinates_->Locate(plane, width, height, finders);
  if (lastResult_ > 0) return lastResult_;

  const auto size = static_cast<std::int32_t>(SymbolSide(coordinates_->GetVersion()));
  // A fresh, all-light matrix: nothing of an earlier read survives.
  matrix_.Resize(size, size, 0);
  size_ = size;
  TBitmap& picture = surfaces_.Image(TImagePaneId::AdjustImage).CurrentPicture();
  TSamplingFigures figures;
  figures.size = size;
  figures.alignmentNodes = coordinates_->Grid().Width() * coordinates_->Grid().Height();
  figures.largestShift = coordinates_->LargestGridShift();
  for (std::int32_t y = 0; y < size; ++y) {
    for (std::int32_t x = 0; x < size; ++x) {
      const TPoint at = coordinates_->GetSamplePoint(plane, x, y);
      // A module whose sampling point falls outside the picture stays light.
      if (at.x < 0 || at.y < 0 || at.x >= width || at.y >= height) {
        ++figures.outside;
        continue;
      }
      picture.SetPixel(at.x, at.y, kRed);
      matrix_[x][y] = plane[at.x][at.y];
    }
  }
  observer_.Sampled(figures);
  return 0;
}
