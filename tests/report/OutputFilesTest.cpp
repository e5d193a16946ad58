#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "OutputChecks.h"
#include "TempFolder.h"
#include "TestSymbols.h"
#include "report/OutputFiles.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

class OutputFiles : public TTempFolderTest {
 protected:
  OutputFiles() : TTempFolderTest("output") {}
};

// The message of the output error `write` raises, or "" when none.
template <typename Write>
std::string FailureOf(Write write) {
  try {
    write();
  } catch (const TOutputError& failure) {
    return failure.what();
  }
  return "";
}

TEST_F(OutputFiles, AFileIsReplacedWholeOrNotAtAllUnderAFileSizeLimit) {
  WriteFileAtomically(Path("report.html"), "first");
  WriteFileAtomically(Path("report.html"), "second");
  EXPECT_EQ(FolderContents(Folder()), (std::map<std::string, std::string>{{"report.html", "second"}}));

  const std::string large(256 * 1024, 'x');
  const int status = WithFileSizeLimit(64 * 1024, [&] {
    const std::string message = FailureOf([&] { WriteFileAtomically(Path("report.html"), large); });
    // One line naming the file and the reason.
    return message.find(Path("report.html")) != std::string::npos && message.find("File too large") != std::string::npos &&
                   message.find('\n') == std::string::npos
               ? 0
               : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(FolderContents(Folder()), (std::map<std::string, std::string>{{"report.html", "second"}}));
  // Within the limit the same child writes.
  EXPECT_EQ(WithFileSizeLimit(64 * 1024, [&] {
              WriteFileAtomically(Path("report.html"), "third");
              return 0;
            }),
            0);
  EXPECT_EQ(ReadFile(Path("report.html")), "third");
}

TEST_F(OutputFiles, ImpossiblePathsNameThePathAndTheReasonAndLeaveNothing) {
  WriteFile(Path("file"), "a regular file");
  fs::create_directories(Path("folder"));
  WriteFile(Path("folder/kept"), "kept");
  struct TCase {
    std::string path;
    std::string reason;
  };
  const std::vector<TCase> cases = {
      {Path("file/report.html"), "Not a directory"},
      {Path("missing/report.html"), "No such file or directory"},
      {Path("folder"), "folder"},
      {Path("folder/"), "folder"},
  };
  const auto before = FolderContents(Folder());
  for (const TCase& c : cases) {
    const std::string message = FailureOf([&] { WriteFileAtomically(c.path, "text"); });
    EXPECT_NE(message.find(c.path), std::string::npos) << message;
    EXPECT_NE(message.find(c.reason), std::string::npos) << message;
  }
  EXPECT_EQ(FolderContents(Folder()), before);
  EXPECT_EQ(FolderContents(Path("folder")), (std::map<std::string, std::string>{{"kept", "kept"}}));
}

TEST_F(OutputFiles, AFolderWithoutWritePermissionIsReported) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  fs::permissions(Folder(), fs::perms::owner_read | fs::perms::owner_exec);
  const std::string message = FailureOf([&] { WriteFileAtomically(Path("report.html"), "text"); });
  EXPECT_NE(message.find("Permission denied"), std::string::npos) << message;
}

TEST_F(OutputFiles, ABatchReplacesOnlyItsOwnNamesAndOnlyOnCommit) {
  WriteFile(Path("Image1.png"), "old picture");
  WriteFile(Path("FrontImage.png"), "old binary");
  WriteFile(Path("notes.txt"), "the user's");
  const auto before = FolderContents(Folder());
  {
    TFileBatch batch(Folder());
    batch.Write("Image1.png", "new picture");
    batch.WriteSame("Image2.png", "Image1.png");
    batch.RemoveOnCommit("FrontImage.png");
    // Not committed: as if a later file had failed.
  }
  EXPECT_EQ(FolderContents(Folder()), before);

  TFileBatch batch(Folder());
  batch.Write("Image1.png", "new picture");
  batch.WriteSame("Image2.png", "Image1.png");
  batch.RemoveOnCommit("FrontImage.png");
  batch.RemoveOnCommit("TimeImage.png");  // not there: nothing to do
  batch.Commit();
  EXPECT_EQ(FolderContents(Folder()),
            (std::map<std::string, std::string>{
                {"Image1.png", "new picture"}, {"Image2.png", "new picture"}, {"notes.txt", "the user's"}}));
  struct stat one {}, two {};
  ASSERT_EQ(::stat(Path("Image1.png").c_str(), &one), 0);
  ASSERT_EQ(::stat(Path("Image2.png").c_str(), &two), 0);
  EXPECT_EQ(one.st_ino, two.st_ino) << "the same data, linked twice";

  // A folder in the way of a final name stops the batch before any rename.
  fs::create_directories(Path("StatusBar.txt"));
  TFileBatch blocked(Folder());
  blocked.Write("Image1.png", "newer picture");
  blocked.Write("StatusBar.txt", "status");
  const std::string message = FailureOf([&] { blocked.Commit(); });
  EXPECT_NE(message.find(Path("StatusBar.txt")), std::string::npos) << message;
  EXPECT_EQ(ReadFile(Path("Image1.png")), "new picture");
}

}  // namespace
