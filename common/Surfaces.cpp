#include "Surfaces.h"

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
