#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QIcon>
#include <QTabBar>
#include <QString>

#include "common/DecodeStages.h"

// What a page of the window shows after the last analysis: its stages ran
// and succeeded, one of them failed, they did not run (the page keeps what an
// earlier analysis left), or the page was drawn from a picture older than the
// one loaded now (stale, which wins over "did not run"). None: nothing yet.
enum class TPageState { None, Succeeded, Failed, NotRun, Stale };

// The work behind the pages, in the order a decode does it. It is finer than
// the stage signal where one stage fills two pages: the sampled matrix is
// drawn once sampling has succeeded; the mask and unmasked matrix once the
// format is read; the codewords are read (BlockRead) before the blocks are
// corrected (ReedSolomon), and the signal's codeword stage fails only when a
// block stays uncorrectable.
enum class TStep : std::uint8_t {
  Binarization,
  FinderSearch,
  Version,
  Corners,
  Sampling,
  Matrix,
  Format,
  Mask,
  BlockRead,
  Correction,
  Data,
};

// One page and the steps whose work it shows.
struct TPageSteps {
  enum class TKind {
    Load,     // the loaded picture: succeeded once a picture is loaded
    Stages,   // the steps listed
    Outcome,  // the result: succeeded or failed with the analysis itself
  };
  const char* page;  // the page's object name
  TKind kind;
  std::vector<TStep> steps;
  // Its panes are all text panes that every analysis clears: they always hold
  // the last analysis's lines.
  bool cleared = false;
};
const std::vector<TPageSteps>& PageSteps();

// The state of a page after an analysis that stopped at `stoppedAt` (Done after a success).
TPageState StateAfter(const TPageSteps& page, TStage stoppedAt, bool decoded);
// The state of one stage of the pipeline after such an analysis, as a page
// showing only that stage's work would have it (Done: as the outcome).
TPageState StageStateAfter(TStage stage, TStage stoppedAt, bool decoded);

// The states of all pages across loads and analyses.
class TPageStates {
 public:
  // A picture was loaded (only a successful load counts).
  void Loaded();
  void Analysed(TStage stoppedAt, bool decoded);
  TPageState State(std::string_view page) const;
  // An analysis ran since the last load: the pages that it drew belong to the
  // picture loaded now.
  bool CurrentPictureAnalysed() const { return generation_ > 0 && analysedAt_ == generation_; }

 private:
  struct TEntry {
    TPageState last = TPageState::None;
    std::optional<std::uint64_t> drawnFrom;  // the load the page was last drawn from
  };
  std::uint64_t generation_ = 0;  // successful loads so far
  std::optional<std::uint64_t> analysedAt_;  // the load the last analysis ran on
  std::map<std::string, TEntry, std::less<>> entries_;
};

// A small icon for the tab of a page in this state (none for None).
QIcon StateIcon(TPageState state);
// Narrower padding and small icons on the tabs, so that the pages' captions
// and their state icons fit the window's width together.
void MakeRoomForStateIcons(QTabBar& tabs);
// One line saying what the state means, for the tab's tooltip.
QString StateText(TPageState state);
