#include "decoder/DiagnosisTexts.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "decoder/FigureSections.h"
#include "decoder/FigureWords.h"

using namespace figure_words;

namespace {

std::string Quoted(const std::string& text) { return "「" + text + "」"; }

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

// ---------------------------------------------------------------------------
// The verdict: its evidence and suggestions

std::string EnglishText(const TEvidence& e) {
  const auto& n = e.numbers;
  switch (e.kind) {
    case TEvidenceKind::PictureTooSmall:
      return "the picture has " + N(n[0]) + " x " + N(n[1]) + " pixels; a threshold needs at least 2 x 1";
    case TEvidenceKind::TooFewCandidates:
      return Count(n[0], "candidate", "candidates") + ", " + N(n[1]) + " needed; " + N(n[2]) + " % of the picture dark";
    case TEvidenceKind::NoTimingMatch:
      return "timing patterns matched " + N(n[3]) + " % at best (version " + N(n[2]) + "), more than " + N(n[4]) +
             " % needed; " + (n[0] == n[1] ? "version " + N(n[0]) : "versions " + N(n[0]) + " to " + N(n[1])) + " tried";
    case TEvidenceKind::EstimateBeyondTiming:
      return "estimated version " + N(n[0]) + " lies beyond the timing test, which stops at version " + N(n[1]);
    case TEvidenceKind::VersionInformation:
      if (n[0] == 0) return "the version information lies outside the picture";
      return "version information " + Count(n[1], "bit", "bits") + " off version " + N(n[0]) + ", at most " + N(n[2]) +
             " allowed";
    case TEvidenceKind::CornerFailure:
      return e.text + " during the " + std::string(NameOf(static_cast<TCornerStep>(n[0])).key) +
             (n[1] != 0 ? "; the bottom-right search reached the edge of its window" : "");
    case TEvidenceKind::StageFailure: return e.text;
    case TEvidenceKind::FormatUnreadable:
      return "format bits " + Count(n[0], "flip", "flips") + " from the nearest valid word, at most " + N(n[1]) +
             " corrected";
    case TEvidenceKind::BlocksUncorrectable:
      return N(n[0]) + " of " + Count(n[1], "block", "blocks") + (n[0] == 1 ? " has" : " have") +
             " more errors than the decoder corrects (" + N(n[2]) + ")";
    case TEvidenceKind::DataStopped:
      if (n[2] != 0) return "the data ran out inside a segment, after " + Count(n[1], "segment", "segments");
      return "reading stopped at an unsupported mode (" + std::string(ModeName(static_cast<std::uint32_t>(n[0]))) +
             ") after " + Count(n[1], "segment", "segments");
    case TEvidenceKind::Decoded:
      return "decoded: " + Count(n[0], "segment", "segments") + ", " + Count(n[1], "codeword", "codewords") + " corrected";
  }
  return {};
}

std::string JapaneseText(const TEvidence& e) {
  const auto& n = e.numbers;
  switch (e.kind) {
    case TEvidenceKind::PictureTooSmall:
      return "画像が " + N(n[0]) + " × " + N(n[1]) + " 画素しかありません。しきい値には 2 × 1 画素以上が必要です。";
    case TEvidenceKind::TooFewCandidates:
      return "位置検出パターンの候補が " + N(n[0]) + " 個で、" + N(n[1]) + " 個必要です。画像の " + N(n[2]) +
             " % が暗い画素です。";
    case TEvidenceKind::NoTimingMatch:
      return "タイミングパターンの一致率は最高 " + N(n[3]) + " %（型番 " + N(n[2]) + "）で、" + N(n[4]) +
             " % を超える必要があります（型番 " + (n[0] == n[1] ? N(n[0]) : N(n[0]) + "〜" + N(n[1])) + " を試しました）。";
    case TEvidenceKind::EstimateBeyondTiming:
      return "型番の推定値 " + N(n[0]) + " が、タイミングパターンで調べる上限の型番 " + N(n[1]) + " を超えています。";
    case TEvidenceKind::VersionInformation:
      if (n[0] == 0) return "型番情報が画像の外にあります。";
      return "型番情報は型番 " + N(n[0]) + " の符号語と " + N(n[1]) + " ビット異なります（許されるのは " + N(n[2]) +
             " ビットまで）。";
    case TEvidenceKind::CornerFailure:
      return Quoted(e.text) + "：" + std::string(NameOf(static_cast<TCornerStep>(n[0])).japanese) + "で失敗しました。" +
             (n[1] != 0 ? "右下の隅の探索が探索範囲の端まで達しました。" : "");
    case TEvidenceKind::StageFailure: return Quoted(e.text) + "で失敗しました。";
    case TEvidenceKind::FormatUnreadable:
      return "形式情報は最も近い正しい符号語と " + N(n[0]) + " ビット異なります（訂正できるのは " + N(n[1]) +
             " ビットまで）。";
    case TEvidenceKind::BlocksUncorrectable:
      return N(n[1]) + " 個のブロックのうち " + N(n[0]) + " 個に、この復号器が訂正できる数（" + N(n[2]) +
             " 個）を超える誤りがあります。";
    case TEvidenceKind::DataStopped:
      if (n[2] != 0) return "セグメント " + N(n[1]) + " 個の後、セグメントの途中でデータが尽きました。";
      return "セグメント " + N(n[1]) + " 個の後、対応していないモード（" +
             std::string(ModeNameJapanese(static_cast<std::uint32_t>(n[0]))) + "）で読み取りが止まりました。";
    case TEvidenceKind::Decoded:
      return "復号できました（セグメント " + N(n[0]) + " 個、訂正したコード語 " + N(n[1]) + " 個）。";
  }
  return {};
}

std::string EnglishText(const TSuggestion& s) {
  const std::string v = N(s.value);
  switch (s.kind) {
    case TSuggestionKind::SmallerResolver:
      return "try a smaller Resolver, e.g. " + v + ": more of the picture turns dark; or open the parameter explorer";
    case TSuggestionKind::LargerResolver:
      return "try a larger Resolver, e.g. " + v + ": less of the picture turns dark; or open the parameter explorer";
    case TSuggestionKind::SmallerWarp:
      return "try a smaller Warp, e.g. " + v + ": the bottom-right corner is then sought closer to the symbol";
    case TSuggestionKind::ForceVersion:
      return "try ForceVersion " + v + ": the version information read at that version's module size names version " + v;
    case TSuggestionKind::LargerPicture: return "load a picture at least " + v + " pixels wide and 1 pixel high";
  }
  return {};
}

std::string JapaneseText(const TSuggestion& s) {
  const std::string v = N(s.value);
  switch (s.kind) {
    case TSuggestionKind::SmallerResolver:
      return "Resolver を小さくしてみてください（例：" + v + "）。画像のより多くの部分が暗い画素になります。パラメータ探索も役立ちます。";
    case TSuggestionKind::LargerResolver:
      return "Resolver を大きくしてみてください（例：" + v + "）。暗い画素が減ります。パラメータ探索も役立ちます。";
    case TSuggestionKind::SmallerWarp:
      return "Warp を小さくしてみてください（例：" + v + "）。右下の隅をシンボルの近くで探します。";
    case TSuggestionKind::ForceVersion:
      return "ForceVersion を " + v + " にしてみてください。型番 " + v + " のモジュールの大きさで読んだ型番情報が型番 " + v +
             " を示しています。";
    case TSuggestionKind::LargerPicture: return "幅 " + v + " 画素、高さ 1 画素以上の画像を読み込んでください。";
  }
  return {};
}

namespace {

// The suggestion as the command line takes it.
std::string CommandLineForm(const TSuggestion& s) {
  switch (s.kind) {
    case TSuggestionKind::SmallerResolver:
    case TSuggestionKind::LargerResolver: return "--resolver " + N(s.value);
    case TSuggestionKind::SmallerWarp: return "--warp " + N(s.value);
    case TSuggestionKind::ForceVersion: return "--force-version " + N(s.value);
    case TSuggestionKind::LargerPicture: return "a picture at least " + N(s.value) + " pixels wide";
  }
  return {};
}

}  // namespace

std::string EnglishText(const TSuspect& s) {
  std::string text = "the " + std::string(NameOf(s.stage).key) + " is suspect: ";
  std::vector<std::string> clauses;
  if ((s.failed & TSuspect::kWeights) != 0)
    clauses.push_back("the candidate at " + Point(s.candidate) + " is weaker (" + N(s.weight) + " against " + N(s.otherWeight) + ")");
  else
    clauses.push_back("of the candidates chosen, the weakest is at " + Point(s.candidate));
  if ((s.failed & TSuspect::kAngle) != 0) clauses.push_back("the triangle's angle is " + N(s.angle) + "\u00B0");
  if ((s.failed & TSuspect::kLegs) != 0) clauses.push_back("one leg is " + N(s.legs) + " % of the other");
  for (std::size_t i = 0; i < clauses.size(); ++i) text += (i == 0 ? "" : i + 1 == clauses.size() ? " and " : ", ") + clauses[i];
  return text;
}

std::string JapaneseText(const TSuspect& s) {
  std::string text = Quoted(std::string(NameOf(s.stage).japanese)) + "が疑わしい：";
  std::vector<std::string> clauses;
  if ((s.failed & TSuspect::kWeights) != 0)
    clauses.push_back(Point(s.candidate) + " の候補は重み " + N(s.weight) + " で、ほかの候補（" + N(s.otherWeight) + "）よりずっと弱い");
  else
    clauses.push_back("選ばれた候補で最も弱いのは " + Point(s.candidate));
  if ((s.failed & TSuspect::kAngle) != 0) clauses.push_back("3 つの候補がなす三角形の角は " + N(s.angle) + "° で直角から遠い");
  if ((s.failed & TSuspect::kLegs) != 0) clauses.push_back("2 辺の長さの比が " + N(s.legs) + " % ある");
  for (std::size_t i = 0; i < clauses.size(); ++i) text += (i == 0 ? "" : "。また、") + clauses[i];
  return text + "。本物の位置検出パターンは 2 つだけかもしれません。";
}

std::string EnglishText(const TMirrored& m) {
  return "the format information reads in mirrored order " + N(m.distance) + " and " + N(m.secondDistance) +
         " bits off one valid word (both copies), against " + N(m.ordinaryDistance) +
         " read the ordinary way: the symbol is mirrored (a selfie camera, a picture seen through glass); mirror the "
         "picture (Tools \u2192 Adjust the picture \u2192 Mirror, --mirror)";
}

std::string JapaneseText(const TMirrored& m) {
  return "形式情報を左右反転した順に読むと、2 組とも同じ正しい語と " + N(m.distance) + " ビットと " + N(m.secondDistance) +
         " ビット違い、ふつうの順に読むと " + N(m.ordinaryDistance) +
         " ビット違います。シンボルが左右反転しています（自撮りのカメラ、ガラス越しの写真など）。"
         "画像を左右反転してください（ツール → 画像の調整 → 左右反転、--mirror）。";
}

namespace {

bool SmallModules(const TVerdict& v) { return v.moduleTenths > 0 && v.moduleTenths < kSmallModuleTenths; }

}  // namespace

std::string EnglishModuleText(const TVerdict& v) {
  if (!SmallModules(v)) return {};
  return "about " + Tenths(v.moduleTenths) + " pixels per module (" +
         (v.moduleSource == TModuleSource::Frame ? "from the symbol's frame" : "from the finder candidates' weights") +
         "); the decoder needs about " + N(kSmallModuleTenths / 10) + ": a closer photograph";
}

std::string JapaneseModuleText(const TVerdict& v) {
  if (!SmallModules(v)) return {};
  return "モジュールの大きさは約 " + Tenths(v.moduleTenths) + " 画素です" +
         (v.moduleSource == TModuleSource::Frame ? "（シンボルの枠から）" : "（位置検出パターンの候補の重みから）") +
         "。読み取りには " + N(kSmallModuleTenths / 10) + " 画素ほど必要です。もっと近くから撮ってください。";
}

std::string DiagnosisLine(const TVerdict& verdict) {
  std::string line = "stage: " + std::string(NameOf(verdict.stage).key) + "; " + EnglishText(verdict.evidence);
  if (verdict.suspect) line += "; " + EnglishText(*verdict.suspect);
  if (verdict.mirrored) line += "; " + EnglishText(*verdict.mirrored);
  if (const std::string small = EnglishModuleText(verdict); !small.empty()) line += "; " + small;
  if (!verdict.suggestions.empty()) line += "; try " + CommandLineForm(verdict.suggestions.front());
  return line;
}

void VisitVerdict(const TVerdict& verdict, TFigureVisitor& v) {
  v.Flag("decoded", verdict.decoded);
  v.Text("stage", NameOf(verdict.stage).key);
  v.BeginGroup("evidence");
  v.Text("kind", KeyOf(verdict.evidence.kind));
  v.Numbers("numbers", verdict.evidence.numbers);
  v.Text("text", EnglishText(verdict.evidence));
  v.EndGroup();
  if (verdict.moduleTenths > 0) {
    v.Real("module_pixels", verdict.moduleTenths / 10.0);
    v.Text("module_source", KeyOf(verdict.moduleSource));
    if (const std::string small = EnglishModuleText(verdict); !small.empty()) v.Text("module_text", small);
  }
  if (verdict.suspect) {
    const TSuspect& s = *verdict.suspect;
    v.Text("suspect_stage", NameOf(s.stage).key);
    v.BeginGroup("suspect");
    v.Number("x", s.candidate.x);
    v.Number("y", s.candidate.y);
    v.Number("weight", s.weight);
    v.Number("other_weight", s.otherWeight);
    v.Number("angle", s.angle);
    v.Number("legs_percent", s.legs);
    v.Flag("angle_off", (s.failed & TSuspect::kAngle) != 0);
    v.Flag("legs_unlike", (s.failed & TSuspect::kLegs) != 0);
    v.Flag("weight_low", (s.failed & TSuspect::kWeights) != 0);
    v.Text("text", EnglishText(s));
    v.EndGroup();
  }
  if (verdict.mirrored) {
    v.BeginGroup("mirrored");
    // Only the format information tells a mirrored symbol (decoder/Verdict.h).
    v.Text("information", "format");
    v.Number("distance", verdict.mirrored->distance);
    v.Number("second_distance", verdict.mirrored->secondDistance);
    v.Number("ordinary_distance", verdict.mirrored->ordinaryDistance);
    v.Text("text", EnglishText(*verdict.mirrored));
    v.EndGroup();
  }
  v.BeginList("suggestions");
  for (const TSuggestion& suggestion : verdict.suggestions) {
    v.BeginGroup({});
    v.Text("kind", KeyOf(suggestion.kind));
    v.Number("value", suggestion.value);
    v.Text("text", EnglishText(suggestion));
    v.EndGroup();
  }
  v.EndList();
}

// ---------------------------------------------------------------------------
// The lines around the verdict

namespace {

// What each stage does, in words, for the headline.
std::string_view StageWork(TStage stage) {
  switch (stage) {
    case TStage::Binarization: return "画像を白と黒の画素に分ける段階";
    case TStage::FinderSearch: return "3 つの角の四角い目印を探す段階";
    case TStage::Version: return "シンボルの大きさ（型番）を決める段階";
    case TStage::Corners: return "シンボルの四隅を求める段階";
    case TStage::Sampling: return "モジュールを 1 つずつ読む段階";
    case TStage::Format: return "誤り訂正レベルとマスクを読む段階";
    case TStage::Codewords: return "コード語を読み、誤りを訂正する段階";
    case TStage::Data: return "ビット列を文字に直す段階";
    case TStage::Done: return "";
  }
  return "";
}

}  // namespace

std::string DiagnosisHeadline(const TVerdict& verdict) {
  if (verdict.decoded && verdict.stage == TStage::Done) return "復号できました。";
  const std::string stage(NameOf(verdict.stage).japanese);
  const std::string work = "（" + std::string(StageWork(verdict.stage)) + "）";
  if (verdict.decoded) return "復号できましたが、読み取りは「" + stage + "」" + work + "の途中で止まりました。";
  std::string headline = "「" + stage + "」" + work + "で止まりました。";
  if (verdict.suspect)
    headline += "ただし、その前の「" + std::string(NameOf(verdict.suspect->stage).japanese) +
                "」が本物でない候補を選んだ疑いがあります。";
  return headline;
}

std::string EnglishMessageNote(std::int32_t errorCode) {
  if (errorCode != 1) return {};
  return "The decoder's message for error code 1 is the same whether the finder search or the version stopped the "
         "decode; the row of stages above shows which one did.";
}

std::string MessageNote(std::int32_t errorCode) {
  if (errorCode != 1) return {};
  return "復号器のメッセージ「" + ErrorMessage(1) + "」（エラーコード 1）は、「" +
         std::string(NameOf(TStage::FinderSearch).japanese) + "」と「" + std::string(NameOf(TStage::Version).japanese) +
         "」のどちらで止まっても同じです。どちらで止まったかは上の段階の列が示します。";
}

std::vector<std::string> FigureLines(const TDiagnosis& d, const TVerdict& verdict) {
  return WriteFigureLines(d, verdict,
                          {.binarization = Binarization, .finder = Finder, .version = Version, .corners = Corners,
                           .sampling = Sampling, .format = Format, .codewords = Codewords, .data = Data});
}
