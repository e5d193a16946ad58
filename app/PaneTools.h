#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QObject>
#include <QPoint>
#include <QString>

#include "ModuleReadout.h"
#include "PageStates.h"
#include "PaneExport.h"
#include "common/Surfaces.h"
#include "decoder/Analysis.h"

class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QTabWidget;
class TImageView;
class TVeltrix;
class TWindowSurfaces;

// The inspector of the main window: the readout under the cursor (a third
// field of the status bar), the marks and their legends, what a module of a
// module pane holds and the highlighting of a codeword's modules, the state
// icons on the tabs, the panes' context menus (views, an enlarged window,
// saving and copying), views that follow each other, and loading by drag and
// drop. It shows what the stages left on the panes and what the decoder used
// (the sampling grid, the reading order, the blocks); it changes no pane.
class TPaneTools : public QObject {
  Q_OBJECT

 public:
  struct THooks {
    std::function<void(const QString& path)> load;     // the load command for a chosen file
    std::function<void(const QString& text)> message;  // a message box
  };
  using TFileChooser = TPaneExport::TFileChooser;

  TPaneTools(QMainWindow& window, TWindowSurfaces& surfaces, QTabWidget& pages, THooks hooks);
  ~TPaneTools() override;

  // After a successful load: the picture panes back to the stretched view, the pages' states.
  void Loaded();
  // After an analysis: the marks of the panes it redrew, the pages' states.
  void Analysed(const TAnalysisResult& result, const TVeltrix& decoder, const std::vector<TImagePaneId>& redrawn);

  QAction* MarksAction() const { return marksAction_; }
  QAction* LinkAction() const { return linkAction_; }
  const TPageStates& States() const { return states_; }

  // The readout of a picture pixel of a pane, as the status field shows it.
  QString Readout(TImagePaneId pane, QPoint pixel) const;
  // What the status field shows while the cursor rests on no pane (what a
  // made picture is); empty, the default, leaves it blank.
  void SetRestingReadout(const QString& text);
  // What a module of a module pane holds (Outside for other panes).
  TModuleFacts ModuleFacts(TImagePaneId pane, QPoint module) const;
  // The modules of a module pane as the analysis that drew it read them; null for other panes.
  const TModuleMap* ModuleMap(TImagePaneId pane) const { return maps_[static_cast<std::size_t>(pane)].get(); }
  // The codeword whose modules BlockImage outlines, or -1.
  std::int32_t HighlightedCodeword() const { return shownCodeword_; }

  // Saving the panes (see TPaneExport). Every file the window writes is
  // named through its chooser: the one set (tests, batch runs) or the save dialog.
  TPaneExport& Export() { return *export_; }
  void SetFileChooser(TFileChooser chooser) { export_->SetFileChooser(std::move(chooser)); }
  QString ChooseFile(const QString& title, const QString& suggested, const QString& filter, QWidget* options = nullptr) {
    return export_->ChooseFile(title, suggested, filter, options);
  }
  bool SavePicture(TImagePaneId pane, const QString& path, bool enlarged) { return export_->SavePicture(pane, path, enlarged); }
  bool SaveText(TTextPaneId pane, const QString& path) { return export_->SaveText(pane, path); }
  // The pane's picture in a window of its own, which can be resized and zoomed.
  QWidget* OpenEnlarged(TImagePaneId pane);
  // The context menus of the panes.
  void FillImageMenu(QMenu& menu, TImagePaneId pane);
  void FillTextMenu(QMenu& menu, TTextPaneId pane);

  static int SlideFactor(int side) { return TPaneExport::SlideFactor(side); }

 private:
  class TDropFilter;

  void BindView(TImagePaneId pane);
  void AddLegends();
  void ShowStates();
  void Hovered(TImagePaneId pane, QPoint pixel);
  void Clicked(TImagePaneId pane, QPoint pixel);
  void ListingLineChosen();
  void ShowCodeword(std::int32_t codeword);
  void Follow(TImagePaneId pane);
  void Dropped(const QString& path);

  QMainWindow& window_;
  TWindowSurfaces& surfaces_;
  QTabWidget& pages_;
  THooks hooks_;
  TPaneExport* export_ = nullptr;
  TPageStates states_;
  QLabel* readout_ = nullptr;
  QString restingReadout_;
  QAction* marksAction_ = nullptr;
  QAction* linkAction_ = nullptr;
  // What the module panes hold, from the analysis that drew each.
  std::array<std::shared_ptr<const TModuleMap>, kImagePaneCount> maps_;
  // The codeword chosen by a click or in the listing, and the one outlined now.
  std::int32_t pinnedCodeword_ = -1;
  std::int32_t shownCodeword_ = -1;
  bool following_ = false;
};
