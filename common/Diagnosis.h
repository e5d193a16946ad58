#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/DecodeStages.h"
#include "common/Types.h"

// What the stages measured during one decode: for every stage that ran, the
// figures that decided whether it went on, each beside the limit it was held
// against. The stages hand their figures to the decode observer as they
// finish; the facade's recorder keeps them as the record of the last decode.
// Plain values throughout, so that a front end shows them without reaching
// into a stage, and two decodes of one picture give equal records.

// Number of pixels at each grey level 0 .. 255.
using TGreyHistogram = std::array<std::int64_t, 256>;

struct TBinarizationFigures {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t threshold = 0;  // T, from the middle row
  std::int32_t offset = 0;     // Resolver
  std::int64_t darkPixels = 0;
  // Grey levels of the middle row (row height div 2), left to right, and their histogram.
  std::vector<std::uint8_t> middleRow;
  TGreyHistogram middleRowHistogram{};

  // A pixel is dark when its grey level is below this: grey + offset < T.
  std::int32_t DarkBelow() const { return threshold - offset; }
  // Dark pixels as a share 0 .. 1 of the picture (0 for the empty picture).
  double DarkShare() const;
  friend bool operator==(const TBinarizationFigures&, const TBinarizationFigures&) = default;
};

struct TFinderCandidate {
  std::int32_t weight = 0;  // stretches behind the crossing, horizontal and vertical
  TPoint centre;
  friend bool operator==(const TFinderCandidate&, const TFinderCandidate&) = default;
};

struct TFinderFigures {
  // Stretches of rows and of columns that passed the 1:1:3:1:1 test.
  std::int32_t horizontalStretches = 0;
  std::int32_t verticalStretches = 0;
  // Groups of crossing stretches, and the crossings of a row group with a column group.
  std::int32_t rowGroups = 0;
  std::int32_t columnGroups = 0;
  std::int32_t candidates = 0;
  std::int32_t needed = 3;
  // The heaviest candidates, heaviest first and the earliest first among
  // equals (so the first three are the ones chosen), at most kKept of them.
  static constexpr std::size_t kKept = 12;
  std::vector<TFinderCandidate> heaviest;
  // After a success: the three centres in their order (corner, then the other two clockwise).
  std::optional<std::array<TPoint, 3>> centres;
  friend bool operator==(const TFinderFigures&, const TFinderFigures&) = default;
};

// One version tried against the timing patterns: of `samples` points along
// each axis, how many alternated as they should. Axis 2 is only sampled when
// axis 1 fell short (-1 then).
struct TTimingTrial {
  std::int32_t version = 0;
  std::int32_t samples = 0;
  std::int32_t matchesAxis1 = 0;
  std::int32_t matchesAxis2 = -1;
  bool passed = false;

  std::int32_t Matches() const { return matchesAxis1 > matchesAxis2 ? matchesAxis1 : matchesAxis2; }
  double Share() const { return samples > 0 ? static_cast<double>(Matches()) / samples : 0.0; }
  friend bool operator==(const TTimingTrial&, const TTimingTrial&) = default;
};

// One of the two version-information blocks as read: its 18 bits and the
// nearest version-information codeword.
struct TVersionBlockFigures {
  bool inside = true;  // false: a module of the block lies outside the picture, nothing read
  std::uint32_t bits = 0;
  std::int32_t nearestVersion = 0;
  std::int32_t distance = 0;
  friend bool operator==(const TVersionBlockFigures&, const TVersionBlockFigures&) = default;
};

// A version whose version information, read with that version's module
// width, names that very version: imposing it would settle the version.
struct TSelfNamingVersion {
  std::int32_t version = 0;
  std::int32_t distance = 0;  // bits in which the block read differs from the codeword
  friend bool operator==(const TSelfNamingVersion&, const TSelfNamingVersion&) = default;
};

