#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <QStringList>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "TestSymbols.h"
#include "cli/CommandLine.h"
#include "common/Messages.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

const std::string kNoSymbol = "位置検出パターンがみつかりません。";

struct TRun {
  int status = -1;
  std::string out;
  std::string err;
};

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::path(::testing::TempDir()) / (std::string("cli_") + test->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  // Runs the command line in-process with the given arguments.
  static TRun Run(const std::vector<std::string>& arguments) {
    QStringList list{"morilux-cli"};
    for (const std::string& a : arguments) list << QString::fromStdString(a);
    std::ostringstream out, err;
    TRun run;
    run.status = RunCommandLine(list, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
  }

  // A usage or load failure: status 2, one line on stderr, nothing on stdout.
  static void ExpectUnusable(const TRun& run, const std::string& fragment) {
    EXPECT_EQ(run.status, kExitUnusable) << run.err;
    EXPECT_EQ(run.out, "");
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find(fragment), std::string::npos) << run.err;
  }

  std::string Symbol(const std::string& name, const std::string& bytes) {
    WriteBmp(RenderSymbol(EncodeBytes(bytes, 1, 1), 4), Path(name));
    return Path(name);
  }

 private:
  fs::path folder_;
};

// A picture with both light and dark parts under any threshold, in colour.
TBitmap Colourful(int width, int height) {
  TBitmap bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = static_cast<std::uint32_t>((x * 11 + y * 5) % 256);
      bitmap.SetPixel(x, y, v | (((v * 3) & 0xFF) << 8) | ((255 - v) << 16));
    }
  return bitmap;
}

int Grey(TColor c) { return static_cast<int>((30 * (c & 0xFF) + 59 * ((c >> 8) & 0xFF) + 11 * ((c >> 16) & 0xFF)) / 100); }

TColor FromQt(QRgb p) {
  return static_cast<TColor>(qRed(p)) | (static_cast<TColor>(qGreen(p)) << 8) | (static_cast<TColor>(qBlue(p)) << 16);
}

}  // namespace

TEST_F(CommandLine, UsageErrorsExitTwo) {
  const std::string picture = Symbol("s.bmp", "usage");
  ExpectUnusable(Run({}), "no picture");
  ExpectUnusable(Run({picture, picture}), "one picture");
  ExpectUnusable(Run({"--force-version", "41", picture}), "between 0 and 40");
  ExpectUnusable(Run({"--force-version", "-1", picture}), "between 0 and 40");
  ExpectUnusable(Run({"--force-version", "x", picture}), "integer");
  ExpectUnusable(Run({"--resolver", "abc", picture}), "integer");
  ExpectUnusable(Run({"--warp", "1.5", picture}), "integer");
  ExpectUnusable(Run({"--resolver", "1", "--resolver", "2", picture}), "more than once");
  ExpectUnusable(Run({"--colour", picture}), "colour");
  ExpectUnusable(Run({picture, "--out"}), "out");
}

