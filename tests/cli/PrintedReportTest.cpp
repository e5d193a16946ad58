// The report printed by a real browser: headless Chromium prints the command
// line's report to PDF, and poppler's tools read it back. pdfimages lists
// every picture with the printed page it is on, pdftotext tells on which page
// each section begins. Chromium and poppler-utils are test-only packages
// (scripts/test-packages.txt): without them the test is skipped, unless
// MORILUX_REQUIRE_BROWSER is set, as ./test.sh does, where it fails.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "PhotoScene.h"
#include "TempFolder.h"
#include "TestSymbols.h"
#include "cli/CommandLine.h"
#include "report/Pages.h"

using namespace testing_support;

namespace {

struct TTool {
  QString name;
  QString path;
};

// The output of a program that must succeed within `seconds`.
std::string Output(const QString& program, const QStringList& arguments, int seconds = 60) {
  QProcess process;
  process.setProcessChannelMode(QProcess::SeparateChannels);
  process.start(program, arguments);
  if (!process.waitForFinished(seconds * 1000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << program.toStdString() << " did not finish within " << seconds << " s";
    return {};
  }
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << program.toStdString();
  EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": " << process.readAllStandardError().toStdString();
  return process.readAllStandardOutput().toStdString();
}

// A picture as pdfimages lists it.
struct TPrinted {
  int page = 0;
  int width = 0;
  int height = 0;
  std::string encoding;
};

std::vector<TPrinted> Pictures(const std::string& listing) {
  std::vector<TPrinted> pictures;
  std::istringstream lines(listing);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    TPrinted picture;
    int number = 0;
    std::string type, colour, components, bits;
    if (!(fields >> picture.page >> number >> type >> picture.width >> picture.height >> colour >> components >> bits >>
          picture.encoding))
      continue;  // the heading
    if (type == "image") pictures.push_back(picture);
  }
  return pictures;
}

// The printed page (from 1) each section of the window's pages starts on: the
// first page whose first line is the section's heading.
std::map<std::string, int> SectionPages(const std::string& text) {
  std::map<std::string, int> starts;
  std::vector<std::string> pages;
  std::size_t at = 0;
  for (std::size_t end; (end = text.find('\f', at)) != std::string::npos; at = end + 1) pages.push_back(text.substr(at, end - at));
  for (std::size_t p = 0; p < Pages().size(); ++p) {
    const std::string heading = std::to_string(p + 1) + ". " + std::string(Pages()[p].caption);
    for (std::size_t page = 0; page < pages.size() && !starts.count(std::string(Pages()[p].objectName)); ++page) {
      const std::size_t first = pages[page].find_first_not_of(" \n");
      if (first != std::string::npos && pages[page].compare(first, heading.size(), heading) == 0)
        starts[std::string(Pages()[p].objectName)] = static_cast<int>(page + 1);
    }
  }
  return starts;
}

class PrintedReport : public TTempFolderTest {
 protected:
  PrintedReport() : TTempFolderTest("printed") {}
};

// A photograph's report, printed: A4 pages, each page of the window starting a
// printed page, and every picture of a page printed on the pages of its
// section, the loaded picture once and as its own JPEG file.
TEST_F(PrintedReport, EveryPictureIsPrintedOnThePagesOfItsSection) {
  std::vector<TTool> tools = {{"chromium", {}}, {"pdfimages", {}}, {"pdftotext", {}}, {"pdfinfo", {}}};
  for (TTool& tool : tools) {
    tool.path = QStandardPaths::findExecutable(tool.name);
    if (tool.path.isEmpty()) {
      const std::string reason = tool.name.toStdString() +
                                 " is not installed; Chromium and poppler-utils are test-only packages that "
                                 "./test.sh installs (scripts/install-deps.sh --test)";
      if (std::getenv("MORILUX_REQUIRE_BROWSER") != nullptr) FAIL() << reason;
      GTEST_SKIP() << reason;
    }
  }

  constexpr int kVersion = 3;
  constexpr int kSide = 17 + 4 * kVersion;
  TPhotoOptions photo;
  photo.width = 900;
  photo.height = 640;
  photo.moduleSize = 9;
  photo.degrees = 5;
  WriteJpeg(RenderPhoto(EncodeBytes("printed report", kVersion, 1), photo), Path("photo.jpg"));
  std::ostringstream out, err;
  ASSERT_EQ(RunCommandLine({"morilux-cli", "--report", QString::fromStdString(Path("report.html")),
                            QString::fromStdString(Path("photo.jpg"))},
                           out, err),
            kExitDecoded)
      << err.str();

  // Each run its own profile, inside this test's folder; no network is used.
  QStringList arguments = {"--headless", "--disable-gpu", "--disable-background-networking", "--disable-component-update",
                           "--disable-sync", "--no-first-run", "--disable-quic", "--no-pdf-header-footer",
                           QString::fromStdString("--user-data-dir=" + Path("profile")),
                           QString::fromStdString("--print-to-pdf=" + Path("report.pdf")),
                           QString::fromStdString("file://" + Path("report.html"))};
  if (::geteuid() == 0) arguments.prepend("--no-sandbox");
  Output(tools[0].path, arguments, 180);
  ASSERT_TRUE(std::ifstream(Path("report.pdf")).good()) << "Chromium printed no PDF";
  const QString pdf = QString::fromStdString(Path("report.pdf"));

  EXPECT_NE(Output(tools[3].path, {pdf}).find("(A4)"), std::string::npos);
  const std::map<std::string, int> starts = SectionPages(Output(tools[2].path, {"-layout", pdf, "-"}));
  const std::vector<TPrinted> printed = Pictures(Output(tools[1].path, {"-list", pdf}));

  // The section's pictures, by size: the loaded picture and the binary planes
  // are the photograph's size, the module pictures one pixel per module;
  // Image2 refers to Image1 and has no picture of its own.
  std::size_t expected = 0;
  int previousStart = 0;
  for (std::size_t p = 0; p < Pages().size(); ++p) {
    const TPage& page = Pages()[p];
    SCOPED_TRACE(std::string(page.objectName));
    ASSERT_TRUE(starts.count(std::string(page.objectName))) << "the section's heading begins no printed page";
    const int first = starts.at(std::string(page.objectName));
    EXPECT_GT(first, previousStart);
    previousStart = first;
    const int last = p + 1 < Pages().size() && starts.count(std::string(Pages()[p + 1].objectName))
                         ? starts.at(std::string(Pages()[p + 1].objectName)) - 1
                         : first + 10;
    std::multiset<std::pair<int, int>> wanted, found;
    for (const TPagePane& pane : page.panes) {
      if (pane.kind != TPagePane::TKind::Image || pane.image == TImagePaneId::Image2) continue;
      wanted.insert(pane.modules ? std::pair(kSide, kSide) : std::pair(photo.width, photo.height));
    }
    for (const TPrinted& picture : printed)
      if (picture.page >= first && picture.page <= last) found.insert({picture.width, picture.height});
    EXPECT_EQ(found, wanted);
    expected += wanted.size();
  }
  EXPECT_EQ(printed.size(), expected);
  // The loaded picture is the photograph's own JPEG file, first of all.
  ASSERT_FALSE(printed.empty());
  EXPECT_EQ(printed.front().encoding, "jpeg");
}

}  // namespace