struct TVersionFigures {
  std::int32_t forced = 0;  // the forced version; 0 when the timing patterns decide
  // Automatic only: colour changes on the lines between the finder centres and
  // the lower estimate of the version made from them.
  std::int32_t changes1 = 0;
  std::int32_t changes2 = 0;
  std::int32_t estimate = 0;
  // The timing test: versions from the estimate up to lastTimingVersion, each
  // passing with a share of matches above shareNeeded on one axis.
  std::int32_t lastTimingVersion = 0;
  double shareNeeded = 0;
  std::vector<TTimingTrial> trials;
  // The version that passed the timing test, or the forced one; 0 for none.
  std::int32_t candidate = 0;
  // From version 7 on: the blocks read (top-right first, the bottom-left one
  // only when the first matched nothing), matched within maxInformationDistance bits.
  std::int32_t maxInformationDistance = 0;
  std::vector<TVersionBlockFigures> informationBlocks;
  // The settled version; 0 when none.
  std::int32_t version = 0;
  // After a failure only: the versions 7 .. 40 that name themselves.
  std::vector<TSelfNamingVersion> selfNamingVersions;
  friend bool operator==(const TVersionFigures&, const TVersionFigures&) = default;
};

// The steps of the corner stage, in their order.
enum class TCornerStep : std::uint8_t {
  Predict,      // the corners predicted from the finder centres
  TopLeft,      // the farthest dark pixel near each corner
  TopRight,
  BottomLeft,
  BottomRight,
  BottomEdge,   // the supporting lines of the bottom and right edges
  RightEdge,
  Intersection, // where the two edges meet, tested against the found corner
  Frame,        // the frame over the four corners
  Done,
};
inline constexpr std::size_t kCornerStepCount = 10;
struct TCornerStepName {
  TCornerStep step;
  std::string_view key;
  std::string_view japanese;
};
const TCornerStepName& NameOf(TCornerStep step);

struct TCornerSearchFigures {
  TPoint around;            // centre of the square searched
  std::int32_t radius = 0;  // its half-size in pixels
  bool found = false;       // a dark pixel lay in it
  TPoint hit;               // the farthest dark pixel
  friend bool operator==(const TCornerSearchFigures&, const TCornerSearchFigures&) = default;
};

struct TCornerFigures {
  std::int32_t warp = 0;
  // Top-left, top-right, bottom-left, bottom-right.
  std::array<TCornerSearchFigures, 4> searches{};
  // The edge check of the bottom-right corner (only after its search found a pixel).
  bool edgeChecked = false;
  double bottomEdgeAngle = 0;  // radians
  double rightEdgeAngle = 0;
  std::optional<TPoint> intersection;
  bool movedToIntersection = false;
  std::array<TPoint, 4> corners{};
  // The step under way when the stage stopped; Done after a success.
  TCornerStep step = TCornerStep::Predict;
  friend bool operator==(const TCornerFigures&, const TCornerFigures&) = default;
};

struct TSamplingFigures {
  std::int32_t size = 0;            // modules per side
  std::int32_t alignmentNodes = 0;  // nodes of the alignment grid
  // Largest distance, in whole pixels, between an alignment centre as
  // predicted by the frame and as found.
  std::int32_t largestShift = 0;
  // Modules whose sampling point fell outside the picture (read as light).
  std::int32_t outside = 0;
  friend bool operator==(const TSamplingFigures&, const TSamplingFigures&) = default;
};

