// The window run by scripts, never installed: `morilux-window-batch` opens
// the same main window as `morilux`, runs one fixed sequence of commands on a
// picture and quits.
//
//   morilux-window-batch --screenshot-dir DIR [--screenshot-prefix P] PICTURE
//     (for the manual and for checks, scripts/screenshots.sh) loads PICTURE,
//     analyses it, saves one PNG of the window per page into DIR, then views
//     of the inspector (a magnified AdjustImage with the readout, a codeword
//     chosen on BlockRead, the tabs after a new load), the explorer's window
//     over the preset grid (while it runs and when done, with the time it
//     took) and the result page of the cell it chooses, then the help window
//     (help.png) and the class set's window over a folder of the picture alone
//     (class-set.png); P- goes before every file name. Status 0 when every
//     picture was saved.
//   morilux-window-batch --window-views --screenshot-dir DIR [--screenshot-prefix P] PICTURE
//     (scripts/screenshots.sh) loads and analyses PICTURE, then saves the
//     window as it opens: the whole screen with the window at its first
//     size (screen.png) and its pages 位置検索 and 診断 (first-*.png); in a
//     small window, 640 x 480 (small-*.png); fitted to a large window (fit-*.png,
//     ツール → ウィンドウに合わせる); and the two open dialogs (open-dialog.png,
//     open-any-dialog.png). Run it with QT_SCALE_FACTOR=2 to see a screen of
//     half the size.
//   morilux-window-batch --screenshot-dir DIR [--screenshot-prefix P] --sample-maker
//     (for the manual) opens the sample maker on a version-5-Q symbol with
//     mask 3 turned by 10 degrees (sample-maker.png), loads it into the main
//     window (sample-TabSheet1.png, its caption under the picture), analyses
//     it (sample-TabSheet3.png, the page of the mask), then shows the same
//     symbol with every effect at its typical strength (sample-photo.png) and
//     loads that (sample-photo-TabSheet1.png).
//   morilux-window-batch --screenshot-dir DIR [--screenshot-prefix P] --lab
//     (for the manual) makes and analyses a version-5-Q symbol, opens the
//     error-correction lab on it, spoils four codewords of its first block
//     (lab-window.png) and shows its masks' page (lab-masks.png) and the
//     pictures its decode drew (lab-panes.png).
//   morilux-window-batch --analyse-and-quit PICTURE
//     (for timing the window, bench/compare.sh and bench/window.sh) loads
//     PICTURE, analyses it, brings every pane up to date, paints the window
//     and prints the seconds from the load command to the painted window (the
//     window's own start-up not included); status 0 when decoded.
//
// --english before any of these runs it with the window in English (ツール →
// 言語 / Language → English).
//
// The options are those the window program itself took before they moved
// here, so that an earlier build's `morilux` can be timed alike.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include <string_view>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QStringList>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>

#include "ClassSetWindow.h"
#include "ExplorerWindow.h"
#include "LabWindow.h"
#include "HelpWindow.h"
#include "MainUnit.h"
#include "PaneTools.h"
#include "QtTranslation.h"
#include "WindowPlacement.h"
#include "WindowSettings.h"
#include "SampleMaker.h"
#include "UiLanguage.h"
#include "WindowSurfaces.h"
#include "decoder/DecodingReport.h"
#include "picture/PictureLoader.h"

namespace {

void PrintUsage() {
  std::fputs("usage: morilux-window-batch [--english] [--window-views] --screenshot-dir DIR [--screenshot-prefix P] PICTURE\n"
             "       morilux-window-batch --screenshot-dir DIR [--screenshot-prefix P] --sample-maker\n"
             "       morilux-window-batch --screenshot-dir DIR [--screenshot-prefix P] --lab\n"
             "       morilux-window-batch --analyse-and-quit PICTURE\n",
             stderr);
}

// Saves the window as DIR/[PREFIX-]NAME.png; false after a message.
bool Shoot(QWidget& window, const QString& directory, const QString& prefix, const QString& name) {
  QApplication::processEvents();
  const QString file = QDir(directory).filePath((prefix.isEmpty() ? QString() : prefix + QLatin1Char('-')) + name + ".png");
  if (!window.grab().save(file)) {
    std::fprintf(stderr, "morilux-window-batch: cannot write %s\n", qPrintable(file));
    return false;
  }
  std::printf("%s\n", qPrintable(file));
  return true;
}

// The cursor resting on a pane's pixel: the readout field and highlights follow.
void HoverOver(TImageView& view, QPoint pixel) {
  const QPointF at = view.CentreOf(pixel);
  QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&view, &move);
}

