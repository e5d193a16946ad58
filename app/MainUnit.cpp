#include "MainUnit.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "ClassSetWindow.h"
#include "DiagnosisPage.h"
#include "ExplorerWindow.h"
#include "HelpWindow.h"
#include "LabWindow.h"
#include "CodewordSteps.h"
#include "PaneFit.h"
#include "PaneTools.h"
#include "PictureFiles.h"
#include "SampleMaker.h"
#include "SaveFile.h"
#include "ToolWindow.h"
#include "WindowKeys.h"
#include "WindowPages.h"
#include "WindowPlacement.h"
#include "WindowReport.h"
#include "WindowSettings.h"
#include "WindowSurfaces.h"
#include "decoder/Veltrix.h"
#include "picture/PictureLoader.h"
#include "LanguageMenu.h"
#include "UiLanguage.h"

// ---------------------------------------------------------------------------

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), surfaces_(std::make_unique<TWindowSurfaces>()) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Morilux"));
  setWindowIcon(MoriluxIcon());
  setFont(WindowFont());
  PlaceOnScreen(*this, QSize(979, 663), QPoint(231, 232));

  // A window smaller than the pages need scrolls them (the top bar with them); the status bar stays below.
  auto* client = new QWidget;
  client->setObjectName(QStringLiteral("Client"));
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(BuildTopBar());
  column->addWidget(BuildPages(), 1);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("ClientScroll"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(client);
  setCentralWidget(scroll);

  auto* status = new QStatusBar(this);
  status->setObjectName(QStringLiteral("StatusBar1"));
  status->setSizeGripEnabled(true);
  auto* panel0 = new QLabel(status);
  panel0->setObjectName(QStringLiteral("StatusPanel0"));
  panel0->setFixedWidth(120);
  auto* panel1 = new QLabel(status);
  panel1->setObjectName(QStringLiteral("StatusPanel1"));
  panel1->setMinimumWidth(50);
  status->addWidget(panel0);
  // The last panel takes the rest of the bar, so that an error text is readable.
  status->addWidget(panel1, 1);
  setStatusBar(status);
  surfaces_->BindStatus(panel0, panel1);

  inspector_ = new TPaneTools(*this, *surfaces_, *PageControl1,
                              {[this](const QString& path) { LoadPictureFile(path); },
                               [this](const QString& text) { ShowMessage(text); }});
  fit_->RecordDesign();
  StepCodewordsWithArrows(*surfaces_->Memo(TTextPaneId::BLMemo),
                          [this] { return inspector_->ModuleMap(TImagePaneId::BlockImage); });
  BuildMenu();
  LeaveCommandKeysToWindow(*this);

  OpenDialog1 = new QFileDialog(this);
  OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1->setNameFilters({QStringLiteral("Jpeg (*.jpg *.jpeg)"), QStringLiteral("bmp (*.bmp)")});
  OpenAnyDialog = MakeAnyPictureDialog(this);
  OpenFolderDialog = new QFileDialog(this, Ui(QStringLiteral("フォルダを開く")));
  OpenFolderDialog->setObjectName(QStringLiteral("OpenFolderDialog"));
  OpenFolderDialog->setFileMode(QFileDialog::Directory);
  OpenFolderDialog->setOption(QFileDialog::ShowDirsOnly);
  if (const QString folder = LastPictureFolder(); !folder.isEmpty())
    for (QFileDialog* dialog : {OpenDialog1, OpenAnyDialog, OpenFolderDialog}) dialog->setDirectory(folder);

  FormCreate();
  TranslateNewWindow(this);
}

TForm1::~TForm1() {
  // Their threads are stopped and joined before anything of this window goes.
  delete explorer_;
  delete classSet_;
  FormClose();
}

void TForm1::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  QMenu* file = bar->addMenu(Ui(QStringLiteral("ファイル")));
  file->setObjectName(QStringLiteral("FileMenu"));
  QAction* read = file->addAction(Ui(QStringLiteral("読み込み")));
  read->setObjectName(QStringLiteral("ReadMenuItem"));
  read->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  connect(read, &QAction::triggered, this, [this] { ImageReadBtnClick(); });
  BuildToolsMenu();
  QAction* help = bar->addAction(Ui(QStringLiteral("ヘルプ")));
  help->setObjectName(QStringLiteral("N6"));
  help->setShortcut(QKeySequence(Qt::Key_F1));
  connect(help, &QAction::triggered, this, [this] { N6Click(); });
}