struct TFormatFigures {
  std::uint32_t read = 0;      // the 15 bits as sampled, bit i = format bit i, dark = 1
  std::uint32_t unmasked = 0;  // after the format mask is removed
  std::uint32_t nearest = 0;   // the nearest valid word (unmasked)
  std::int32_t distance = 0;   // bits in which the two differ
  std::int32_t maxDistance = 0;
  // What the nearest word means: level 0 L .. 3 H, mask pattern 0 .. 7.
  std::int32_t level = 0;
  std::int32_t mask = 0;
  // Both copies of the format information read in mirrored order (this copy,
  // then the one beside the other two finder patterns). A mirrored symbol is
  // located with its rows and columns swapped, so its format bits come out in
  // reverse order; read the other way, they give a valid word where the
  // ordinary read does not.
  struct TMirroredRead {
    std::uint32_t read = 0;     // as sampled, bit i = format bit i
    std::uint32_t nearest = 0;  // the nearest valid word (unmasked)
    std::int32_t distance = 0;
    friend bool operator==(const TMirroredRead&, const TMirroredRead&) = default;
  };
  std::array<TMirroredRead, 2> mirrored{};

  bool Accepted() const { return distance <= maxDistance; }
  friend bool operator==(const TFormatFigures&, const TFormatFigures&) = default;
};

// The data-stream reading. Mode indicators: 1 numeric, 2 alphanumeric, 4 byte,
// 8 Kanji are read; 0 is the terminator; any other ends the reading.
enum class TDataStop : std::uint8_t {
  Terminator,       // the indicator 0 with bits left to read
  UnsupportedMode,  // an indicator this decoder does not read
  Exhausted,        // fewer than four bits left for the next indicator
};
struct TSegmentFigures {
  std::uint32_t mode = 0;
  std::uint32_t count = 0;     // characters the segment announced
  std::int64_t startBit = 0;   // position of its mode indicator
  bool truncated = false;      // the stream ended inside the segment
  friend bool operator==(const TSegmentFigures&, const TSegmentFigures&) = default;
};
struct TDataFigures {
  std::vector<TSegmentFigures> segments;
  TDataStop stop = TDataStop::Terminator;
  std::uint32_t stopMode = 0;  // the indicator that ended the reading (0 when exhausted)
  std::int64_t stopBit = 0;    // where it stood
  std::int64_t totalBits = 0;
  friend bool operator==(const TDataFigures&, const TDataFigures&) = default;
};
// English and Japanese name of a mode indicator ("ECI", "undefined" ...).
std::string_view ModeName(std::uint32_t mode);
std::string_view ModeNameJapanese(std::uint32_t mode);

struct TBlockFigures {
  std::int32_t codewords = 0;
  std::int32_t dataCodewords = 0;
  // Of the syndromes the decoder computes, those that are not zero.
  std::int32_t nonZeroSyndromes = 0;
  // Degree of the error locator: the errors it points at (a true count up to
  // half the syndromes, a lower bound of sorts beyond).
  std::int32_t locatorDegree = 0;
  std::int32_t corrected = 0;
  bool uncorrectable = false;  // not a codeword after correction
  friend bool operator==(const TBlockFigures&, const TBlockFigures&) = default;
};

// After an uncorrectable block: the data codewords as read, without any
// correction, decoded as far as they go. Nothing vouches for this text.
struct TUnverifiedReading {
  std::string text;  // Shift-JIS bytes
  TDataFigures data;
  friend bool operator==(const TUnverifiedReading&, const TUnverifiedReading&) = default;
};

// Version, level and mask of the symbol are those of the version and format figures.
struct TCorrectionFigures {
  std::int32_t codewords = 0;  // of the whole symbol
  std::int32_t syndromes = 0;  // syndromes the decoder computes per block
  std::int32_t correctable = 0;  // most errors the decoder corrects in one block
  std::vector<TBlockFigures> blocks;
  std::optional<TUnverifiedReading> unverified;

  std::int32_t UncorrectableBlocks() const;
  friend bool operator==(const TCorrectionFigures&, const TCorrectionFigures&) = default;
};

// The parameters of the decode as the facade held them.
struct TDecodeParameters {
  std::int32_t resolver = 0;
  std::int32_t warp = 0;
  std::int32_t forceVersion = 0;
  friend bool operator==(const TDecodeParameters&, const TDecodeParameters&) = default;
};

