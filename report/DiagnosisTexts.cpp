#include "report/DiagnosisTexts.h"

#include <algorithm>
#include <array>
#include <bitset>

#include "common/Messages.h"
#include "common/Rounding.h"

namespace {

std::string N(std::int64_t value) { return std::to_string(value); }
std::string Percent(double share) { return N(RoundHalfEven(share * 100.0L, "per cent")) + " %"; }
// Appended piece by piece: GCC 12 warns falsely about "(" + a temporary string.
std::string Point(TPoint point) {
  std::string text = "(";
  text += N(point.x);
  text += ", ";
  text += N(point.y);
  text += ")";
  return text;
}
// Format bits as read, bit 14 first.
std::string Bits15(std::uint32_t bits) { return std::bitset<15>(bits).to_string(); }

// How many of the heaviest finder candidates and of the versions tried a line lists.
constexpr std::size_t kListed = 6;

void Binarization(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.binarization) return;
  const TBinarizationFigures& f = *d.binarization;
  lines.push_back("二値化：しきい値 T = " + N(f.threshold) + "（中央の行から）、Resolver = " + N(f.offset) +
                  "。灰色の値が T − Resolver = " + N(f.DarkBelow()) + " より小さい画素が暗くなり、画像の " +
                  Percent(f.DarkShare()) + "（" + N(f.darkPixels) + " 画素）が暗い画素です。");
}

void Finder(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.finder) return;
  const TFinderFigures& f = *d.finder;
  lines.push_back("位置検出パターン：1:1:3:1:1 の比を満たした区間は横 " + N(f.horizontalStretches) + "、縦 " +
                  N(f.verticalStretches) + "、そのまとまりは行 " + N(f.rowGroups) + "、列 " + N(f.columnGroups) +
                  "、候補は " + N(f.candidates) + " 個（必要なのは " + N(f.needed) + " 個）です。");
  if (f.heaviest.empty()) return;
  std::string heaviest = "重い候補から順に：";
  for (std::size_t i = 0; i < std::min(kListed, f.heaviest.size()); ++i)
    heaviest += (i > 0 ? "、" : "") + Point(f.heaviest[i].centre) + " 重み " + N(f.heaviest[i].weight);
  lines.push_back(heaviest);
}

void Version(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.version) return;
  const TVersionFigures& f = *d.version;
  if (f.forced > 0) {
    lines.push_back("型番：ForceVersion で型番 " + N(f.forced) + " を指定しました。");
  } else {
    lines.push_back("型番：タイミングパターンの間の色の変化から推定した型番は " + N(f.estimate) +
                    "、タイミングパターンで調べるのは型番 " + N(f.lastTimingVersion) + " までで、一致率は " +
                    Percent(f.shareNeeded) + " を超える必要があります。");
    if (!f.trials.empty()) {
      std::string trials = "型番ごとの一致率：";
      for (std::size_t i = 0; i < std::min(kListed, f.trials.size()); ++i) {
        const TTimingTrial& t = f.trials[i];
        trials += (i > 0 ? "、" : "") + std::string("型番 ") + N(t.version) + " " + N(t.Matches()) + "/" + N(t.samples) +
                  "（" + Percent(t.Share()) + "）";
      }
      if (f.trials.size() > kListed) trials += " ほか " + N(static_cast<std::int64_t>(f.trials.size() - kListed)) + " 個";
      lines.push_back(trials);
    }
  }
  for (const TVersionBlockFigures& block : f.informationBlocks)
    lines.push_back(block.inside ? "型番情報：最も近いのは型番 " + N(block.nearestVersion) + " の符号語で、" +
                                       N(block.distance) + " ビット違います（許されるのは " +
                                       N(f.maxInformationDistance) + " ビットまで）。"
                                 : std::string("型番情報：画像の外にあり、読めません。"));
}

void Corners(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.corners) return;
  static constexpr std::array<const char*, 4> kCorners = {"左上", "右上", "左下", "右下"};
  const TCornerFigures& f = *d.corners;
  lines.push_back("四隅（Warp " + N(f.warp) + "）：止まった手順は「" + std::string(NameOf(f.step).japanese) + "」です。");
  for (std::size_t i = 0; i < f.searches.size(); ++i) {
    const TCornerSearchFigures& s = f.searches[i];
    if (s.radius == 0 && !s.found) continue;  // not searched yet
    lines.push_back(std::string(kCorners[i]) + "：" + Point(s.around) + " の周り半径 " + N(s.radius) + " 画素を探し、" +
                    (s.found ? "最も遠い暗い画素は " + Point(s.hit) + " です。" : std::string("暗い画素はありませんでした。")));
  }
}