// "ツール" holds the added commands (one AddToolCommand line each, above the
// first separator), the display toggles and the quit command.
void TForm1::BuildToolsMenu() {
  ToolsMenu = menuBar()->addMenu(Ui(QStringLiteral("ツール")));
  ToolsMenu->setObjectName(QStringLiteral("ToolsMenu"));
  toolsEnd_ = ToolsMenu->addSeparator();
  ToolsMenu->addAction(inspector_->MarksAction());
  ToolsMenu->addAction(inspector_->LinkAction());
  QAction* fit = ToolsMenu->addAction(Ui(QStringLiteral("ウィンドウに合わせる")));
  fit->setObjectName(QStringLiteral("FitWindowAction"));
  fit->setCheckable(true);
  fit->setToolTip(Ui(QStringLiteral("ページの画像とテキストを、同じ並びのままウィンドウの大きさに合わせて拡大・縮小します")));
  connect(fit, &QAction::toggled, this, [this](bool fitted) { fit_->SetFitted(fitted); });
  ToolsMenu->addSeparator();
  QAction* quit = ToolsMenu->addAction(Ui(QStringLiteral("終了")));
  quit->setObjectName(QStringLiteral("QuitAction"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, this, [this] { close(); });

  AddToolCommand(Ui(QStringLiteral("解析")), "AnalyseAction", QKeySequence(Qt::Key_F5), [this] { AnalyseCommand(); });
  AddToolCommand(Ui(QStringLiteral("レポートを書き出す…")), "ReportAction", QKeySequence(Qt::CTRL | Qt::Key_R),
                 [this] { ReportCommand(); })
      ->setToolTip(Ui(QStringLiteral("最後の解析のすべてのページを一つの HTML ファイルに書き出します")));
  AddToolCommand(Ui(QStringLiteral("パラメータ探索…")), "ExploreAction", QKeySequence(Qt::CTRL | Qt::Key_E),
                 [this] { ExplorerCommand(); })
      ->setToolTip(Ui(QStringLiteral("Resolver と Warp のすべての組み合わせで解析し、どこで止まるかを地図にします")));
  AddToolCommand(Ui(QStringLiteral("画像を開く（PNG も）…")), "OpenAnyAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O),
                 [this] { ChooseAndLoad(*OpenAnyDialog); })
      ->setToolTip(Ui(QStringLiteral("読み込める画像（JPEG、BMP、PNG）をすべて選べるダイアログで画像を読み込みます")));
  AddToolCommand(Ui(QStringLiteral("既定値に戻す")), "PresetsAction", {}, [this] { fields_->ResetToPresets(); })
      ->setToolTip(Ui(QStringLiteral("Resolver、Warp、ForceVersion を既定値に戻します")));
  // Shift+Tab comes as Backtab on X11: both spellings are given.
  AddToolCommand(Ui(QStringLiteral("次のページ")), "NextPageAction", {}, [this] { TurnPage(1); })
      ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});
  AddToolCommand(Ui(QStringLiteral("前のページ")), "PreviousPageAction", {}, [this] { TurnPage(-1); })
      ->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)});
  AddToolCommand(Ui(QStringLiteral("サンプル作成…")), "SampleMakerAction", QKeySequence(Qt::CTRL | Qt::Key_M),
                 [this] { SampleMakerCommand(); })
      ->setToolTip(Ui(QStringLiteral("型番、誤り訂正レベル、マスクを決めてシンボルを作り、写真のように加工して読み込むか保存します")));
  AddToolCommand(Ui(QStringLiteral("フォルダを開く…")), "OpenFolderAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F),
                 [this] { FolderCommand(); })
      ->setToolTip(Ui(QStringLiteral("フォルダのすべての画像を解析し、結果を一つの表にします")));
  AddToolCommand(Ui(QStringLiteral("誤り訂正の実験…")), "LabAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L),
                 [this] { LabCommand(); })
      ->setToolTip(Ui(QStringLiteral("最後の解析で読み取ったモジュールを変えて読み直し、誤り訂正の働きを確かめます")));
  ToolsMenu->insertMenu(toolsEnd_, MakeLanguageMenu(ToolsMenu));
  adjuster_ = new TPictureAdjuster(ToolsMenu, toolsEnd_, [this](auto p, auto s) { ShowLoaded(p, picturePath_, s, madeCaption_); }, this);
}

