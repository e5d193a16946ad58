#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include <QString>
#include <QWidget>

#include "decoder/Analysis.h"
#include "decoder/Explorer.h"

class QCloseEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

// The parameter explorer's window, beside the main window and not modal: the
// grid's ranges, a progress bar with Cancel, and the map with one cell per
// Resolver and Warp, coloured by where that decode stopped. The grid runs on
// threads of its own, one a core, with the explorer's own copies of the
// picture and panes that keep nothing, so the main window stays usable and
// nothing it shows is touched; a click on a cell hands its values to the main window's analysis,
// the only run that draws there.
class TExplorerWindow : public QWidget {
  Q_OBJECT

 public:
  struct THooks {
    std::function<const TBitmap&()> picture;                  // the main window's picture now
    std::function<std::int32_t()> forceVersion;               // ForceVersion as set in the main window
    std::function<void(const TAnalysisParameters&)> analyse;  // the main window's analysis with these values
  };

  TExplorerWindow(QWidget* parent, THooks hooks);
  // Cancels a run and waits for its thread.
  ~TExplorerWindow() override;

  // Starts a run over the grid of the fields on the main window's picture.
  // False, with the reason on the status line, when none can start.
  bool Start();
  // Asks a run to stop after the cell it is on; the cells done so far stay on the map.
  void Cancel();
  // The main window loaded another picture: a run stops and the map, which
  // belongs to the earlier picture, goes.
  void PictureChanged();
  bool Running() const { return worker_.joinable(); }

  // The map shown (of the picture loaded now), if any.
  const TExploreMap* Map() const { return map_ ? &*map_ : nullptr; }
  // The cell the user picked last, as an index into Map()->cells.
  std::optional<std::size_t> Picked() const { return picked_; }
  // A click on the map's cell in this row (Resolver) and column (Warp).
  void CellClicked(int row, int column);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* BuildOptions();
  QWidget* BuildLegend();
  void Progressed(std::uint64_t run, std::size_t done, std::size_t total);
  // The run's map, or none with the reason it failed.
  void Finished(std::uint64_t run, std::shared_ptr<TExploreMap> map, double seconds, const QString& failure);
  void ShowMap(const TExploreMap& map);
  void ClearMap();
  void SetRunning(bool running);

  THooks hooks_;
  QSpinBox* resolverFrom_ = nullptr;
  QSpinBox* resolverTo_ = nullptr;
  QSpinBox* resolverStep_ = nullptr;
  QSpinBox* warpFrom_ = nullptr;
  QSpinBox* warpTo_ = nullptr;
  QSpinBox* warpStep_ = nullptr;
  QLabel* forceVersion_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* texts_ = nullptr;

  // The run's thread; it touches nothing of the window but `stop_` and the
  // events it posts (progress, then the map).
  std::thread worker_;
  std::atomic<bool> stop_{false};
  // Counts runs; a run whose number is no longer current (its picture was
  // replaced) finds its map dropped.
  std::uint64_t run_ = 0;
  bool dropResult_ = false;
  std::optional<TExploreMap> map_;
  std::optional<std::size_t> picked_;
};
