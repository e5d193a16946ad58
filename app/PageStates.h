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
#include "report/Pages.h"

// What a page of the window shows after the last analysis: its stages ran
// and succeeded, one of them failed, they did not run (the page keeps what an
// earlier analysis left), or the page was drawn from a picture older than the
// one loaded now (stale, which wins over "did not run"). None: nothing yet.
enum class TPageState { None, Succeeded, Failed, NotRun, Stale };

// The state of a page showing `work` after an analysis that stopped at
// `stoppedAt` (Done after a success).
TPageState StateAfter(const TPageWork& work, TStage stoppedAt, bool decoded);
// The state of one stage of the pipeline after such an analysis, as a page
// showing only that stage's work would have it (Done: as the outcome).
TPageState StageStateAfter(TStage stage, TStage stoppedAt, bool decoded);

// The states of all pages (those of the page table) across loads and analyses.
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