QAction* TForm1::AddToolCommand(const QString& text, const char* objectName, const QKeySequence& shortcut,
                                std::function<void()> run) {
  auto* action = new QAction(text, ToolsMenu);
  action->setObjectName(QString::fromLatin1(objectName));
  action->setShortcut(shortcut);
  connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
  ToolsMenu->insertAction(toolsEnd_, action);
  return action;
}

QWidget* TForm1::BuildTopBar() {
  auto* panel = new QWidget;
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFixedHeight(41);

  auto* read = new QPushButton(Ui(QStringLiteral("読込")), panel);
  read->setObjectName(QStringLiteral("ImageReadBtn"));
  read->setGeometry(3, 0, 42, 41);
  connect(read, &QPushButton::clicked, this, [this] { ImageReadBtnClick(); });

  auto* analyse = new QPushButton(Ui(QStringLiteral("解析")), panel);
  analyse->setObjectName(QStringLiteral("AnalyBtn"));
  analyse->setGeometry(48, 0, 40, 40);
  // Its English is a little wider than the window's button.
  const auto fitAnalyse = [analyse] { analyse->resize(InEnglish() ? 54 : 40, 40); };
  fitAnalyse();
  connect(&UiLanguageNotifier(), &TUiLanguageNotifier::Changed, analyse, fitAnalyse);
  connect(analyse, &QPushButton::clicked, this, [this] { AnalyBtnClick(); });

  fields_ = new TParameterFields(*panel);
  // The fields stay whole in a narrow window: the scroll area scrolls them.
  panel->setMinimumWidth(fields_->Field(TParameter::ForceVersion)->geometry().right() + 8);
  return panel;
}

QTabWidget* TForm1::BuildPages() {
  const TWindowPages pages = BuildWindowPages(*surfaces_, [this] { ExplorerCommand(); });
  PageControl1 = pages.control;
  TabSheet1 = pages.loadPage;
  diagnosis_ = pages.diagnosis;
  trials_ = new TTrialWorker(*diagnosis_, [this](const TAnalysisParameters& p) { SetFieldsAndAnalyse(p); }, this);
  fit_ = pages.fit;
  return PageControl1;
}

// ---------------------------------------------------------------------------

void TForm1::FormCreate() {
  decoder_ = std::make_unique<TVeltrix>(*surfaces_);
  decoder_->OnDecoded = [this](TVeltrix& sender) { ShowDecoded(sender); };
  decoder_->OnError = [this](TVeltrix& sender) { ShowDecodeError(sender); };
  picture_ = TBitmap();
}

void TForm1::ShowDecoded(TVeltrix& sender) { surfaces_->SetStatus(1, OutcomeStatus(sender, true)); }

void TForm1::ShowDecodeError(TVeltrix& sender) { surfaces_->SetStatus(1, OutcomeStatus(sender, false)); }

void TForm1::FormClose() {
  decoder_.reset();
  picture_ = TBitmap();
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (explorer_) explorer_->close();
  if (sampleMaker_) sampleMaker_->close();
  if (lab_) lab_->close();
  if (classSet_) classSet_->close();
  FormClose();
  QMainWindow::closeEvent(event);
}

void TForm1::ImageReadBtnClick() { ChooseAndLoad(*OpenDialog1); }

void TForm1::ChooseAndLoad(QFileDialog& dialog) {
  surfaces_->SetStatus(1, "");
  if (dialog.exec() != QDialog::Accepted) return;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return;
  LoadPictureFile(chosen.front());
}

TForm1::TLoadResult TForm1::LoadPictureFile(const QString& path) {
  std::optional<TBitmap> loaded;
  // Taken before the load: the report embeds the file only while it is still what was loaded.
  TPictureSource source(QFile::encodeName(path).toStdString());
  try {
    loaded = LoadPicture(QFile::encodeName(path).toStdString());
  } catch (const std::exception& error) {
    // The command stops here: the panes keep the previous picture.
    surfaces_->SetStatus(1, error.what());
    ShowMessage(QString::fromUtf8(error.what()));
    return TLoadResult::Failed;
  }
  if (!loaded) surfaces_->SetStatus(1, NotAPictureText(path).toStdString());
  const TLoadResult result = loaded ? TLoadResult::Loaded : TLoadResult::Unsupported;
  ShowLoaded(std::move(loaded), path, std::move(source), QString());
  return result;
}

