#include "decoder/Verdict.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "common/Rounding.h"
#include "decoder/Parameters.h"

namespace {

// The suggestions were checked against 122 photographs (bench/DiagnosePhotos):
// each is made only where following it took a share of those photographs past
// the stage that had stopped them.

// With at least this share of the picture dark, a smaller Resolver (more dark)
// got further more often than a larger one, and below it a larger one did;
// the step is the one that helped most while harming least.
constexpr double kDarkShareForDarker = 0.45;
constexpr std::int32_t kResolverStep = 12;
// A bottom-right corner search that ended on the border of its area was led
// astray by dark pixels beyond the symbol; a window of two module pitches
// still holds the true corner of a symbol seen at a slant.
constexpr std::int32_t kSuggestedWarp = 2;
// Version information that names its own version within this many bits is
// taken as the symbol's: a chance match that close is most unlikely.
constexpr std::int32_t kConfidentDistance = 1;

std::int64_t Percent(double share) { return RoundHalfEven(share * 100.0L, "per cent"); }

TEvidence Evidence(TEvidenceKind kind, std::initializer_list<std::int64_t> numbers, std::string text = {}) {
  TEvidence evidence;
  evidence.kind = kind;
  std::copy(numbers.begin(), numbers.end(), evidence.numbers.begin());
  evidence.text = std::move(text);
  return evidence;
}

// Moves the threshold in the direction the dark share points to: by one step,
// or on to the nearest grey level of the middle row beyond it, so that some
// pixels change sides. None when no Resolver in range moves a grey level of
// the middle row across while leaving both sides some (a two-tone picture,
// where the Resolver changes nothing or makes everything one colour).
std::optional<TSuggestion> ResolverSuggestion(const TDiagnosis& diagnosis) {
  if (!diagnosis.binarization) return std::nullopt;
  const TBinarizationFigures& figures = *diagnosis.binarization;
  const TGreyHistogram& row = figures.middleRowHistogram;
  const bool darker = figures.DarkShare() >= kDarkShareForDarker;
  // Pixels are dark below `cut`: a darker threshold must pass the lightest
  // grey at or above it, a lighter one the darkest grey below it.
  const std::int32_t cut = figures.DarkBelow();
  std::int32_t next = cut;
  if (darker) {
    next = cut + kResolverStep;
    for (std::int32_t grey = std::max(cut, 0); grey < 256; ++grey)
      if (row[static_cast<std::size_t>(grey)] != 0) {
        next = std::max(next, grey + 1);
        break;
      }
  } else {
    next = cut - kResolverStep;
    for (std::int32_t grey = std::min(cut, 256) - 1; grey >= 0; --grey)
      if (row[static_cast<std::size_t>(grey)] != 0) {
        next = std::min(next, grey);
        break;
      }
  }
  const std::int32_t value = RangeOf(TParameter::Resolver).Clamp(figures.threshold - next);
  const std::int32_t from = std::min(cut, figures.threshold - value);
  const std::int32_t to = std::max(cut, figures.threshold - value);
  const auto pixelsBetween = [&row](std::int32_t low, std::int32_t high) {
    std::int64_t pixels = 0;
    for (std::int32_t grey = std::max(low, 0); grey < std::min(high, 256); ++grey) pixels += row[static_cast<std::size_t>(grey)];
    return pixels;
  };
  // Some pixels must change sides, and the row must keep pixels on both.
  const std::int32_t after = figures.threshold - value;
  if (pixelsBetween(from, to) == 0 || pixelsBetween(0, after) == 0 || pixelsBetween(after, 256) == 0) return std::nullopt;
  return TSuggestion{darker ? TSuggestionKind::SmallerResolver : TSuggestionKind::LargerResolver, value};
}

void Add(TVerdict& verdict, const std::optional<TSuggestion>& suggestion) {
  if (suggestion && verdict.suggestions.size() < 2) verdict.suggestions.push_back(*suggestion);
}

TEvidence InformationEvidence(const TVersionFigures& figures) {
  std::int32_t nearest = 0;
  std::int32_t distance = 0;
  for (const TVersionBlockFigures& block : figures.informationBlocks) {
    if (!block.inside) continue;
    if (nearest == 0 || block.distance < distance) {
      nearest = block.nearestVersion;
      distance = block.distance;
    }
  }
  return Evidence(TEvidenceKind::VersionInformation, {nearest, distance, figures.maxInformationDistance});
}

void JudgeVersion(const TDiagnosis& diagnosis, TVerdict& verdict) {
  if (!diagnosis.version) {
    verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
    return;
  }
  const TVersionFigures& figures = *diagnosis.version;
  if (figures.forced > 0 || figures.candidate != 0) {
    verdict.evidence = InformationEvidence(figures);
  } else if (figures.trials.empty()) {
    verdict.evidence = Evidence(TEvidenceKind::EstimateBeyondTiming, {figures.estimate, figures.lastTimingVersion});
  } else {
    const auto best = std::max_element(figures.trials.begin(), figures.trials.end(),
                                       [](const TTimingTrial& a, const TTimingTrial& b) { return a.Share() < b.Share(); });
    verdict.evidence = Evidence(TEvidenceKind::NoTimingMatch,
                                {figures.trials.front().version, figures.trials.back().version, best->version,
                                 Percent(best->Share()), Percent(figures.shareNeeded)});
  }
  // The closest self-naming version, the lowest among equals.
  const TSelfNamingVersion* named = nullptr;
  for (const TSelfNamingVersion& candidate : figures.selfNamingVersions)
    if (candidate.distance <= kConfidentDistance && (named == nullptr || candidate.distance < named->distance))
      named = &candidate;
  if (named != nullptr) Add(verdict, TSuggestion{TSuggestionKind::ForceVersion, named->version});
  Add(verdict, ResolverSuggestion(diagnosis));
}

// True when the bottom-right corner search ended on the border of the area it
// searched (its window, cut by the picture's edges): drawn outward by dark
// pixels beyond the symbol, it would have gone on in a larger area.
bool SearchEndedOnBorder(const TDiagnosis& diagnosis) {
  if (!diagnosis.corners) return false;
  const TCornerSearchFigures& search = diagnosis.corners->searches[3];
  if (!search.found) return false;
  const std::int64_t dx = std::abs(static_cast<std::int64_t>(search.hit.x) - search.around.x);
  const std::int64_t dy = std::abs(static_cast<std::int64_t>(search.hit.y) - search.around.y);
  return std::max(dx, dy) >= search.radius || search.hit.x == 0 || search.hit.y == 0 ||
         search.hit.x == diagnosis.pictureWidth - 1 || search.hit.y == diagnosis.pictureHeight - 1;
}

// A search drawn off the symbol is kept nearer by a smaller window; other
// failures a smaller one does not mend.
std::optional<TSuggestion> WarpSuggestion(const TDiagnosis& diagnosis) {
  if (!SearchEndedOnBorder(diagnosis) || diagnosis.corners->warp <= RangeOf(TParameter::Warp).minimum)
    return std::nullopt;
  return TSuggestion{TSuggestionKind::SmallerWarp, std::min(diagnosis.corners->warp - 1, kSuggestedWarp)};
}

void JudgeCorners(const TDiagnosis& diagnosis, TVerdict& verdict) {
  if (!diagnosis.corners) {
    verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
    return;
  }
  verdict.evidence = Evidence(TEvidenceKind::CornerFailure,
                              {static_cast<std::int64_t>(diagnosis.corners->step), SearchEndedOnBorder(diagnosis) ? 1 : 0},
                              diagnosis.failure);
  Add(verdict, WarpSuggestion(diagnosis));
}

void JudgeSuccess(const TDiagnosis& diagnosis, TVerdict& verdict) {
  std::int64_t corrected = 0;
  if (diagnosis.correction)
    for (const TBlockFigures& block : diagnosis.correction->blocks) corrected += block.corrected;
  if (!diagnosis.data) {
    verdict.evidence = Evidence(TEvidenceKind::Decoded, {0, corrected});
    return;
  }
  const TDataFigures& data = *diagnosis.data;
  const auto segments = static_cast<std::int64_t>(data.segments.size());
  const bool cut = std::any_of(data.segments.begin(), data.segments.end(), [](const TSegmentFigures& s) { return s.truncated; });
  if (data.stop == TDataStop::UnsupportedMode || cut) {
    verdict.stage = TStage::Data;
    verdict.evidence = Evidence(TEvidenceKind::DataStopped, {data.stopMode, segments, cut ? 1 : 0});
  } else {
    verdict.evidence = Evidence(TEvidenceKind::Decoded, {segments, corrected});
  }
}

}  // namespace