// The inspector's views after the pages, each named after the page it shows:
// AdjustImage magnified about its last alignment node with the readout of the
// sampling point there; on BlockRead a codeword chosen in the listing and the
// readout of one of its modules; the tabs after the picture is loaded again
// (every page stale), on the finder search's page.
bool ShootInspector(TForm1& window, const QString& directory, const QString& prefix, const QString& picture) {
  auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  TWindowSurfaces& surfaces = window.Surfaces();
  TImageView* adjust = surfaces.View(TImagePaneId::AdjustImage);
  if (!adjust->Nodes().empty()) {
    pages->setCurrentWidget(adjust->parentWidget());
    const TPoint node = adjust->Nodes().back();
    // A sixth of the picture's shorter side across the pane, magnified at least twice.
    const QSize size = adjust->PictureSize();
    const double zoom = std::max(2.0, adjust->width() / (std::min(size.width(), size.height()) / 6.0));
    adjust->SetZoom(zoom, QPointF(node.x + 0.5, node.y + 0.5) - QPointF(adjust->width(), adjust->height()) / (2 * zoom));
    HoverOver(*adjust, {node.x, node.y});
    if (!Shoot(window, directory, prefix, QStringLiteral("closeup-magnified-") + adjust->parentWidget()->objectName()))
      return false;
    adjust->ShowStretched();
  }
  const TAnalysisResult& analysis = window.LastAnalysis();
  if (analysis.stage >= TStage::Codewords) {
    TMemo* listing = surfaces.Memo(TTextPaneId::BLMemo);
    pages->setCurrentWidget(listing->parentWidget());
    const int line = static_cast<int>(analysis.listingStart + decoding_report::kLinesBeforeCodewords) + 5;
    QTextCursor cursor(listing->document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    listing->setTextCursor(cursor);
    listing->centerCursor();
    TImageView* block = surfaces.View(TImagePaneId::BlockImage);
    if (!block->Highlight().empty()) {
      const TPoint module = block->Highlight().front();
      HoverOver(*block, {module.x, module.y});
    }
    if (!Shoot(window, directory, prefix, QStringLiteral("closeup-codeword-") + listing->parentWidget()->objectName()))
      return false;
  }
  if (window.LoadPictureFile(picture) != TForm1::TLoadResult::Loaded) return false;
  QWidget* finder = surfaces.View(TImagePaneId::FrontImage)->parentWidget();
  pages->setCurrentWidget(finder);
  return Shoot(window, directory, prefix, QStringLiteral("closeup-stale-") + finder->objectName());
}

// The explorer's window over the preset grid, once while it runs (a third of
// the cells done) and once with the map; then the main window's result page
// after a click on the cell the map chooses.
bool ShootExplorer(TForm1& window, const QString& directory, const QString& prefix) {
  TExplorerWindow* explorer = window.ExplorerCommand();
  explorer->move(window.geometry().topRight() + QPoint(8, 0));
  QElapsedTimer clock;
  clock.start();
  if (!explorer->Start()) return false;
  const auto* progress = explorer->findChild<QProgressBar*>(QStringLiteral("ExploreProgress"));
  bool running = false;
  while (explorer->Running()) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!running && explorer->Running() && progress->maximum() > 0 && 3 * progress->value() >= progress->maximum()) {
      running = true;
      if (!Shoot(*explorer, directory, prefix, QStringLiteral("explorer-running"))) return false;
    }
  }
  std::printf("explorer: %zu cells in %.2f s\n", explorer->Map() ? explorer->Map()->cells.size() : 0,
              static_cast<double>(clock.nsecsElapsed()) / 1e9);
  if (!Shoot(*explorer, directory, prefix, QStringLiteral("explorer-map"))) return false;
  const TExploreMap* map = explorer->Map();
  const std::optional<std::size_t> chosen = map ? map->Chosen() : std::nullopt;
  if (!chosen) return true;
  const int warps = static_cast<int>(map->grid.warps.size());
  explorer->CellClicked(static_cast<int>(*chosen) / warps, static_cast<int>(*chosen) % warps);
  if (!Shoot(*explorer, directory, prefix, QStringLiteral("explorer-picked"))) return false;
  auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  QWidget* result = window.Surfaces().Memo(TTextPaneId::ResultMemo)->parentWidget();
  pages->setCurrentWidget(result);
  return Shoot(window, directory, prefix, QStringLiteral("explorer-picked-") + result->objectName());
}