void TForm1::LoadMadePicture(const TBitmap& picture, const QString& caption) {
  surfaces_->SetStatus(1, "");
  ShowLoaded(picture, QString(), TPictureSource(), caption);
}

void TForm1::ShowLoaded(std::optional<TBitmap> loaded, const QString& path, TPictureSource source,
                        const QString& madeCaption) {
  if (loaded) {
    picture_ = std::move(*loaded);
    picturePath_ = path;
    pictureSource_ = std::move(source);
    // A made picture comes from no folder.
    if (!path.isEmpty()) RememberFolderOf(path);
    madeCaption_ = madeCaption;
    if (explorer_) explorer_->PictureChanged();
  }

  surfaces_->Image(TImagePaneId::Image1).ReplacePicture(picture_);
  surfaces_->Image(TImagePaneId::Image2).ReplacePicture(picture_);
  surfaces_->RefreshImage(TImagePaneId::Image1);
  surfaces_->RefreshImage(TImagePaneId::Image2);
  if (loaded) {
    trials_->Cancel();
    inspector_->Loaded();
    ShowDiagnosisState();
    adjuster_->Loaded(picture_, pictureSource_, *surfaces_->View(TImagePaneId::Image1), *inspector_, madeCaption_);
  }
  PageControl1->setCurrentWidget(TabSheet1);
}