TVerdict Judge(const TDiagnosis& diagnosis) {
  TVerdict verdict;
  verdict.stage = diagnosis.stage;
  verdict.decoded = diagnosis.stage == TStage::Done;
  switch (diagnosis.stage) {
    case TStage::Binarization:
      if (!diagnosis.binarization) {
        verdict.evidence = Evidence(TEvidenceKind::PictureTooSmall, {diagnosis.pictureWidth, diagnosis.pictureHeight});
        Add(verdict, TSuggestion{TSuggestionKind::LargerPicture, 2});
      } else {
        verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
      }
      break;
    case TStage::FinderSearch:
      if (diagnosis.finder && diagnosis.binarization) {
        verdict.evidence = Evidence(TEvidenceKind::TooFewCandidates,
                                    {diagnosis.finder->candidates, diagnosis.finder->needed,
                                     Percent(diagnosis.binarization->DarkShare())});
        Add(verdict, ResolverSuggestion(diagnosis));
      } else {
        verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
      }
      break;
    case TStage::Version: JudgeVersion(diagnosis, verdict); break;
    case TStage::Corners: JudgeCorners(diagnosis, verdict); break;
    case TStage::Format:
      if (diagnosis.format && !diagnosis.format->Accepted()) {
        verdict.evidence = Evidence(TEvidenceKind::FormatUnreadable, {diagnosis.format->distance, diagnosis.format->maxDistance});
        Add(verdict, WarpSuggestion(diagnosis));
        Add(verdict, ResolverSuggestion(diagnosis));
      } else {
        verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
      }
      break;
    case TStage::Codewords:
      if (diagnosis.correction && diagnosis.correction->UncorrectableBlocks() > 0) {
        const TCorrectionFigures& figures = *diagnosis.correction;
        verdict.evidence = Evidence(TEvidenceKind::BlocksUncorrectable,
                                    {figures.UncorrectableBlocks(), static_cast<std::int64_t>(figures.blocks.size()),
                                     figures.correctable});
        Add(verdict, WarpSuggestion(diagnosis));
        Add(verdict, ResolverSuggestion(diagnosis));
      } else {
        verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure);
      }
      break;
    case TStage::Sampling:
    case TStage::Data: verdict.evidence = Evidence(TEvidenceKind::StageFailure, {}, diagnosis.failure); break;
    case TStage::Done: JudgeSuccess(diagnosis, verdict); break;
  }
  return verdict;
}