struct TDiagnosis {
  // Where the decode stopped; Done after a success.
  TStage stage = TStage::Binarization;
  // After a failure the reason the status panel shows; empty after a success.
  std::string failure;
  std::int32_t pictureWidth = 0;
  std::int32_t pictureHeight = 0;
  TDecodeParameters parameters;

  std::optional<TBinarizationFigures> binarization;
  std::optional<TFinderFigures> finder;
  std::optional<TVersionFigures> version;
  std::optional<TCornerFigures> corners;
  std::optional<TSamplingFigures> sampling;
  std::optional<TFormatFigures> format;
  std::optional<TCorrectionFigures> correction;
  std::optional<TDataFigures> data;

  // The grey levels of the whole picture take a pass of their own: filled
  // only when asked for (TVeltrix::GreyHistogram), empty otherwise.
  std::optional<TGreyHistogram> pictureHistogram;

  // What the decode settled, each only once the stage that settles it
  // succeeded: the version (past the version stage), the level 0 L .. 3 H and
  // the mask pattern (past the format stage).
  std::optional<std::int32_t> SettledVersion() const;
  std::optional<std::int32_t> SettledLevel() const;
  std::optional<std::int32_t> SettledMask() const;

  friend bool operator==(const TDiagnosis&, const TDiagnosis&) = default;
};

// The facade's observer: keeps the stage entered last and every figure handed
// over, as the record of the last decode.
class TDiagnosisRecorder : public TDecodeObserver {
 public:
  // A new decode of a picture of that size: the record emptied.
  void Begin(std::int32_t width, std::int32_t height, const TDecodeParameters& parameters);
  // A decode that goes on from a kept earlier part of a decode of the same
  // picture: the record stands where that part left it (nothing is entered
  // anew), with the parameters of this decode.
  void Resume(const TDiagnosis& kept, const TDecodeParameters& parameters) {
    record_ = kept;
    record_.parameters = parameters;
  }
  // The decode is over; `failure` is empty after a success.
  void Finish(std::string failure) { record_.failure = std::move(failure); }

  void Enter(TStage stage) override { record_.stage = stage; }
  void Binarized(const TBinarizationFigures& figures) override { record_.binarization = figures; }
  void FinderSearched(const TFinderFigures& figures) override { record_.finder = figures; }
  void VersionDecided(const TVersionFigures& figures) override { record_.version = figures; }
  void CornersFound(const TCornerFigures& figures) override { record_.corners = figures; }
  void Sampled(const TSamplingFigures& figures) override { record_.sampling = figures; }
  void FormatRead(const TFormatFigures& figures) override { record_.format = figures; }
  void BlocksCorrected(const TCorrectionFigures& figures) override { record_.correction = figures; }
  void DataDecoded(const TDataFigures& figures) override { record_.data = figures; }

  const TDiagnosis& Record() const { return record_; }

 private:
  TDiagnosis record_;
};

// A walk over the record as named values, for writers of any format (JSON,
// HTML tables, labelled lines): groups and lists nest, values inside a list
// come without a key. The keys are English and the same for every writer.
class TFigureVisitor {
 public:
  virtual ~TFigureVisitor() = default;
  virtual void BeginGroup(std::string_view key) = 0;
  virtual void EndGroup() = 0;
  virtual void BeginList(std::string_view key) = 0;
  virtual void EndList() = 0;
  virtual void Number(std::string_view key, std::int64_t value) = 0;
  virtual void Real(std::string_view key, double value) = 0;
  virtual void Flag(std::string_view key, bool value) = 0;
  // UTF-8 text.
  virtual void Text(std::string_view key, std::string_view value) = 0;
  // A run of numbers (histograms, grey profiles); by default a list of Number.
  virtual void Numbers(std::string_view key, std::span<const std::int64_t> values);
};

// Visits the stage, the failure, the parameters and the figures of every
// stage that ran (a stage that did not run is left out).
void VisitFigures(const TDiagnosis& diagnosis, TFigureVisitor& visitor);
