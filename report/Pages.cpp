#include "report/Pages.h"

#include <algorithm>

namespace {

// The window's grid: image panes of 420 x 420 on the left or the right, text
// panes from the top-left corner, each label above its pane.
constexpr int kPaneSize = 420;
constexpr int kLeftX = 32;
constexpr int kRightX = 496;
constexpr int kImageY = 56;
constexpr int kTextX = 24;
constexpr int kTextY = 48;
constexpr int kLabelY = 24;

TPagePane ImagePane(TImagePaneId id, int x, std::string_view label, bool modules) {
  return {.kind = TPagePane::TKind::Image, .image = id, .label = label, .labelAt = {x, kLabelY}, .at = {x, kImageY},
          .width = kPaneSize, .height = kPaneSize, .modules = modules};
}
TPagePane Left(TImagePaneId id, std::string_view label = {}) { return ImagePane(id, kLeftX, label, false); }
TPagePane Right(TImagePaneId id, std::string_view label = {}) { return ImagePane(id, kRightX, label, false); }
TPagePane LeftModules(TImagePaneId id, std::string_view label = {}) { return ImagePane(id, kLeftX, label, true); }
TPagePane RightModules(TImagePaneId id, std::string_view label = {}) { return ImagePane(id, kRightX, label, true); }
TPagePane TextPane(TTextPaneId id, int width, int height, TPagePane::TTextStyle style = TPagePane::TTextStyle::Plain,
                   std::string_view label = {}) {
  return {.kind = TPagePane::TKind::Text, .text = id, .label = label, .labelAt = {kTextX, kLabelY},
          .at = {kTextX, kTextY}, .width = width, .height = height, .style = style};
}

// A page whose manual section and explanation are named after it.
TPage Page(std::string_view name, std::string_view caption, std::vector<TPagePane> panes, TPageWork work,
           TPage::TBody body = TPage::TBody::Panes) {
  return {name, caption, body, std::move(panes), std::move(work), name, name};
}

}  // namespace

const std::vector<TPage>& Pages() {
  using enum TImagePaneId;
  using enum TTextPaneId;
  using enum TStep;
  using TKind = TPageWork::TKind;
  using TStyle = TPagePane::TTextStyle;
  static const std::vector<TPage> pages = {
      Page("TabSheet1", "読み込み画像", {Left(Image1, "読み込み画像")}, {TKind::Load, {}}),
      Page("TabSheet11", "位置検索", {Left(FrontImage, "Resolver"), Right(ClossLineImage, "位置検索パターン")},
           {TKind::Stages, {Binarization, FinderSearch}}),
      Page("TabSheet8", "タイミング", {Left(TimeImage)}, {TKind::Stages, {Version}}),
      Page("TabSheet2", "デジタル処理画像", {Left(Image2, "読み込み画像"), RightModules(DigitImage, "デジタル処理結果")},
           {TKind::Stages, {Matrix}}),
      Page("TabSheet7", "形式情報", {TextPane(ImgMemo, 500, 450, TStyle::Anchored, "形式情報")},
           {TKind::Stages, {Version, Format}, true}),
      Page("TabSheet9", "サンプリング", {Left(AdjustImage, "サンプリング")}, {TKind::Stages, {Corners, Sampling}}),
      Page("TabSheet3", "マスク", {LeftModules(MaskImage, "マスク"), RightModules(ResultImage, "マスク結果")},
           {TKind::Stages, {Mask}}),
      // The listing beside the matrix fills a frame of the image panes' size.
      Page("TabSheet6", "BlockRead", {TextPane(BLMemo, 441, 441), RightModules(BlockImage)}, {TKind::Stages, {BlockRead}}),
      Page("TabSheet4", "ReedSolomon", {TextPane(RdSnMemo, 905, 450, TStyle::Trace)},
           {TKind::Stages, {Correction}, true}),
      Page("TabSheet5", "結果表示", {TextPane(ResultMemo, 500, 450)}, {TKind::Outcome, {Data}, true}),
      // After the ten pages of the decoding, so that their order and the page in front stay.
      Page("TabSheet10", "診断", {}, {TKind::Outcome, {}, true}, TPage::TBody::Diagnosis),
  };
  return pages;
}

const TPage* FindPage(std::string_view objectName) {
  const auto found =
      std::find_if(Pages().begin(), Pages().end(), [&](const TPage& page) { return page.objectName == objectName; });
  return found == Pages().end() ? nullptr : &*found;
}

const TPage& OpeningPage() { return *FindPage("TabSheet11"); }
