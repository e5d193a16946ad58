#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/Surfaces.h"

// The window's pages, one row each, in tab order: everything that says what a
// page is. The window builds its tabs from it (captions, object names, panes
// at their places), the tabs' state icons read the work each page shows, the
// report iterates it, and the help command opens the manual at its anchor. docs/manual/stages.md and both manuals have a
// section for every row (checked by a test).

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

// The work whose state a page's tab shows.
struct TPageWork {
  enum class TKind {
    Load,     // the loaded picture: succeeded once a picture is loaded
    Stages,   // the steps listed
    Outcome,  // the result: succeeded or failed with the analysis itself
  };
  TKind kind = TKind::Stages;
  std::vector<TStep> steps;
  // Every analysis redraws the whole page (its panes are text panes that the
  // analysis clears, or it has none): it always shows the last analysis.
  bool redrawn = false;
};

// A place on a page, in pixels from its top-left corner.
struct TPlace {
  int x = 0;
  int y = 0;
};

struct TPagePane {
  enum class TKind { Image, Text };
  // How a text pane differs from the plain one: kept at its distances from
  // all sides of the page, or a trace of long unwrapped lines that leaves the
  // Enter key to the window.
  enum class TTextStyle { Plain, Anchored, Trace };

  TKind kind = TKind::Image;
  TImagePaneId image = TImagePaneId::Image1;
  TTextPaneId text = TTextPaneId::ImgMemo;
  // The label above the pane (empty when there is none) and where it stands.
  std::string_view label;
  TPlace labelAt;
  // The pane's place and size (an image pane's display area, inside its frame).
  TPlace at;
  int width = 0;
  int height = 0;
  // A picture of one pixel per module, to be enlarged with crisp square pixels.
  bool modules = false;
  TTextStyle style = TTextStyle::Plain;
};

struct TPage {
  // What fills the page: the panes the stages draw on, or the diagnosis of
  // the last analysis, drawn from the record and the verdict (no panes).
  enum class TBody { Panes, Diagnosis };

  std::string_view objectName;
  // The tab's caption, in Japanese, the window's language.
  std::string_view caption;
  TBody body = TBody::Panes;
  std::vector<TPagePane> panes;
  TPageWork work;
  // The anchor of the page's section in manual-ja.md ("en-" before it in manual-en.md).
  std::string_view manualAnchor;
  // The key of its explanation in stages.md.
  std::string_view explanationKey;
};

// The pages in the window's order.
const std::vector<TPage>& Pages();
// The page with this object name; null for a name that is no page.
const TPage* FindPage(std::string_view objectName);
// The page in front when the window opens.
const TPage& OpeningPage();
