// The desktop program: `morilux [PICTURE]` opens the main window, with
// PICTURE loaded as the load command would load it.
//
// `--screenshot-dir DIR` (for documentation and checks) loads PICTURE,
// analyses it, saves one PNG of the window per page into DIR and quits.
// `--analyse-and-quit` (for timing the window, bench/compare.sh) loads
// PICTURE, analyses it, brings every pane up to date, paints the window and
// quits, printing the seconds from the load command to the painted window
// (the window's own start-up not included); status 0 when decoded.

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QStringList>
#include <QTabWidget>

#include "MainUnit.h"
#include "WindowSurfaces.h"

namespace {

void PrintUsage(std::FILE* to) {
  std::fputs("usage: morilux [PICTURE]\n"
             "  Opens the Morilux window; PICTURE (.jpg, .jpeg or .bmp) is loaded at start.\n",
             to);
}

int SaveScreenshots(TForm1& window, const QString& directory) {
  if (!QDir().mkpath(directory)) {
    std::fprintf(stderr, "morilux: cannot create %s\n", qPrintable(directory));
    return 1;
  }
  window.AnalyBtnClick();
  auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  for (int i = 0; i < pages->count(); ++i) {
    pages->setCurrentIndex(i);
    QApplication::processEvents();
    const QString file = QDir(directory).filePath(
        QStringLiteral("%1-%2.png").arg(i + 1, 2, 10, QLatin1Char('0')).arg(pages->widget(i)->objectName()));
    if (!window.grab().save(file)) {
      std::fprintf(stderr, "morilux: cannot write %s\n", qPrintable(file));
      return 1;
    }
    std::printf("%s\n", qPrintable(file));
  }
  return 0;
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

  QString picture;
  QString screenshotDir;
  bool analyseAndQuit = false;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
      PrintUsage(stdout);
      return 0;
    }
    if (argument == QStringLiteral("--screenshot-dir") && i + 1 < arguments.size()) {
      screenshotDir = arguments[++i];
    } else if (argument == QStringLiteral("--analyse-and-quit")) {
      analyseAndQuit = true;
    } else if (argument.startsWith(QLatin1Char('-')) || !picture.isEmpty()) {
      PrintUsage(stderr);
      return 2;
    } else {
      picture = argument;
    }
  }

  TForm1 window;
  const bool batch = !screenshotDir.isEmpty() || analyseAndQuit;
  if (batch) {
    window.SetMessageSink([](const QString& text) { std::fprintf(stderr, "morilux: %s\n", qPrintable(text)); });
  }
  window.show();
  if (analyseAndQuit) return picture.isEmpty() ? 2 : AnalyseAndQuit(window, picture);
  if (!picture.isEmpty()) {
    const TForm1::TLoadResult loaded = window.LoadPictureFile(picture);
    if (loaded == TForm1::TLoadResult::Unsupported) {
      std::fprintf(stderr, "morilux: %s: not a .jpg, .jpeg or .bmp file; nothing loaded\n", qPrintable(picture));
    }
    if (batch && loaded != TForm1::TLoadResult::Loaded) return 1;
  }
  if (batch) return SaveScreenshots(window, screenshotDir);
  return QApplication::exec();
}
