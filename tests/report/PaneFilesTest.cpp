#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "OutputChecks.h"
#include "PhotoScene.h"
#include "TempFolder.h"
#include "TestSymbols.h"
#include "decoder/Analysis.h"
#include "report/OutputFiles.h"
#include "report/PaneFiles.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

// The panes of one analysis as the command line makes them.
struct TAnalysed {
  explicit TAnalysed(const TBitmap& picture) {
    surfaces.Image(TImagePaneId::Image1).ReplacePicture(picture);
    surfaces.Image(TImagePaneId::Image2).ReplacePicture(picture);
    TVeltrix veltrix(surfaces);
    result = Analyse(veltrix, surfaces, picture, {});
  }
  TSurfaces surfaces;
  TAnalysisResult result;
};

TBitmap Photo(const std::string& text) {
  TPhotoOptions options;
  options.width = 400;
  options.height = 300;
  options.moduleSize = 5;
  return RenderPhoto(EncodeBytes(text, 2, 1), options);
}

class PaneFiles : public TTempFolderTest {
 protected:
  PaneFiles() : TTempFolderTest("panes") {}
};

TEST_F(PaneFiles, TheLoadedPictureWrittenOnceAndBinaryPanesAsPalettes) {
  const TAnalysed analysed(Photo("panes"));
  ASSERT_TRUE(analysed.result.decoded);
  const std::string out = Path("out");
  WritePanes(analysed.surfaces, out);
  // Pixels and texts of every pane: the command line's tests.
  // The binary plane with its marks takes one byte or less a pixel.
  for (const char* pane : {"FrontImage", "ClossLineImage", "TimeImage", "AdjustImage"})
    EXPECT_EQ(static_cast<unsigned char>(ReadFile(out + "/" + pane + ".png").at(25)), 3) << pane;
  struct stat one {}, two {};
  ASSERT_EQ(::stat((out + "/Image1.png").c_str(), &one), 0);
  ASSERT_EQ(::stat((out + "/Image2.png").c_str(), &two), 0);
  EXPECT_EQ(one.st_ino, two.st_ino);
  EXPECT_EQ(ReadFile(out + "/ResultMemo.txt"), "データ :panes\n完了\n\n");
  EXPECT_EQ(ReadFile(out + "/StatusBar.txt"), "Veltrix Ver 3.0\nＯｋ\n");
}

TEST_F(PaneFiles, AFailureLeavesTheFolderAsItWasAndOtherFilesAreNeverTouched) {
  const std::string out = Path("out");
  WritePanes(TAnalysed(Photo("earlier")).surfaces, out);
  WriteFile(out + "/notes.txt", "the user's own work");
  fs::create_directories(out + "/drafts");
  const auto before = FolderContents(out);

  // The new loaded picture alone needs more than the limit allows.
  const TAnalysed later(Photo("later"));
  const int status = WithFileSizeLimit(100 * 1024, [&] {
    try {
      WritePanes(later.surfaces, out);
    } catch (const TOutputError& failure) {
      const std::string message = failure.what();
      return message.find(out) != std::string::npos && message.find("File too large") != std::string::npos ? 0 : 1;
    }
    return 2;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(FolderContents(out), before);

  // A folder made for the output goes again when the output fails.
  EXPECT_EQ(WithFileSizeLimit(100 * 1024,
                              [&] {
                                try {
                                  WritePanes(later.surfaces, out + "/new/deeper");
                                } catch (const TOutputError&) {
                                  return 0;
                                }
                                return 1;
                              }),
            0);
  EXPECT_EQ(FolderContents(out), before);

  // A pane without a picture takes its old file away, and only that.
  const TAnalysed nothing(TBitmap(1, 40));
  WritePanes(nothing.surfaces, out);
  const auto after = FolderContents(out);
  EXPECT_EQ(after.count("FrontImage.png"), 0u);
  EXPECT_EQ(after.count("AdjustImage.png"), 0u);
  EXPECT_EQ(after.count("Image1.png"), 1u);
  EXPECT_EQ(after.at("notes.txt"), "the user's own work");
  EXPECT_EQ(after.at("drafts"), "<folder>");
}

}  // namespace