// The help window at the page in front, and the class set's window over a
// folder holding only the picture (help.png, class-set.png).
bool ShootToolWindows(TForm1& window, const QString& directory, const QString& prefix, const QString& picture) {
  window.N6Click();
  if (window.Help() == nullptr) return false;
  window.Help()->resize(1000, 700);
  QApplication::processEvents();
  if (!Shoot(*window.Help(), directory, prefix, QStringLiteral("help"))) return false;
  window.Help()->close();
  QTemporaryDir folder;
  if (!folder.isValid() || !QFile::copy(picture, folder.filePath(QFileInfo(picture).fileName()))) return false;
  TClassSetWindow* classSet = window.OpenClassSet(folder.path());
  while (classSet->Running()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  classSet->resize(1000, 400);
  QApplication::processEvents();
  const bool shot = Shoot(*classSet, directory, prefix, QStringLiteral("class-set"));
  classSet->close();
  return shot;
}

int SaveScreenshots(TForm1& window, const QString& directory, const QString& prefix, const QString& picture) {
  if (!QDir().mkpath(directory)) {
    std::fprintf(stderr, "morilux-window-batch: cannot create %s\n", qPrintable(directory));
    return 1;
  }
  window.AnalyBtnClick();
  // The page 診断 is shot with the trial of the analysis ended and shown.
  window.Trials().Wait(std::chrono::seconds(60));
  auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  for (int i = 0; i < pages->count(); ++i) {
    pages->setCurrentIndex(i);
    const QString name = QStringLiteral("%1-%2").arg(i + 1, 2, 10, QLatin1Char('0')).arg(pages->widget(i)->objectName());
    if (!Shoot(window, directory, prefix, name)) return 1;
  }
  return ShootInspector(window, directory, prefix, picture) && ShootExplorer(window, directory, prefix) &&
                 ShootToolWindows(window, directory, prefix, picture)
             ? 0
             : 1;
}

// The window at its first size, in a small window and fitted to a large one,
// each on the pages 位置検索 and 診断, and the open dialogs.
int SaveViews(TForm1& window, const QString& directory, const QString& prefix) {
  if (!QDir().mkpath(directory)) {
    std::fprintf(stderr, "morilux-window-batch: cannot create %s\n", qPrintable(directory));
    return 1;
  }
  window.AnalyBtnClick();
  // The page 診断 is shot with the trial of the analysis ended and shown.
  window.Trials().Wait(std::chrono::seconds(60));
  auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  const QStringList shown = {QStringLiteral("TabSheet11"), QStringLiteral("TabSheet10")};
  const auto shootPages = [&](const QString& kind) {
    for (const QString& page : shown) {
      pages->setCurrentWidget(pages->findChild<QWidget*>(page));
      if (!Shoot(window, directory, prefix, kind + QLatin1Char('-') + page)) return false;
    }
    return true;
  };
  QScreen* screen = window.screen();
  pages->setCurrentWidget(pages->findChild<QWidget*>(shown.front()));
  QApplication::processEvents();
  const QRect opened = window.frameGeometry();
  std::printf("first size %d x %d at (%d, %d) on a screen of %d x %d available at (%d, %d), device pixel ratio %g\n",
              opened.width(), opened.height(), opened.x(), opened.y(), screen->availableGeometry().width(),
              screen->availableGeometry().height(), screen->availableGeometry().x(), screen->availableGeometry().y(),
              screen->devicePixelRatio());
  const QString screenFile = QDir(directory).filePath((prefix.isEmpty() ? QString() : prefix + QLatin1Char('-')) + "screen.png");
  if (!screen->grabWindow(0).save(screenFile)) return 1;
  std::printf("%s\n", qPrintable(screenFile));
  if (!shootPages(QStringLiteral("first"))) return 1;

  window.resize(640, 480);
  if (!shootPages(QStringLiteral("small"))) return 1;

  window.findChild<QAction*>(QStringLiteral("FitWindowAction"))->setChecked(true);
  window.resize(QSize(1600, 1000).boundedTo(screen->availableGeometry().size() - kFrameAllowance));
  if (!shootPages(QStringLiteral("fit"))) return 1;
  window.findChild<QAction*>(QStringLiteral("FitWindowAction"))->setChecked(false);

  for (const char* name : {"OpenDialog1", "OpenAnyDialog"}) {
    auto* dialog = window.findChild<QFileDialog*>(QString::fromLatin1(name));
    dialog->show();
    const bool saved = Shoot(*dialog, directory, prefix, name == std::string_view("OpenDialog1") ? "open-dialog" : "open-any-dialog");
    dialog->hide();
    if (!saved) return 1;
  }
  return 0;
}

// The sample maker as the manual shows it: the version-5-Q symbol with mask
// 3 turned by 10 degrees, made, loaded, analysed; then the same photographed.
int ShootSampleMaker(TForm1& window, const QString& directory, const QString& prefix) {
  if (!QDir().mkpath(directory)) {
    std::fprintf(stderr, "morilux-window-batch: cannot create %s\n", qPrintable(directory));
    return 1;
  }
  TSampleMakerWindow* maker = window.SampleMakerCommand();
  maker->move(window.geometry().topRight() + QPoint(8, 0));
  TSampleRequest request;
  request.symbol.text = "Morilux サンプル";
  request.symbol.version = 5;
  request.symbol.level = 2;
  request.symbol.mask = 3;
  request.moduleSize = 6;
  request.effects.rotation = 10;
  maker->SetRequest(request);
  if (!maker->MakeNow() || !Shoot(*maker, directory, prefix, QStringLiteral("sample-maker"))) return 1;
  if (!maker->LoadIntoMainWindow() || !Shoot(window, directory, prefix, QStringLiteral("sample-TabSheet1"))) return 1;
  window.AnalyBtnClick();
  if (!window.LastAnalysis().decoded) {
    std::fprintf(stderr, "morilux-window-batch: the made symbol was not decoded\n");
    return 1;
  }
  auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  QWidget* mask = window.Surfaces().View(TImagePaneId::MaskImage)->parentWidget();
  pages->setCurrentWidget(mask);
  if (!Shoot(window, directory, prefix, QStringLiteral("sample-") + mask->objectName())) return 1;
  request.effects = TPhotoEffects::All();
  maker->SetRequest(request);
  if (!maker->MakeNow() || !Shoot(*maker, directory, prefix, QStringLiteral("sample-photo"))) return 1;
  return maker->LoadIntoMainWindow() && Shoot(window, directory, prefix, QStringLiteral("sample-photo-TabSheet1")) ? 0 : 1;
}

// The lab as the manual shows it: four codewords of the first block of a
// version-5-Q symbol spoilt, then the page of the eight masks.
int ShootLab(TForm1& window, const QString& directory, const QString& prefix) {
  if (!QDir().mkpath(directory)) {
    std::fprintf(stderr, "morilux-window-batch: cannot create %s\n", qPrintable(directory));
    return 1;
  }
  TSampleMakerWindow* maker = window.SampleMakerCommand();
  TSampleRequest request;
  request.symbol.text = "Morilux lab";
  request.symbol.version = 5;
  request.symbol.level = 2;
  request.moduleSize = 6;
  maker->SetRequest(request);
  if (!maker->LoadIntoMainWindow()) return 1;
  maker->close();
  window.AnalyBtnClick();
  TLabWindow* lab = window.LabCommand();
  lab->move(window.geometry().topRight() + QPoint(8, 0));
  if (lab->Lab() == nullptr || !lab->SpoilRandom(0, 4, 1)) return 1;
  if (!Shoot(*lab, directory, prefix, QStringLiteral("lab-window"))) return 1;
  auto* pages = lab->findChild<QTabWidget*>(QStringLiteral("LabPages"));
  pages->setCurrentIndex(1);
  if (!Shoot(*lab, directory, prefix, QStringLiteral("lab-masks"))) return 1;
  pages->setCurrentIndex(pages->count() - 1);
  return Shoot(*lab, directory, prefix, QStringLiteral("lab-panes")) ? 0 : 1;
}

// The load and analysis commands as a user gives them: every pane's picture
// brought up to date for display, and the window painted once.
int AnalyseAndQuit(TForm1& window, const QString& picture) {
  QApplication::processEvents();  // the window's start-up is done before the clock starts
  QElapsedTimer clock;
  clock.start();
  if (window.LoadPictureFile(picture) != TForm1::TLoadResult::Loaded) return 2;
  window.AnalyBtnClick();
  window.repaint();
  std::printf("%.6f\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
  return window.LastAnalysis().decoded ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Morilux"));
  // Qt's own texts as the installed window shows them.
  InstallQtJapanese(application);

  QString picture;
  QString screenshotDir;
  QString screenshotPrefix;
  bool analyseAndQuit = false;
  bool views = false;
  bool sampleMaker = false;
  bool labViews = false;
  bool english = false;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QStringLiteral("--screenshot-dir") && i + 1 < arguments.size()) {
      screenshotDir = arguments[++i];
    } else if (argument == QStringLiteral("--screenshot-prefix") && i + 1 < arguments.size()) {
      screenshotPrefix = arguments[++i];
    } else if (argument == QStringLiteral("--window-views")) {
      views = true;
    } else if (argument == QStringLiteral("--analyse-and-quit")) {
      analyseAndQuit = true;
    } else if (argument == QStringLiteral("--english")) {
      english = true;
    } else if (argument == QStringLiteral("--sample-maker")) {
      sampleMaker = true;
    } else if (argument == QStringLiteral("--lab")) {
      labViews = true;
    } else if (argument.startsWith(QLatin1Char('-')) || !picture.isEmpty()) {
      PrintUsage();
      return 2;
    } else {
      picture = argument;
    }
  }
  const bool made = sampleMaker || labViews;
  if (picture.isEmpty() == !made || analyseAndQuit == !screenshotDir.isEmpty() || (views && analyseAndQuit) ||
      (made && (analyseAndQuit || views)) || (sampleMaker && labViews)) {
    PrintUsage();
    return 2;
  }

  // The user's remembered folder neither shapes the pictures nor is changed by them.
  QTemporaryDir settings;
  UseSettingsFolder(settings.path());
  if (english) SetUiLanguage(TUiLanguage::English);
  TForm1 window;
  window.SetMessageSink([](const QString& text) { std::fprintf(stderr, "morilux-window-batch: %s\n", qPrintable(text)); });
  window.show();
  if (analyseAndQuit) return AnalyseAndQuit(window, picture);
  if (sampleMaker) return ShootSampleMaker(window, screenshotDir, screenshotPrefix);
  if (labViews) return ShootLab(window, screenshotDir, screenshotPrefix);
  const TForm1::TLoadResult loaded = window.LoadPictureFile(picture);
  if (loaded == TForm1::TLoadResult::Unsupported) {
    std::fprintf(stderr, "morilux-window-batch: %s: not a %s file; nothing loaded\n", qPrintable(picture),
                 PictureExtensionList().c_str());
  }
  if (loaded != TForm1::TLoadResult::Loaded) return 1;
  if (views) return SaveViews(window, screenshotDir, screenshotPrefix);
  return SaveScreenshots(window, screenshotDir, screenshotPrefix, picture);
}
