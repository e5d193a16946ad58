#include "Surfaces.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::array<std::string_view, kImagePaneCount> kImageNames = {
    "Image1",    "Image2",     "FrontImage", "ClossLineImage", "TimeImage",
    "AdjustImage", "DigitImage", "BlockImage", "MaskImage",     "ResultImage",
};
constexpr std::array<std::string_view, kTextPaneCount> kTextNames = {"ImgMemo", "BLMemo", "RdSnMemo",
                                                                     "ResultMemo"};

}  // namespace

std::string_view PaneName(TImagePaneId id) { return kImageNames[static_cast<std::size_t>(id)]; }
std::string_view PaneName(TTextPaneId id) { return kTextNames[static_cast<std::size_t>(id)]; }

TSurfaces::TSurfaces() {
  for (std::size_t i = 0; i < kImagePaneCount; ++i) images_[i] = &ownImages_[i];
  for (std::size_t i = 0; i < kTextPaneCount; ++i) texts_[i] = &ownTexts_[i];
}

void TSurfaces::SetStatus(int panel, const std::string& text) {
  if (panel == 0 || panel == 1) status_[static_cast<std::size_t>(panel)] = text;
}

std::string TSurfaces::Status(int panel) const {
  if (panel == 0 || panel == 1) return status_[static_cast<std::size_t>(panel)];
  return {};
}

TBitmap TSurfaces::PlanePicture(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) const {
  if (binaryPlane_ && binaryPlane_.get() == &plane) return TBitmap::FromSharedPlane(binaryPlane_, width, height);
  width = std::clamp(width, 0, plane.Width());
  height = std::clamp(height, 0, plane.Height());
  if (width == plane.Width() && height == plane.Height()) return TBitmap::FromPlane(plane);
  auto part = std::make_shared<TPlaneBoolean>();
  part->ResizeForOverwrite(width, height);
  for (std::int32_t y = 0; y < height; ++y) std::memcpy(part->Row(y), plane.Row(y), static_cast<std::size_t>(width));
  return TBitmap::FromSharedPlane(std::move(part), width, height);
}
