// The measured figures around the verdict in English: the lines FigureLines
// writes in Japanese, with the same figures in the same order.

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/FigureSections.h"
#include "decoder/FigureWords.h"

using namespace figure_words;

namespace {

void Binarization(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.binarization) return;
  const TBinarizationFigures& f = *d.binarization;
  lines.push_back("Binarization: threshold T = " + N(f.threshold) + " (from the middle row), Resolver = " + N(f.offset) +
                  ". Pixels whose grey value is below T − Resolver = " + N(f.DarkBelow()) + " are dark: " +
                  Percent(f.DarkShare()) + " of the picture (" + Count(f.darkPixels, "pixel", "pixels") + ").");
}

void Finder(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.finder) return;
  const TFinderFigures& f = *d.finder;
  lines.push_back("Finder patterns: stretches in the ratio 1:1:3:1:1: " + N(f.horizontalStretches) + " across, " +
                  N(f.verticalStretches) + " down; grouped into " + Count(f.rowGroups, "row", "rows") + " and " +
                  Count(f.columnGroups, "column", "columns") + "; " + Count(f.candidates, "candidate", "candidates") +
                  " (" + N(f.needed) + " needed).");
  if (f.heaviest.empty()) return;
  std::string heaviest = "Heaviest candidates first: ";
  for (std::size_t i = 0; i < std::min(kListed, f.heaviest.size()); ++i)
    heaviest += (i > 0 ? ", " : "") + Point(f.heaviest[i].centre) + " weight " + N(f.heaviest[i].weight);
  lines.push_back(heaviest);
}

void Version(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.version) return;
  const TVersionFigures& f = *d.version;
  if (f.forced > 0) {
    lines.push_back("Version: ForceVersion set version " + N(f.forced) + ".");
  } else {
    lines.push_back("Version: the colour changes between the timing patterns suggest version " + N(f.estimate) +
                    "; the timing patterns are tried up to version " + N(f.lastTimingVersion) +
                    ", and a version's match must exceed " + Percent(f.shareNeeded) + ".");
    if (!f.trials.empty()) {
      std::string trials = "Match by version: ";
      for (std::size_t i = 0; i < std::min(kListed, f.trials.size()); ++i) {
        const TTimingTrial& t = f.trials[i];
        trials += (i > 0 ? ", " : "") + std::string("version ") + N(t.version) + " " + N(t.Matches()) + "/" +
                  N(t.samples) + " (" + Percent(t.Share()) + ")";
      }
      if (f.trials.size() > kListed) trials += " and " + N(static_cast<std::int64_t>(f.trials.size() - kListed)) + " more";
      lines.push_back(trials);
    }
  }
  for (const TVersionBlockFigures& block : f.informationBlocks)
    lines.push_back(block.inside ? "Version information: the nearest is the codeword of version " +
                                       N(block.nearestVersion) + ", " + Count(block.distance, "bit", "bits") +
                                       " off (at most " + N(f.maxInformationDistance) + " allowed)."
                                 : std::string("Version information: outside the picture, not read."));
}

void Corners(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.corners) return;
  static constexpr std::array<const char*, 4> kCorners = {"Top left", "Top right", "Bottom left", "Bottom right"};
  const TCornerFigures& f = *d.corners;
  lines.push_back("Corners (Warp " + N(f.warp) + "): stopped at the step \"" + std::string(NameOf(f.step).key) + "\".");
  for (std::size_t i = 0; i < f.searches.size(); ++i) {
    const TCornerSearchFigures& s = f.searches[i];
    if (s.radius == 0 && !s.found) continue;  // not searched yet
    lines.push_back(std::string(kCorners[i]) + ": searched around " + Point(s.around) + " within " +
                    Count(s.radius, "pixel", "pixels") + "; " +
                    (s.found ? "the farthest dark pixel is " + Point(s.hit) + "." : std::string("no dark pixel.")));
  }
}

void Sampling(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.sampling) return;
  const TSamplingFigures& f = *d.sampling;
  lines.push_back("Sampling: " + N(f.size) + " × " + N(f.size) + " modules, " +
                  Count(f.alignmentNodes, "alignment pattern", "alignment patterns") + " (at most " +
                  Count(f.largestShift, "pixel", "pixels") + " off the prediction), " +
                  Count(f.outside, "module", "modules") + " outside the picture.");
}

void Format(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.format) return;
  const TFormatFigures& f = *d.format;
  lines.push_back("Format information: bits read " + Bits15(f.read) + " (unmasked " + Bits15(f.unmasked) +
                  "); the nearest valid word " + Bits15(f.nearest) + " is " + Count(f.distance, "bit", "bits") +
                  " off (at most " + N(f.maxDistance) + " allowed). It stands for level " +
                  kLevelLetters[static_cast<std::size_t>(f.level & 3)] + ", mask " + N(f.mask) + ".");
}

void Codewords(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.correction) return;
  const TCorrectionFigures& f = *d.correction;
  lines.push_back(Count(f.codewords, "codeword", "codewords") + ", " +
                  Count(static_cast<std::int64_t>(f.blocks.size()), "block", "blocks") +
                  ". Up to " + N(f.correctable) + " can be corrected in one block.");
  for (std::size_t i = 0; i < f.blocks.size(); ++i) {
    const TBlockFigures& b = f.blocks[i];
    lines.push_back("Block " + N(static_cast<std::int64_t>(i + 1)) + ": " + Count(b.codewords, "codeword", "codewords") + " (" +
                    N(b.dataCodewords) + " data), " + N(b.nonZeroSyndromes) + " non-zero syndromes, " +
                    (b.uncorrectable ? "error locator of degree " + N(b.locatorDegree) + ": uncorrectable."
                                     : Count(b.corrected, "codeword", "codewords") + " corrected."));
  }
}

void Data(const TDiagnosis& d, std::vector<std::string>& lines) {
  if (!d.data) return;
  const TDataFigures& f = *d.data;
  std::string modes;
  for (const TSegmentFigures& s : f.segments) modes += (modes.empty() ? "" : ", ") + std::string(ModeName(s.mode));
  std::string stop;
  switch (f.stop) {
    case TDataStop::Terminator: stop = "the terminator"; break;
    case TDataStop::UnsupportedMode: stop = "a mode it does not read (" + std::string(ModeName(f.stopMode)) + ")"; break;
    case TDataStop::Exhausted: stop = "the end of the bits"; break;
  }
  lines.push_back("Data: " + Count(static_cast<std::int64_t>(f.segments.size()), "segment", "segments") +
                  (modes.empty() ? "" : " (" + modes + ")") + ". Of " + N(f.totalBits) + " bits, reading stopped at bit " +
                  N(f.stopBit) + ", at " + stop + ".");
}

}  // namespace

std::vector<std::string> EnglishFigureLines(const TDiagnosis& d, const TVerdict& verdict) {
  return WriteFigureLines(d, verdict,
                          {.binarization = Binarization, .finder = Finder, .version = Version, .corners = Corners,
                           .sampling = Sampling, .format = Format, .codewords = Codewords, .data = Data});
}