void Sampling(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.sampling) return;
  const TSamplingFigures& f = *d.sampling;
  lines.push_back("サンプリング：" + N(f.size) + " × " + N(f.size) + " モジュール、位置合わせパターン " +
                  N(f.alignmentNodes) + " 個（予測からのずれは最大 " + N(f.largestShift) + " 画素）、画像の外のモジュール " +
                  N(f.outside) + " 個です。");
}

void Format(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.format) return;
  const TFormatFigures& f = *d.format;
  lines.push_back("形式情報：読んだビット " + Bits15(f.read) + "（マスクを外して " + Bits15(f.unmasked) +
                  "）、最も近い正しい語 " + Bits15(f.nearest) + " とは " + N(f.distance) + " ビット違います（許されるのは " +
                  N(f.maxDistance) + " ビットまで）。その語はレベル " + kLevelLetters[static_cast<std::size_t>(f.level & 3)] +
                  "、マスク " + N(f.mask) + " を表します。");
}

void Codewords(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.correction) return;
  const TCorrectionFigures& f = *d.correction;
  lines.push_back("コード語 " + N(f.codewords) + " 個、ブロック " + N(static_cast<std::int64_t>(f.blocks.size())) +
                  " 個。1 つのブロックで訂正できるのは " + N(f.correctable) + " 個までです。");
  for (std::size_t i = 0; i < f.blocks.size(); ++i) {
    const TBlockFigures& b = f.blocks[i];
    lines.push_back("ブロック " + N(static_cast<std::int64_t>(i + 1)) + "：コード語 " + N(b.codewords) + "（データ " +
                    N(b.dataCodewords) + "）、0 でないシンドローム " + N(b.nonZeroSyndromes) + " 個、" +
                    (b.uncorrectable ? "誤り位置の次数 " + N(b.locatorDegree) + "、訂正できません。"
                                     : "訂正したコード語 " + N(b.corrected) + " 個。"));
  }
}

void Data(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.data) return;
  const TDataFigures& f = *d.data;
  std::string modes;
  for (const TSegmentFigures& s : f.segments) modes += (modes.empty() ? "" : "、") + std::string(ModeNameJapanese(s.mode));
  std::string stop;
  switch (f.stop) {
    case TDataStop::Terminator: stop = "終端パターン"; break;
    case TDataStop::UnsupportedMode: stop = "対応していないモード（" + std::string(ModeNameJapanese(f.stopMode)) + "）"; break;
    case TDataStop::Exhausted: stop = "ビットの終わり"; break;
  }
  lines.push_back("データ：セグメント " + N(static_cast<std::int64_t>(f.segments.size())) + " 個" +
                  (modes.empty() ? "" : "（" + modes + "）") + "。読み取りは " + N(f.totalBits) + " ビット中 " +
                  N(f.stopBit) + " ビット目の" + stop + "で止まりました。");
}

}  // namespace

std::string DiagnosisHeadline(const TVerdict& verdict) {
  if (verdict.decoded && verdict.stage == TStage::Done) return "復号できました。";
  const std::string stage(NameOf(verdict.stage).japanese);
  if (verdict.decoded) return "復号できましたが、読み取りは「" + stage + "」の途中で止まりました。";
  return "「" + stage + "」の段階で止まりました。";
}

std::vector<std::string> FigureLines(const TDiagnosis& d, const TVerdict& verdict) {
  std::vector<std::string> lines;
  Binarization(d, lines);
  switch (verdict.stage) {
    case TStage::Binarization: break;
    case TStage::FinderSearch: Finder(d, lines); break;
    case TStage::Version: Version(d, lines); break;
    case TStage::Corners: Corners(d, lines); break;
    case TStage::Sampling: Sampling(d, lines); break;
    case TStage::Format: Format(d, lines); break;
    case TStage::Codewords: Codewords(d, lines); break;
    case TStage::Data:
      if (!verdict.decoded) Codewords(d, lines);
      Data(d, lines);
      break;
    case TStage::Done:
      Version(d, lines);
      Format(d, lines);
      Codewords(d, lines);
      Data(d, lines);
      break;
  }
  return lines;
}
