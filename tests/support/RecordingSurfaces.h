#pragma once

// Display surfaces that also keep one log of every text line in the order the
// lines were written, across all text panes, for tests of the order between panes.

#include <array>
#include <string>
#include <vector>

#include "common/Surfaces.h"

namespace testing_support {

class TRecordingSurfaces : public TSurfaces {
 public:
  struct TEntry {
    TTextPaneId pane;
    std::string line;
  };

  TRecordingSurfaces() {
    for (std::size_t i = 0; i < kTextPaneCount; ++i) {
      panes_[i].owner = this;
      panes_[i].id = static_cast<TTextPaneId>(i);
      InstallTextPane(panes_[i].id, &panes_[i]);
    }
  }

  const std::vector<TEntry>& Log() const { return log_; }

 private:
  struct TRecordingPane : TTextPane {
    void AppendLine(const std::string& line) override {
      TTextPane::AppendLine(line);
      owner->log_.push_back({id, line});
    }
    TRecordingSurfaces* owner = nullptr;
    TTextPaneId id = TTextPaneId::ImgMemo;
  };

  std::array<TRecordingPane, kTextPaneCount> panes_;
  std::vector<TEntry> log_;
};

}  // namespace testing_support
