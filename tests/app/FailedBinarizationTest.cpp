// Both front ends after an analysis that the binarization aborts (its plane
// cannot be allocated): status panel 1 names the failure, the diagnosis names
// the binarization and that failure, and the program goes on.

#include <sstream>
#include <string>

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include "DiagnosisPage.h"
#include "MainUnit.h"
#include "StageFailures.h"
#include "TestSymbols.h"
#include "WindowTestSupport.h"
#include "cli/CommandLine.h"
#include "decoder/DiagnosisTexts.h"

namespace {

using namespace testing_support;
using window_testing::MainWindow;

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string FileText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "(missing)";
  return file.readAll().toStdString();
}

TEST_F(MainWindow, AFailedBinarizationEndsTheAnalysisAlikeInBothFrontEnds) {
  const TBitmap picture = RenderSymbol(EncodeBytes("no plane", 2, 1), 4);
  const std::string failure = "not enough memory to binarize a " + std::to_string(picture.Width()) + " x " +
                              std::to_string(picture.Height()) + " picture";
  const TEvidence evidence{TEvidenceKind::StageFailure, {}, failure};
  ASSERT_EQ(Load(picture, "symbol.bmp"), TForm1::TLoadResult::Loaded);
  const QStringList arguments{"morilux-cli", "--out", dir_.filePath("out"), dir_.filePath("symbol.bmp")};
  std::ostringstream out, err;
  int status = -1;
  {
    const TPlaneWithoutMemory refused(picture.Width(), picture.Height());
    form_->AnalyBtnClick();
    status = RunCommandLine(arguments, out, err, {});
  }

  // The window: the panel, a message, and the diagnosis page.
  EXPECT_EQ(Status(1), Q(failure));
  EXPECT_EQ(messages_, QStringList{Q(failure)});
  EXPECT_TRUE(form_->LastAnalysis().aborted);
  EXPECT_EQ(form_->LastAnalysis().verdict.evidence, evidence);
  EXPECT_EQ(form_->DiagnosisView().Evidence(), "根拠：" + Q(JapaneseText(evidence)));
  // The command line: the failure and the diagnosis on standard error, and
  // the same panel 1 in the status file (panel 0 stays empty, as in the window).
  EXPECT_EQ(status, kExitNotDecoded);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), failure + "\nstage: binarization; " + failure + "\n");
  EXPECT_EQ(FileText(dir_.filePath("out/StatusBar.txt")), Status(0).toStdString() + "\n" + failure + "\n");

  // With the memory there, both read the symbol.
  form_->AnalyBtnClick();
  EXPECT_EQ(Status(1), "Ｏｋ");
  std::ostringstream decodedOut, decodedErr;
  EXPECT_EQ(RunCommandLine({"morilux-cli", dir_.filePath("symbol.bmp")}, decodedOut, decodedErr, {}), kExitDecoded);
  EXPECT_EQ(decodedOut.str(), "no plane\n");
}

}  // namespace