TEST_F(CommandLine, HelpExplainsOptionsOutputsAndExitCodes) {
  const TRun run = Run({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* word : {"--resolver", "--warp", "--force-version", "--out", "--raw", "StatusBar.txt",
                           "FrontImage", "ResultMemo", "Exit status", "default 7", "default 6"})
    EXPECT_NE(run.out.find(word), std::string::npos) << word;
}

TEST_F(CommandLine, PicturesThatCannotBeLoadedExitTwo) {
  ExpectUnusable(Run({Path("missing.bmp")}), "missing.bmp");
  WriteBmp(Colourful(8, 8), Path("picture.png"));
  ExpectUnusable(Run({Path("picture.png")}), "unsupported extension");
  WriteFile(Path("empty.jpg"), "");
  ExpectUnusable(Run({Path("empty.jpg")}), "empty.jpg");

  WriteJpeg(Colourful(64, 64), Path("whole.jpg"));
  const std::string whole = ReadFile(Path("whole.jpg"));
  WriteFile(Path("cut.jpg"), whole.substr(0, whole.size() * 2 / 3));
  ExpectUnusable(Run({Path("cut.jpg")}), "cut.jpg");
  WriteFile(Path("photo.bmp"), whole);
  ExpectUnusable(Run({Path("photo.bmp")}), "photo.bmp");

  std::mt19937 random(3);
  std::string noise(2000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  WriteFile(Path("noise.jpg"), noise);
  ExpectUnusable(Run({Path("noise.jpg")}), "noise.jpg");

  // A header declaring 100000 x 100000 pixels, then almost nothing.
  WriteBmp(Colourful(4, 4), Path("huge.bmp"));
  std::string huge = ReadFile(Path("huge.bmp"));
  for (const std::size_t at : {18u, 22u}) {
    huge[at] = '\xA0';
    huge[at + 1] = '\x86';
    huge[at + 2] = '\x01';
    huge[at + 3] = '\x00';
  }
  WriteFile(Path("huge.bmp"), huge);
  ExpectUnusable(Run({Path("huge.bmp")}), "too large");
}

TEST_F(CommandLine, DecodedTextGoesToStandardOutput) {
  const TRun run = Run({Symbol("hello.bmp", "Hello, Morilux")});
  EXPECT_EQ(run.status, kExitDecoded) << run.err;
  EXPECT_EQ(run.out, "Hello, Morilux\n");
  EXPECT_EQ(run.err, "");

  // Shift-JIS is converted; bytes that are not valid become U+FFFD, control characters stay.
  const std::string bytes = "\x93\xfa\x96\x7b\n\xff!";
  const std::string picture = Symbol("sjis.bmp", bytes);
  const TRun converted = Run({picture});
  EXPECT_EQ(converted.status, kExitDecoded) << converted.err;
  EXPECT_EQ(converted.out, "日本\n\xEF\xBF\xBD!\n");
  const TRun raw = Run({"--raw", picture});
  EXPECT_EQ(raw.status, kExitDecoded);
  EXPECT_EQ(raw.out, bytes);
}

TEST_F(CommandLine, UpperCaseJpegExtensionLoads) {
  WriteJpeg(RenderSymbol(EncodeBytes("jpeg", 1, 1), 6), Path("PHOTO.JPG"), 95);
  const TRun run = Run({Path("PHOTO.JPG")});
  EXPECT_EQ(run.status, kExitDecoded) << run.err;
  EXPECT_EQ(run.out, "jpeg\n");
}

TEST_F(CommandLine, FailedDecodeExitsOneWithTheErrorText) {
  WriteBmp(Colourful(60, 40), Path("nothing.bmp"));
  const TRun run = Run({Path("nothing.bmp"), "--out", Path("out")});
  EXPECT_EQ(run.status, kExitNotDecoded);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, kNoSymbol + "\n");
  EXPECT_EQ(ReadFile(Path("out/ResultMemo.txt")), "データ :\n失敗\n" + kNoSymbol + "\n");
  EXPECT_EQ(ReadFile(Path("out/StatusBar.txt")), "Veltrix Ver 3.0\n" + kNoSymbol + "\n");
}

TEST_F(CommandLine, TooNarrowPictureIsNotBinarized) {
  WriteBmp(Colourful(1, 50), Path("narrow.bmp"));
  const TRun run = Run({Path("narrow.bmp"), "--out", Path("out")});
  EXPECT_EQ(run.status, kExitNotDecoded);
  EXPECT_EQ(run.err, kNoSymbol + "\n");
  EXPECT_TRUE(fs::exists(Path("out/Image1.png")));
  EXPECT_FALSE(fs::exists(Path("out/FrontImage.png")));
}

TEST_F(CommandLine, OutFolderHoldsEveryPane) {
  const std::string picture = Symbol("panes.bmp", "panes");
  const std::string out = Path("nested/out");
  const TRun run = Run({"--out", out, picture});
  ASSERT_EQ(run.status, kExitDecoded) << run.err;

  QImage loaded(QString::fromStdString(picture));
  for (const char* name : {"Image1", "Image2"}) {
    QImage pane(QString::fromStdString(out + "/" + name + ".png"));
    ASSERT_FALSE(pane.isNull()) << name;
    EXPECT_EQ(pane.convertToFormat(QImage::Format_RGB32), loaded.convertToFormat(QImage::Format_RGB32)) << name;
  }
  for (const char* name : {"FrontImage", "ClossLineImage", "TimeImage", "AdjustImage", "DigitImage", "BlockImage",
                           "MaskImage", "ResultImage"})
    EXPECT_TRUE(fs::exists(out + "/" + name + ".png")) << name;
  for (const char* name : {"ImgMemo", "BLMemo", "RdSnMemo"}) {
    const std::string text = ReadFile(out + "/" + name + ".txt");
    EXPECT_FALSE(text.empty()) << name;
    EXPECT_EQ(text.back(), '\n') << name;
  }
  EXPECT_EQ(ReadFile(out + "/ResultMemo.txt"), "データ :panes\n完了\n\n");
  EXPECT_EQ(ReadFile(out + "/StatusBar.txt"), "Veltrix Ver 3.0\nＯｋ\n");
}

TEST_F(CommandLine, FrontImageIsTheBinarizationForTheResolverGiven) {
  // The middle row white: the threshold is 255 x 45 / 44 = 260, so even the
  // largest offset leaves the darker half of the other rows dark.
  TBitmap picture = Colourful(45, 31);
  for (int x = 0; x < 45; ++x) picture.SetPixel(x, 15, kWhite);
  WriteBmp(picture, Path("colour.bmp"));
  for (const int resolver : {-20, 0, 7, 128}) {
    const std::string out = Path("out" + std::to_string(resolver));
    Run({"--resolver", std::to_string(resolver), "--out", out, Path("colour.bmp")});
    const QImage front = QImage(QString::fromStdString(out + "/FrontImage.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(front.width(), 45);
    ASSERT_EQ(front.height(), 31);
    int sum = 0;
    for (int x = 0; x < 45; ++x) sum += Grey(picture.Pixel(x, 15));
    const int threshold = sum / 44;
    int dark = 0;
    for (int y = 0; y < 31; ++y)
      for (int x = 0; x < 45; ++x) {
        const bool isDark = Grey(picture.Pixel(x, y)) + resolver < threshold;
        dark += isDark;
        ASSERT_EQ(FromQt(front.pixel(x, y)), isDark ? kBlack : kWhite) << resolver << " " << x << "," << y;
      }
    EXPECT_GT(dark, 0) << resolver;
    if (resolver >= 7) {
      EXPECT_LT(dark, 45 * 31) << resolver;  // the white row at least is light
    }
  }
  // Values beyond the facade's range are clamped there, not refused here.
  Run({"--resolver", "100000000000", "--out", Path("outBig"), Path("colour.bmp")});
  EXPECT_EQ(ReadFile(Path("outBig/FrontImage.png")), ReadFile(Path("out128/FrontImage.png")));
}

TEST_F(CommandLine, ProgramReportsThroughItsExitStatus) {
  auto run = [this](const std::string& arguments) {
    const std::string command = std::string("'") + MORILUX_CLI_PROGRAM + "' " + arguments + " >'" + Path("stdout") +
                                "' 2>'" + Path("stderr") + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  const std::string picture = Symbol("program.bmp", "program");
  EXPECT_EQ(run("'" + picture + "'"), 0);
  EXPECT_EQ(ReadFile(Path("stdout")), "program\n");
  EXPECT_EQ(run("--warp 0 --resolver=-5 '" + picture + "'"), 0);
  EXPECT_EQ(run("--force-version 99 '" + picture + "'"), 2);
  EXPECT_EQ(ReadFile(Path("stdout")), "");
  WriteBmp(Colourful(1, 50), Path("narrow.bmp"));
  EXPECT_EQ(run("'" + Path("narrow.bmp") + "'"), 1);
  EXPECT_EQ(ReadFile(Path("stderr")), kNoSymbol + "\n");
}
