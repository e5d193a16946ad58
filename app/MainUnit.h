#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QKeySequence>
#include <QMainWindow>
#include <QString>

#include "ParameterFields.h"
#include "PictureAdjust.h"
#include "TrialWorker.h"
#include "common/Bitmap.h"
#include "decoder/Analysis.h"
#include "report/PictureSource.h"

class QAction;
class QCloseEvent;
class QFileDialog;
class QLabel;
class QMenu;
class QTabWidget;
class TClassSetWindow;
class TExplorerWindow;
class THelpWindow;
class TDiagnosisPage;

class TPaneTools;
class TSampleMakerWindow;
class TMemo;
class TImageView;
class TLabWindow;
class TPaneFit;
class TVeltrix;
class TWindowSurfaces;

// The main window: the loaded picture, the three parameters and one page per
// stage of the decoding, on whose panes the stages draw.
class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  enum class TLoadResult { Loaded, Unsupported, Failed };

  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Handlers.
  void FormCreate();
  void FormClose();
  void ImageReadBtnClick();
  void AnalyBtnClick();
  // The help command: Morilux.chm in the working folder through the desktop
  // when it is there, otherwise the built-in manual at the page in front.
  void N6Click();
  // The facade's notifications: status panel 1 shows the outcome.
  void ShowDecoded(TVeltrix& sender);
  void ShowDecodeError(TVeltrix& sender);

  // The analysis command from the keyboard (F5): what is typed in the spin
  // fields is taken as if they had lost the focus, then the analysis runs.
  void AnalyseCommand();
  // The values put into the spin fields, where the user sees them, then the
  // analysis command (as the explorer's click on a cell of its map does).
  void SetFieldsAndAnalyse(const TAnalysisParameters& parameters);

  // "レポートを書き出す…": asks for a file name (through the inspector's file
  // chooser, whose dialog holds the check box HideAnswerCheck for an
  // exercise) and writes the report there. Refused with a message while the
  // pages do not show an analysis of the picture loaded now.
  void ReportCommand();
  // The report of the last analysis written to `path`, whole or not at all;
  // `hideAnswer`, an exercise with its answer sheet beside it (both or
  // neither). False after a message.
  bool WriteReport(const QString& path, bool hideAnswer = false);
  // "パラメータ探索…": the explorer's window, made on first use, brought to the front.
  TExplorerWindow* ExplorerCommand();
  // "次のページ" / "前のページ": the page `step` tabs on, round from the last to the first.
  void TurnPage(int step);
  // The fields of the three parameters ("既定値に戻す" sets their presets).
  TParameterFields& Fields() { return *fields_; }
  // Where the panes stand ("ウィンドウに合わせる").
  TPaneFit& Fit() { return *fit_; }
  // "サンプル作成…": the sample maker's window, made on first use, brought to the front.
  TSampleMakerWindow* SampleMakerCommand();
  // "誤り訂正の実験…": the lab's window, made on first use, opened on the
  // module matrix of the last analysis and brought to the front.
  TLabWindow* LabCommand();
  // "フォルダを開く…": asks for a folder (OpenFolderDialog) and shows its
  // pictures in the class set's window (OpenClassSet).
  void FolderCommand();
  // The class set's window, made on first use and brought to the front,
  // analysing the folder's pictures with the values of the fields.
  TClassSetWindow* OpenClassSet(const QString& folder);

  // Adds a command to the menu "ツール" (before its closing quit item), with
  // its shortcut if any; one line per command.
  QAction* AddToolCommand(const QString& text, const char* objectName, const QKeySequence& shortcut,
                          std::function<void()> run);

  // The load command through `dialog` (OpenDialog1, or OpenAnyDialog of
  // "画像を開く（PNG も）…"): panel 1 cleared, the dialog shown, the chosen file loaded.
  void ChooseAndLoad(QFileDialog& dialog);

  // The load command after the file has been chosen: reads the file by its
  // lower-cased extension, shows the picture on "読み込み画像" and
  // "デジタル処理画像" and brings "読み込み画像" to the front. A file that
  // cannot be read leaves the previous picture and says why in panel 1 (and
  // in a message box when the file is damaged or missing).
  TLoadResult LoadPictureFile(const QString& path);
  // A picture of the sample maker, loaded as a file is; `caption` (what was
  // made and how) shows on "読み込み画像" and in the readout until the next load.
  void LoadMadePicture(const TBitmap& picture, const QString& caption);

  // The folder the built-in manual is read from (its resources by default).
  void SetManualSource(const QString& root) { manualRoot_ = root; }
  // The help window once the help command has opened it.
  THelpWindow* Help() const { return help_; }

  // Message boxes go here instead when set (tests, batch runs).
  void SetMessageSink(std::function<void(const QString&)> sink) { messageSink_ = std::move(sink); }

  const TBitmap& Picture() const { return picture_; }
  // The result of the last analysis command.
  const TAnalysisResult& LastAnalysis() const { return lastAnalysis_; }
  TWindowSurfaces& Surfaces() { return *surfaces_; }
  const TWindowSurfaces& Surfaces() const { return *surfaces_; }
  TPaneTools& Inspector() { return *inspector_; }
  // The page 診断, appended after the ten pages.
  TDiagnosisPage& DiagnosisView() { return *diagnosis_; }
  // The trial of suggestions after the last analysis.
  TTrialWorker& Trials() { return *trials_; }
  TPictureAdjuster& Adjuster() { return *adjuster_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  QWidget* BuildTopBar();
  QTabWidget* BuildPages();
  void ShowMessage(const QString& text);

  void BuildToolsMenu();
  void ShowDiagnosisState();
  // The end of a load: `loaded`, if any, becomes the picture of the panes.
  void ShowLoaded(std::optional<TBitmap> loaded, const QString& path, TPictureSource source, const QString& madeCaption);

  // Remembers the folder of a loaded picture and starts the open dialogs there.
  void RememberFolderOf(const QString& path);

  std::unique_ptr<TWindowSurfaces> surfaces_;
  TPaneTools* inspector_ = nullptr;
  QMenu* ToolsMenu = nullptr;
  QAction* toolsEnd_ = nullptr;
  std::unique_ptr<TVeltrix> decoder_;
  TBitmap picture_;
  // The file the picture was loaded from, and what it was then; for a made
  // picture, none, and what was made.
  QString picturePath_;
  TPictureSource pictureSource_;
  QString madeCaption_;
  // The report command's check box as it was last left.
  bool hideAnswer_ = false;
  TAnalysisResult lastAnalysis_;
  // The image panes the last analysis drew; the others show what earlier
  // analyses left and stay out of the report.
  std::vector<TImagePaneId> lastDrawn_;
  TExplorerWindow* explorer_ = nullptr;
  TSampleMakerWindow* sampleMaker_ = nullptr;
  TLabWindow* lab_ = nullptr;
  TClassSetWindow* classSet_ = nullptr;
  std::function<void(const QString&)> messageSink_;
  QString manualRoot_ = QStringLiteral(":/manual");
  THelpWindow* help_ = nullptr;

  // SpinEdit1 (Resolver), SpinEdit3 (Warp) and SpinEdit2 (ForceVersion).
  TParameterFields* fields_ = nullptr;
  QTabWidget* PageControl1 = nullptr;
  TPaneFit* fit_ = nullptr;
  QWidget* TabSheet1 = nullptr;
  TDiagnosisPage* diagnosis_ = nullptr;
  // The trial of suggestions after each analysis that did not read.
  TTrialWorker* trials_ = nullptr;
  // ツール → 画像の調整.
  TPictureAdjuster* adjuster_ = nullptr;
  QFileDialog* OpenDialog1 = nullptr;
  QFileDialog* OpenAnyDialog = nullptr;
  QFileDialog* OpenFolderDialog = nullptr;
};
