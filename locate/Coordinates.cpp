#include "Coordinates.h"

#include <cmath>
#include <string>

#include "common/Diagnosis.h"
#include "common/Errors.h"
#include "locate/FindPattern.h"

// The location as a whole: the finder search, then the version decision
// (VersionDecision.cpp), the corners and frame (SymbolFrame.cpp) and the
// alignment grid (SamplingGrid.cpp), each in a file of its own.

TCoordinates::TCoordinates(TSurfaces& surfaces, TDecodeObserver& observer)
    : surfaces_(surfaces), observer_(observer), finder_(std::make_unique<TFindPattern>(surfaces, observer)) {}

TCoordinates::~TCoordinates() = default;

namespace {

void CheckPlaneSize(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  if (width != plane.Width() || height != plane.Height()) {
    throw TDecodeError("Locate: the given size " + std::to_string(width) + " x " + std::to_string(height) +
                       " does not match the plane");
  }
}

}  // namespace

std::int32_t TCoordinates::Locate(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  return Locate(plane, width, height, SearchFinders(plane, width, height));
}

TFinderResult TCoordinates::SearchFinders(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) {
  CheckPlaneSize(plane, width, height);
  TFinderResult result;
  result.code = finder_->Search(plane, width, height);
  for (std::int32_t i = 0; i < 3; ++i) result.centres[static_cast<std::size_t>(i)] = finder_->GetPattern(i);
  return result;
}

std::int32_t TCoordinates::Locate(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                  const TFinderResult& finders) {
  CheckPlaneSize(plane, width, height);
  if (finders.code > 0) return finders.code;
  return LocateFromCentres(plane, width, height, finders.centres[0], finders.centres[1], finders.centres[2]);
}

std::int32_t TCoordinates::LocateFromCentres(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height,
                                             TPoint p0, TPoint p1, TPoint p2) {
  observer_.Enter(TStage::Version);
  SetCentres(p0, p1, p2);
  TVersionFigures figures;
  const bool settled = DecideVersion(plane, width, height, figures);
  observer_.VersionDecided(figures);
  if (!settled) return 1;
  surfaces_.Text(TTextPaneId::ImgMemo).AppendLine("型番 " + std::to_string(version_));

  MeasureVersion(version_);
  observer_.Enter(TStage::Corners);
  try {
    FrameSymbol(plane, width, height);
  } catch (...) {
    // What the corner search found up to the failure, then the failure on its way.
    observer_.CornersFound(cornerFigures_);
    throw;
  }
  observer_.CornersFound(cornerFigures_);
  // A failed framing has left the previous alignment positions and grid.
  observer_.Enter(TStage::Sampling);
  PlaceSeeds(version_);
  BuildAlignmentGrid(plane, width, height);
  DrawAdjustImage(plane, width, height);
  return 0;
}

void TCoordinates::SetCentres(TPoint p0, TPoint p1, TPoint p2) {
  p_[0] = p0;
  p_[1] = p1;
  p_[2] = p2;
  model_.emplace(p0, p1, p2);
}

void TCoordinates::SettleVersion(std::int32_t version) {
  MeasureVersion(version);
  PlaceSeeds(version);
}

void TCoordinates::MeasureVersion(std::int32_t version) {
  version_ = version;
  if (model_) {
    model_->SetVersion(version);
    pitch1_ = model_->GetModuleWidthX();
    pitch2_ = model_->GetModuleWidthY();
    angle1_ = model_->GetAngleX();
    angle2_ = model_->GetAngleY();
    cos1_ = cosl(angle1_);
    sin1_ = sinl(angle1_);
    cos2_ = cosl(angle2_);
    sin2_ = sinl(angle2_);
  }
}

void TCoordinates::PlaceSeeds(std::int32_t version) {
  seeds_.reset();
  positions_.clear();
  seeds_.emplace(version);
  for (std::int32_t i = 0; i < seeds_->Count(); ++i) positions_.push_back(seeds_->Position(i));
  grid_.Clear();
}

TPoint TCoordinates::Centre(std::int32_t index) const {
  if (index < 0 || index > 2) return TPoint{};
  return p_[index];
}

TPoint TCoordinates::Corner(std::int32_t index) const {
  if (index < 0 || index > 3) return TPoint{};
  return c_[index];
}
