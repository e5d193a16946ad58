// The desktop program: `morilux [PICTURE]` opens the main window, with
// PICTURE loaded as the load command would load it.
//
// `--help` and `--version` are answered before the application object exists,
// wherever they stand, so that they work on a machine without a display.
//
// The window's screenshot and timing runs are a program of their own
// (app/batch/WindowBatch.cpp), built for the scripts and never installed.

#include <cstdio>
#include <optional>
#include <string_view>

#include <QApplication>
#include <QStringList>

#include "MainUnit.h"
#include "MoriluxVersion.h"
#include "QtTranslation.h"
#include "UiLanguage.h"
#include "picture/PictureLoader.h"

namespace {

void PrintUsage(std::FILE* to) {
  std::fprintf(to,
               "usage: morilux [PICTURE]\n"
               "  Opens the Morilux window; PICTURE (%s) is loaded at start.\n"
               "  -h, --help  prints this help\n"
               "  --version   prints the program's version\n",
               PictureExtensionList().c_str());
}

// The exit status of --help or --version when one of them is given; the
// first one given wins.
std::optional<int> AnswerWithoutWindow(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      PrintUsage(stdout);
      return 0;
    }
    if (argument == "--version") {
      std::printf("morilux %s\n", kMoriluxVersion);
      return 0;
    }
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (const std::optional<int> status = AnswerWithoutWindow(argc, argv)) return *status;
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Morilux"));
  if (InstallQtJapanese(application) == nullptr)
    std::fputs("morilux: Qt's Japanese translation (qtbase_ja.qm, Debian package qt6-translations-l10n) is missing; "
               "Qt's own texts stay English\n", stderr);

  LoadUiLanguage();

  QString picture;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument.startsWith(QLatin1Char('-')) || !picture.isEmpty()) {
      PrintUsage(stderr);
      return 2;
    }
    picture = argument;
  }

  TForm1 window;
  window.show();
  if (!picture.isEmpty() && window.LoadPictureFile(picture) == TForm1::TLoadResult::Unsupported) {
    std::fprintf(stderr, "morilux: %s: not a %s file; nothing loaded\n", qPrintable(picture), PictureExtensionList().c_str());
  }
  return QApplication::exec();
}
