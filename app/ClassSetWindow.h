#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include <QString>
#include <QWidget>

#include "classset/ClassRow.h"
#include "decoder/Analysis.h"

class QCheckBox;
class QCloseEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

// The window of ツール → フォルダを開く…, beside the main window and not
// modal: every picture of a folder in one table, a row a picture in the
// order of the names, as the command line's summary page shows them
// (ClassSet.h, ClassSummary.h). The pictures are analysed on every core, on
// threads of their own with the main window's parameters, rows filling in as
// they are done, so the main window stays usable and nothing it shows is
// touched; a click on a row opens its picture in the main window and analyses
// it with the row's parameters.
class TClassSetWindow : public QWidget {
  Q_OBJECT

 public:
  struct THooks {
    std::function<TAnalysisParameters()> parameters;  // the main window's fields now
    // The main window's load of the file, then its analysis with these values.
    std::function<void(const QString& path, const TAnalysisParameters& parameters)> open;
  };

  TClassSetWindow(QWidget* parent, THooks hooks);
  // Stops a run and waits for its threads.
  ~TClassSetWindow() override;

  // Lists the folder's pictures and starts analysing them. False, with the
  // reason on the status line, when it cannot be listed or holds none.
  // During a run, the run is stopped and the folder taken once it has ended.
  bool Start(const QString& folder);
  // Asks a run to stop after the pictures in progress; their rows stay.
  void Cancel();
  bool Running() const { return worker_.joinable(); }

  QString Folder() const { return folder_; }
  // A row a picture of the folder, in the table's order; none for a picture
  // not done yet.
  const std::vector<std::optional<TClassRow>>& Rows() const { return rows_; }
  // A click on a row: its picture opened in the main window.
  void RowClicked(int row);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void RowDone(std::uint64_t run, std::size_t index, const TClassRow& row, std::size_t done, std::size_t total);
  void Finished(std::uint64_t run, const QString& failure);
  void ShowRow(int at);
  void ShowColumns();
  void SetRunning(bool running);

  THooks hooks_;
  QLabel* folderLabel_ = nullptr;
  QCheckBox* explore_ = nullptr;
  QCheckBox* hideAnswer_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  QTableWidget* table_ = nullptr;

  QString folder_;
  std::vector<std::string> names_;
  std::vector<std::optional<TClassRow>> rows_;
  // The parameters and exploration of the rows shown.
  bool explored_ = false;

  // The run's threads; they touch nothing of the window but `stop_` and the
  // events they post (each row, then the end).
  std::thread worker_;
  std::atomic<bool> stop_{false};
  // Counts runs: events of an earlier run are dropped.
  std::uint64_t run_ = 0;
  // The folder asked for during a run, started when the run has ended.
  std::optional<QString> next_;
};