void TForm1::AnalyBtnClick() {
  if (!decoder_) return;
  const TAnalysisParameters parameters = fields_->Read();
  // The state is shown before the long synchronous decode; user input waits,
  // so that no second command can start inside this one.
  lastAnalysis_ = Analyse(*decoder_, *surfaces_, picture_, parameters,
                          [] { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
  lastDrawn_ = surfaces_->Refresh();
  inspector_->Analysed(lastAnalysis_, *decoder_, lastDrawn_);
  trials_->Show(picture_, lastAnalysis_);
  ShowDiagnosisState();
  if (lastAnalysis_.aborted) ShowMessage(QString::fromUtf8(lastAnalysis_.failureReason));
}

void TForm1::ShowDiagnosisState() {
  diagnosis_->SetState(inspector_->States().State(diagnosis_->objectName().toStdString()));
}

void TForm1::AnalyseCommand() {
  fields_->Interpret();
  AnalyBtnClick();
}

void TForm1::SetFieldsAndAnalyse(const TAnalysisParameters& parameters) {
  fields_->Set(parameters);
  AnalyBtnClick();
}

void TForm1::TurnPage(int step) {
  const int count = PageControl1->count();
  PageControl1->setCurrentIndex(((PageControl1->currentIndex() + step) % count + count) % count);
}

void TForm1::RememberFolderOf(const QString& path) {
  const QString folder = QFileInfo(path).absolutePath();
  RememberPictureFolder(folder);
  for (QFileDialog* dialog : {OpenDialog1, OpenAnyDialog}) dialog->setDirectory(folder);
}

void TForm1::ReportCommand() {
  if (picture_.Empty()) {
    ShowMessage(Ui(QStringLiteral("レポートにする解析がありません。画像を読み込んで解析してから書き出してください。")));
    return;
  }
  if (!inspector_->States().CurrentPictureAnalysed()) {
    ShowMessage(Ui(QStringLiteral("ページには前の画像の結果が残っています。読み込んだ画像を解析（F5）してから"
                                  "レポートを書き出してください。")));
    return;
  }
  const QString base = madeCaption_.isEmpty() ? QFileInfo(picturePath_).completeBaseName() : QStringLiteral("sample");
  const QString suggested = QFileInfo(picturePath_).dir().filePath(base + QStringLiteral("-report.html"));
  // The exercise's check box, in the save dialog; it keeps its state from the last report.
  auto* hide = new QCheckBox(Ui(QStringLiteral("答えを伏せる（演習用。解答は別のファイル …-answer.html に書き出します）")), this);
  hide->setObjectName(QStringLiteral("HideAnswerCheck"));
  hide->setToolTip(Ui(QStringLiteral("読み取った文字列、結果の行、データのコード語の値などを伏せ、画像はすべて残します")));
  hide->setChecked(hideAnswer_);
  hide->hide();
  const QString path =
      inspector_->ChooseFile(Ui(QStringLiteral("レポートを書き出す")), suggested, QStringLiteral("HTML (*.html *.htm)"), hide);
  hideAnswer_ = hide->isChecked();
  delete hide;
  if (!path.isEmpty()) WriteReport(path, hideAnswer_);
}

bool TForm1::WriteReport(const QString& path, bool hideAnswer) {
  if (picture_.Empty() || !inspector_->States().CurrentPictureAnalysed()) {
    ShowMessage(Ui(QStringLiteral("レポートにする解析がありません。")));
    return false;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::optional<QString> failure;
  try {
    const TExploreMap* explored = explorer_ ? explorer_->Map() : nullptr;
    // The picture's own grey levels, which the page 診断 makes only once it is seen.
    const TGreyHistogram* histogram = lastAnalysis_.diagnosis.binarization ? &diagnosis_->MakePictureHistogram() : nullptr;
    const std::string name = madeCaption_.isEmpty() ? QFileInfo(picturePath_).fileName().toStdString() : "(作成したサンプル)";
    failure = SaveWindowReport(path, WindowReport({surfaces_.get(), &lastDrawn_, &lastAnalysis_, explored, name, &picture_,
                                                   &pictureSource_, histogram, hideAnswer, madeCaption_.toStdString(),
                                                   trials_->ForReport(lastAnalysis_), adjuster_->Operations()}));
  } catch (const std::exception& error) {
    failure = Ui(QStringLiteral("%1 を保存できませんでした：%2")).arg(path, QString::fromUtf8(error.what()));
  }
  QApplication::restoreOverrideCursor();
  if (failure) ShowMessage(*failure);
  return !failure;
}

TExplorerWindow* TForm1::ExplorerCommand() {
  MadeOnFirstUse(explorer_, [this] {
    return new TExplorerWindow(this, {[this]() -> const TBitmap& { return picture_; },
                                      [this] {
                                        TSpinEdit* force = fields_->Field(TParameter::ForceVersion);
                                        force->interpretText();
                                        return force->ReadValue();
                                      },
                                      [this](const TAnalysisParameters& parameters) { SetFieldsAndAnalyse(parameters); }});
  });
  BringToFront(*explorer_);
  return explorer_;
}

TSampleMakerWindow* TForm1::SampleMakerCommand() {
  MadeOnFirstUse(sampleMaker_, [this] {
    return new TSampleMakerWindow(
        this, {[this](const TSample& sample) {
                 LoadMadePicture(sample.picture, MadeCaption(sample).RememberedJapanese());
                 activateWindow();
               },
               [this](const QString& title, const QString& suggested, const QString& filter) {
                 return inspector_->ChooseFile(title, suggested, filter);
               }});
  });
  BringToFront(*sampleMaker_);
  return sampleMaker_;
}

TLabWindow* TForm1::LabCommand() {
  MadeOnFirstUse(lab_, [this] { return new TLabWindow(this); }).OpenFrom(decoder_.get());
  BringToFront(*lab_);
  return lab_;
}

void TForm1::FolderCommand() {
  if (OpenFolderDialog->exec() != QDialog::Accepted) return;
  const QStringList chosen = OpenFolderDialog->selectedFiles();
  if (!chosen.isEmpty()) OpenClassSet(chosen.front());
}

TClassSetWindow* TForm1::OpenClassSet(const QString& folder) {
  MadeOnFirstUse(classSet_, [this] {
    return new TClassSetWindow(this, {[this] {
                                        fields_->Interpret();
                                        return fields_->Read();
                                      },
                                      [this](const QString& path, const TAnalysisParameters& parameters) {
                                        if (LoadPictureFile(path) == TLoadResult::Loaded) SetFieldsAndAnalyse(parameters);
                                        raise();
                                        activateWindow();
                                      }});
  });
  BringToFront(*classSet_);
  classSet_->Start(folder);
  return classSet_;
}

void TForm1::N6Click() {
  const QString help = QDir::current().absoluteFilePath(QStringLiteral("Morilux.chm"));
  if (QFileInfo::exists(help)) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(help)))
      ShowMessage(Ui(QStringLiteral("ヘルプファイル Morilux.chm を開けませんでした。")));
    return;
  }
  MadeOnFirstUse(help_, [this] { return new THelpWindow(manualRoot_, this); });
  if (const QString error = help_->OpenAtPage(PageControl1->currentWidget()->objectName()); !error.isEmpty())
    ShowMessage(error);
}

void TForm1::ShowMessage(const QString& text) {
  if (messageSink_) {
    messageSink_(text);
    return;
  }
  QMessageBox::warning(this, windowTitle(), text);
}
