#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ConformancePictures.h"
#include "EnglishHtml.h"
#include "TempFolder.h"
#include "TestSymbols.h"
#include "cli/CommandLine.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

class ReportLanguage : public TTempFolderTest {
 protected:
  ReportLanguage() : TTempFolderTest("lang") {}

  static int Run(const std::vector<std::string>& arguments, std::string* err = nullptr) {
    QStringList list{"morilux-cli"};
    for (const std::string& a : arguments) list << QString::fromStdString(a);
    std::ostringstream out, errors;
    const int status = RunCommandLine(list, out, errors, {});
    if (err != nullptr) *err = errors.str();
    return status;
  }

  // The HTML files a run wrote into `folder`, by name.
  static std::vector<std::string> HtmlFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".html") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

// A picture of no symbol, a symbol, a faint symbol only some parameters read,
// and a file that is no picture.
void WritePictures(const std::string& folder) {
  fs::create_directories(folder);
  WriteBmp(RenderSymbol(EncodeBytes("Hello", 1, 1), 4), folder + "/symbol.bmp");
  WriteBmp(FaintSymbol("faint"), folder + "/faint.bmp");
  TBitmap stripes(60, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) stripes.SetPixel(x, y, ((x * 11 + y * 5) % 256) * 0x010101u);
  WriteBmp(stripes, folder + "/nothing.bmp");
  WriteFile(folder + "/broken.bmp", "BM no picture");
}

TEST_F(ReportLanguage, EnglishReportsSpeakEnglishJapaneseOnesStayAndTheJsonIsTheSame) {
  const std::string pictures = Path("pictures");
  WritePictures(pictures);
  struct TCase {
    const char* name;
    std::vector<std::string> arguments;
    bool batch;
  };
  const std::vector<TCase> cases = {
      {"decoded", {pictures + "/symbol.bmp"}, false},
      {"not decoded", {pictures + "/nothing.bmp"}, false},
      {"explored", {"--explore", pictures + "/faint.bmp"}, false},
      {"exercise", {"--hide-answer", "--explore", pictures + "/faint.bmp"}, false},
      {"other resolver", {"--resolver", "60", "--warp", "1", pictures + "/faint.bmp"}, false},
      {"class set", {"--batch", pictures}, true},
      {"class set exercise", {"--batch", pictures, "--hide-answer"}, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> folders;
    for (const std::vector<std::string>& language : std::vector<std::vector<std::string>>{{}, {"--lang", "ja"}, {"--lang", "en"}}) {
      const std::string folder = Path(std::string(c.name) + (language.empty() ? "" : " " + language[1]));
      fs::create_directories(folder);
      std::vector<std::string> arguments = c.arguments;
      arguments.insert(arguments.end(), language.begin(), language.end());
      arguments.insert(arguments.end(), {"--report", folder + "/report.html"});
      arguments.insert(arguments.end(), {"--json", folder + "/summary.json"});
      std::string err;
      EXPECT_NE(Run(arguments, &err), 2) << err;
      folders.push_back(folder);
    }
    const std::vector<std::string> files = HtmlFiles(folders[0]);
    ASSERT_GE(files.size(), c.batch ? 4u : 1u);
    EXPECT_EQ(HtmlFiles(folders[1]), files);
    EXPECT_EQ(HtmlFiles(folders[2]), files);
    for (const std::string& file : files) {
      SCOPED_TRACE(file);
      const std::string japanese = ReadFile(folders[0] + "/" + file);
      EXPECT_EQ(ReadFile(folders[1] + "/" + file), japanese);
      EXPECT_NE(japanese.find("<html lang=\"ja\">"), std::string::npos);
      const std::string english = ReadFile(folders[2] + "/" + file);
      EXPECT_NE(english.find("<html lang=\"en\">"), std::string::npos);
      EXPECT_NE(english, japanese);
      for (const std::string& text : JapaneseOutsideTheStages(english)) ADD_FAILURE() << text;
    }
    EXPECT_EQ(ReadFile(folders[2] + "/summary.json"), ReadFile(folders[0] + "/summary.json"));
  }
}

TEST_F(ReportLanguage, OnlyJapaneseOrEnglishOnce) {
  const std::string picture = Path("symbol.bmp");
  WriteBmp(RenderSymbol(EncodeBytes("Hello", 1, 1), 4), picture);
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--lang", "bad", picture}, {"--lang", "", picture}, {"--lang", "EN", picture}, {"--lang", "en", "--lang", "ja", picture},
           {picture, "--lang"}}) {
    std::string err;
    EXPECT_EQ(Run(arguments, &err), 2) << arguments[1];
    EXPECT_NE(err.find("--lang"), std::string::npos) << err;
  }
  EXPECT_EQ(Run({"--lang", "en", picture}), 0);
  QStringList list{"morilux-cli", "--help"};
  std::ostringstream out, err;
  RunCommandLine(list, out, err, {});
  EXPECT_NE(out.str().find("--lang ja|en"), std::string::npos);
}

}  // namespace
