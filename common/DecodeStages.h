#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Where a decode stands. The stages of the pipeline in their order, and the
// observer through which each stage tells that it begins: the facade hands
// one observer to every stage, as it hands them the display surfaces, and
// reads from it where the last decode stopped.

enum class TStage : std::uint8_t {
  Binarization,  // the picture made binary (a picture too small for a threshold stops here)
  FinderSearch,  // the three finder patterns
  Version,       // the version, from the timing patterns or the version information
  Corners,       // the four corners and the frame over them
  Sampling,      // the alignment grid and one sample per module
  Format,        // level and mask from the format information
  Codewords,     // codewords read and every block corrected (error code 3 included)
  Data,          // the data segments decoded into the text
  Done,          // decoded
};
inline constexpr std::size_t kStageCount = 9;

// A short English key (for files and messages) and the Japanese name (for the
// window and reports) of each stage, in pipeline order.
struct TStageName {
  TStage stage;
  std::string_view key;
  std::string_view japanese;
};
extern const std::array<TStageName, kStageCount> kStageNames;
const TStageName& NameOf(TStage stage);

struct TBinarizationFigures;
struct TFinderFigures;
struct TVersionFigures;
struct TCornerFigures;
struct TSamplingFigures;
struct TFormatFigures;
struct TCorrectionFigures;
struct TDataFigures;

// What the stages tell while they run. A stage calls Enter as it begins its
// work, in pipeline order; the stages before it have succeeded. As it ends it
// hands over what it measured (common/Diagnosis.h), also when it fails: a
// stage that raises a failure reports first. Reporting changes nothing that a
// stage computes or draws.
class TDecodeObserver {
 public:
  virtual ~TDecodeObserver() = default;
  virtual void Enter(TStage stage) = 0;

  virtual void Binarized(const TBinarizationFigures&) {}
  virtual void FinderSearched(const TFinderFigures&) {}
  virtual void VersionDecided(const TVersionFigures&) {}
  virtual void CornersFound(const TCornerFigures&) {}
  virtual void Sampled(const TSamplingFigures&) {}
  virtual void FormatRead(const TFormatFigures&) {}
  virtual void BlocksCorrected(const TCorrectionFigures&) {}
  virtual void DataDecoded(const TDataFigures&) {}

  // An observer that keeps nothing, for stages driven on their own.
  static TDecodeObserver& Nobody();
};