// ---------------------------------------------------------------------------
// Texts

namespace {

std::string N(std::int64_t value) { return std::to_string(value); }

// "1 block", "2 blocks".
std::string Count(std::int64_t value, const char* singular, const char* plural) {
  return N(value) + " " + (value == 1 ? singular : plural);
}

std::string Quoted(const std::string& text) { return "「" + text + "」"; }

}  // namespace

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

std::string_view KeyOf(TEvidenceKind kind) {
  switch (kind) {
    case TEvidenceKind::PictureTooSmall: return "picture_too_small";
    case TEvidenceKind::TooFewCandidates: return "too_few_candidates";
    case TEvidenceKind::NoTimingMatch: return "no_timing_match";
    case TEvidenceKind::EstimateBeyondTiming: return "estimate_beyond_timing";
    case TEvidenceKind::VersionInformation: return "version_information";
    case TEvidenceKind::CornerFailure: return "corner_failure";
    case TEvidenceKind::StageFailure: return "stage_failure";
    case TEvidenceKind::FormatUnreadable: return "format_unreadable";
    case TEvidenceKind::BlocksUncorrectable: return "blocks_uncorrectable";
    case TEvidenceKind::DataStopped: return "data_stopped";
    case TEvidenceKind::Decoded: return "decoded";
  }
  return {};
}

std::string_view KeyOf(TSuggestionKind kind) {
  switch (kind) {
    case TSuggestionKind::SmallerResolver: return "smaller_resolver";
    case TSuggestionKind::LargerResolver: return "larger_resolver";
    case TSuggestionKind::SmallerWarp: return "smaller_warp";
    case TSuggestionKind::ForceVersion: return "force_version";
    case TSuggestionKind::LargerPicture: return "larger_picture";
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

std::string DiagnosisLine(const TVerdict& verdict) {
  std::string line = "stage: " + std::string(NameOf(verdict.stage).key) + "; " + EnglishText(verdict.evidence);
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
