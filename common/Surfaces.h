#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Bitmap.h"

// The display surfaces on which the stages show their work: named image panes,
// text panes and the two status panels. A front end owns one TSurfaces (or a
// subclass that forwards the changes to its widgets) and hands it to the
// decode facade; stages reach the panes only through it.

enum class TImagePaneId {
  Image1,
  Image2,
  FrontImage,
  ClossLineImage,
  TimeImage,
  AdjustImage,
  DigitImage,
  BlockImage,
  MaskImage,
  ResultImage,
};
inline constexpr std::size_t kImagePaneCount = 10;

enum class TTextPaneId { ImgMemo, BLMemo, RdSnMemo, ResultMemo };
inline constexpr std::size_t kTextPaneCount = 4;

// The pane's name as the window knows it ("FrontImage", "RdSnMemo", ...).
std::string_view PaneName(TImagePaneId id);
std::string_view PaneName(TTextPaneId id);

class TImagePane {
 public:
  virtual ~TImagePane() = default;
  // The pane keeps its own copy; the caller keeps its bitmap.
  virtual void ReplacePicture(const TBitmap& picture) { picture_ = picture; }
  // The picture shown now, painted in place by the stages that mark points.
  TBitmap& CurrentPicture() { return picture_; }
  const TBitmap& CurrentPicture() const { return picture_; }

 private:
  TBitmap picture_;
};

class TTextPane {
 public:
  virtual ~TTextPane() = default;
  // Lines are UTF-8.
  virtual void AppendLine(const std::string& line) { lines_.push_back(line); }
  virtual void Clear() { lines_.clear(); }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

class TSurfaces {
 public:
  TSurfaces();
  virtual ~TSurfaces() = default;
  TSurfaces(const TSurfaces&) = delete;
  TSurfaces& operator=(const TSurfaces&) = delete;

  TImagePane& Image(TImagePaneId id) { return *images_[static_cast<std::size_t>(id)]; }
  const TImagePane& Image(TImagePaneId id) const { return *images_[static_cast<std::size_t>(id)]; }
  TTextPane& Text(TTextPaneId id) { return *texts_[static_cast<std::size_t>(id)]; }
  const TTextPane& Text(TTextPaneId id) const { return *texts_[static_cast<std::size_t>(id)]; }

  // The binary plane of the current analysis, which several panes show: the
  // pictures PlanePicture makes of it share its pixels instead of holding four
  // bytes a pixel each.
  void ShareBinaryPlane(std::shared_ptr<const TPlaneBoolean> plane) { binaryPlane_ = std::move(plane); }
  // The plane drawn black (dark) on white, cut to width x height (each clamped
  // to the plane's own size). Over the shared binary plane when `plane` is that
  // plane, otherwise over a copy of the part shown.
  TBitmap PlanePicture(const TPlaneBoolean& plane, std::int32_t width, std::int32_t height) const;

  // Status panels 0 and 1; other indexes are ignored.
  virtual void SetStatus(int panel, const std::string& text);
  std::string Status(int panel) const;

 protected:
  // A front end that shows the panes in widgets installs its own pane objects here.
  void InstallImagePane(TImagePaneId id, TImagePane* pane) { images_[static_cast<std::size_t>(id)] = pane; }
  void InstallTextPane(TTextPaneId id, TTextPane* pane) { texts_[static_cast<std::size_t>(id)] = pane; }

 private:
  std::array<TImagePane, kImagePaneCount> ownImages_;
  std::array<TTextPane, kTextPaneCount> ownTexts_;
  std::array<TImagePane*, kImagePaneCount> images_{};
  std::array<TTextPane*, kTextPaneCount> texts_{};
  std::array<std::string, 2> status_;
  std::shared_ptr<const TPlaneBoolean> binaryPlane_;
};
