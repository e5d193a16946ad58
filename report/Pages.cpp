#include "report/Pages.h"

namespace {

TPagePane Picture(TImagePaneId id, std::string_view label = {}) { return {TPagePane::TKind::Image, id, {}, label}; }
TPagePane Modules(TImagePaneId id, std::string_view label = {}) {
  return {TPagePane::TKind::Image, id, {}, label, true};
}
TPagePane Text(TTextPaneId id, std::string_view label = {}) {
  return {TPagePane::TKind::Text, TImagePaneId::Image1, id, label};
}

}  // namespace

const std::vector<TPage>& Pages() {
  using enum TImagePaneId;
  using enum TTextPaneId;
  static const std::vector<TPage> pages = {
      {"TabSheet1", "読み込み画像", {Picture(Image1, "読み込み画像")}},
      {"TabSheet11", "位置検索", {Picture(FrontImage, "Resolver"), Picture(ClossLineImage, "位置検索パターン")}},
      {"TabSheet8", "タイミング", {Picture(TimeImage)}},
      {"TabSheet2", "デジタル処理画像", {Picture(Image2, "読み込み画像"), Modules(DigitImage, "デジタル処理結果")}},
      {"TabSheet7", "形式情報", {Text(ImgMemo, "形式情報")}},
      {"TabSheet9", "サンプリング", {Picture(AdjustImage, "サンプリング")}},
      {"TabSheet3", "マスク", {Modules(MaskImage, "マスク"), Modules(ResultImage, "マスク結果")}},
      {"TabSheet6", "BlockRead", {Text(BLMemo), Modules(BlockImage)}},
      {"TabSheet4", "ReedSolomon", {Text(RdSnMemo)}},
      {"TabSheet5", "結果表示", {Text(ResultMemo)}},
  };
  return pages;
}

const TPage& DiagnosisPage() {
  static const TPage page = {"TabSheet10", "診断", {}};
  return page;
}
