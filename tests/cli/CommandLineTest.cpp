#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ConformancePictures.h"
#include "OutputChecks.h"
#include "TempFolder.h"
#include "TestSymbols.h"
#include "cli/CommandLine.h"
#include "common/Surfaces.h"
#include "decoder/Analysis.h"
#include "decoder/PictureOperations.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

const std::string kNoSymbol = "位置検出パターンがみつかりません。";

// The error text of a picture without a symbol, then the diagnosis: the stage
// that stopped and what it found, on a line of its own.
bool NoSymbolDiagnosed(const std::string& err) {
  return err.rfind(kNoSymbol + "\nstage: finder search; 0 candidates, 3 needed; ", 0) == 0 &&
         std::count(err.begin(), err.end(), '\n') == 2 && err.back() == '\n';
}
const std::string kTooNarrow =
    "stage: binarization; the picture has 1 x 50 pixels; a threshold needs at least 2 x 1; try a picture at least 2 "
    "pixels wide";

struct TRun {
  int status = -1;
  std::string out, err;
};

class CommandLine : public TTempFolderTest {
 protected:
  CommandLine() : TTempFolderTest("cli") {}

  // Runs the command line in-process with the given arguments.
  static TRun Run(const std::vector<std::string>& arguments, TTerminals terminals = {}) {
    QStringList list{"morilux-cli"};
    for (const std::string& a : arguments) list << QString::fromStdString(a);
    std::ostringstream out, err;
    const int status = RunCommandLine(list, out, err, terminals);
    return {status, out.str(), err.str()};
  }

  // A usage or load failure: status 2, one line on stderr holding `fragment`, nothing on stdout.
  static void ExpectUnusable(const std::vector<std::string>& arguments, const std::string& fragment) {
    const TRun run = Run(arguments);
    EXPECT_EQ(run.status, kExitUnusable) << run.err;
    EXPECT_EQ(run.out, "");
    ASSERT_FALSE(run.err.empty()) << fragment;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find(fragment), std::string::npos) << run.err;
  }

  std::string Symbol(const std::string& name, const std::string& bytes) {
    WriteBmp(RenderSymbol(EncodeBytes(bytes, 1, 1), 4), Path(name));
    return Path(name);
  }
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

// The PNG file holds exactly the picture.
void ExpectPng(const std::string& path, const TBitmap& picture) {
  const QImage png = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(png.size(), QSize(picture.Width(), picture.Height())) << path;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const TColor c = picture.Pixel(x, y);
      ASSERT_EQ(png.pixel(x, y), qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF)) << path << " " << x << "," << y;
    }
}

}  // namespace

TEST_F(CommandLine, UsageErrorsAndUnloadablePicturesExitTwo) {
  const std::string picture = Symbol("s.bmp", "usage");
  ExpectUnusable({}, "no picture");
  ExpectUnusable({picture, picture}, "one picture");
  ExpectUnusable({"--force-version", "41", picture}, "between 0 and 40");
  ExpectUnusable({"--force-version", "-1", picture}, "between 0 and 40");
  // The limit itself is accepted: the version-1 symbol read as version 40 fails.
  EXPECT_EQ(Run({"--force-version", "40", picture}).status, kExitNotDecoded);
  ExpectUnusable({"--resolver", "abc", picture}, "integer");
  ExpectUnusable({"--warp", "1.5", picture}, "integer");
  ExpectUnusable({"--resolver", "1", "--resolver", "2", picture}, "more than once");
  ExpectUnusable({"--colour", picture}, "colour");
  ExpectUnusable({picture, "--out"}, "out");
  // A folder that cannot be made, under a regular file.
  WriteFile(Path("file"), "not a folder");
  ExpectUnusable({"--out", Path("file/out"), picture}, Path("file/out"));
  // Options that contradict each other, and grids that cannot be.
  ExpectUnusable({"--explore", "--raw", picture}, "--raw");
  ExpectUnusable({"--explore", "--resolver", "3", picture}, "--explore-resolver");
  ExpectUnusable({"--explore", "--warp", "3", picture}, "--explore-warp");
  ExpectUnusable({"--explore-warp", "1:6", picture}, "need --explore");
  ExpectUnusable({"--explore", "--explore-resolver", "10:0", picture}, "backwards");
  ExpectUnusable({"--explore", "--explore-resolver", "0:200:8", picture}, "-128..128");
  ExpectUnusable({"--explore", "--explore-resolver", "0:8:0", picture}, "step");
  ExpectUnusable({"--explore", "--explore-warp", "1-6", picture}, "FROM:TO");
  ExpectUnusable({"--explore", "--force-version", "41", picture}, "between 0 and 40");
  ExpectUnusable({"--json", "-", "--raw", picture}, "standard output");
  ExpectUnusable({"--report", "", picture}, "--report needs a file name");
  ExpectUnusable({"--report", "-", picture}, "--report");
  ExpectUnusable({"--json", "a", "--json", "b", picture}, "more than once");
  ExpectUnusable({"--hide-answer", "--out", Path("out"), picture}, "--hide-answer");
  // The loader's refusals (each reason is tested with the loader) name the file.
  WriteBmp(Colourful(8, 8), Path("picture.gif"));
  ExpectUnusable({Path("picture.gif")}, "unsupported extension (use .jpg, .jpeg, .bmp or .png)");
  WriteBmp(Colourful(8, 8), Path("bitmap.png"));
  ExpectUnusable({Path("bitmap.png")}, "bitmap.png: not a PNG picture");
  ExpectUnusable({Path("missing.bmp")}, "missing.bmp");
  WriteFile(Path("empty.jpg"), "");
  ExpectUnusable({Path("empty.jpg")}, "empty.jpg");
}

TEST_F(CommandLine, HelpExplainsOptionsOutputsAndExitCodes) {
  const TRun run = Run({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* word : {"--resolver", "--warp", "--force-version", "--out", "--raw", "--version", "StatusBar.txt",
                           "FrontImage", "ResultMemo", "Exit status", "default 7", "default 6", "--report", "--json", ".bmp or .png",
                           "--explore", "--explore-resolver FROM:TO[:STEP]", "default -128:128:8", "All or nothing"})
    EXPECT_NE(run.out.find(word), std::string::npos) << word;
}

TEST_F(CommandLine, DecodedTextGoesToStandardOutput) {
  const TRun run = Run({Symbol("hello.bmp", "Hello, Morilux")});
  EXPECT_EQ(run.status, kExitDecoded) << run.err;
  EXPECT_EQ(run.out, "Hello, Morilux\n");
  EXPECT_EQ(run.err, "");

  // Shift-JIS is converted; bytes that are not valid become U+FFFD, control characters stay.
  const std::string bytes = "\x93\xfa\x96\x7b\n\xff!";
  const std::string picture = Symbol("sjis.bmp", bytes);
  EXPECT_EQ(Run({picture}).out, "日本\n\xEF\xBF\xBD!\n");
  const TRun raw = Run({"--raw", picture});
  EXPECT_EQ(raw.status, kExitDecoded);
  EXPECT_EQ(raw.out, bytes);

  WriteJpeg(RenderSymbol(EncodeBytes("jpeg", 1, 1), 6), Path("PHOTO.JPG"), 95);
  EXPECT_EQ(Run({Path("PHOTO.JPG")}).out, "jpeg\n");
}

// PNG files as the encoder's own program writes them: a palette file, and a
// colour one with a transparent background that stores black behind the
// transparency (read on black, the symbol would vanish).
TEST_F(CommandLine, PngFilesOfTheEncoderProgramDecode) {
  for (const std::string type : {"PNG --background=FFFFFF", "PNG32 --background=00000000"}) {
    const std::string path = Path("encoded.PNG");
    ASSERT_EQ(std::system(("qrencode -s 4 -t " + type + " -o '" + path + "' 'Morilux PNG'").c_str()), 0) << type;
    const TRun run = Run({path});
    EXPECT_EQ(run.status, kExitDecoded) << type << ": " << run.err;
    EXPECT_EQ(run.out, "Morilux PNG\n") << type;
  }
}

TEST_F(CommandLine, FailedDecodeExitsOneWithTheErrorText) {
  WriteBmp(Colourful(60, 40), Path("nothing.bmp"));
  const TRun run = Run({Path("nothing.bmp"), "--out", Path("out")});
  EXPECT_EQ(run.status, kExitNotDecoded);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(NoSymbolDiagnosed(run.err)) << run.err;
  EXPECT_EQ(ReadFile(Path("out/ResultMemo.txt")), "データ :\n失敗\n" + kNoSymbol + "\n");
  EXPECT_EQ(ReadFile(Path("out/StatusBar.txt")), "Veltrix Ver 3.0\n" + kNoSymbol + "\n");

  // Too narrow to binarize: the same failure, and no binarized picture.
  WriteBmp(Colourful(1, 50), Path("narrow.bmp"));
  const TRun narrow = Run({Path("narrow.bmp"), "--out", Path("out")});
  EXPECT_EQ(narrow.status, kExitNotDecoded);
  EXPECT_EQ(narrow.err, kNoSymbol + "\n" + kTooNarrow + "\n");
  EXPECT_TRUE(fs::exists(Path("out/Image1.png")));
  EXPECT_FALSE(fs::exists(Path("out/FrontImage.png")));
}

TEST_F(CommandLine, OutFolderHoldsEveryPaneAsTheAnalysisLeftIt) {
  // The analysis command on a facade of its own, with the presets: the window runs the same.
  const TBitmap picture = RenderSymbol(EncodeBytes("panes", 1, 1), 4);
  WriteBmp(picture, Path("panes.bmp"));
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  ASSERT_TRUE(Analyse(veltrix, surfaces, picture, {}).decoded);

  const std::string out = Path("nested/out");
  ASSERT_EQ(Run({"--out", out, Path("panes.bmp")}).status, kExitDecoded);
  for (std::size_t i = 0; i < kImagePaneCount; ++i) {
    const auto id = static_cast<TImagePaneId>(i);
    const bool loaded = id == TImagePaneId::Image1 || id == TImagePaneId::Image2;
    ExpectPng(out + "/" + std::string(PaneName(id)) + ".png", loaded ? picture : surfaces.Image(id).CurrentPicture());
  }
  for (const TTextPaneId id : {TTextPaneId::ImgMemo, TTextPaneId::BLMemo, TTextPaneId::RdSnMemo, TTextPaneId::ResultMemo}) {
    std::string expected;
    for (const std::string& line : surfaces.Text(id).Lines()) expected += line + "\n";
    EXPECT_EQ(ReadFile(out + "/" + std::string(PaneName(id)) + ".txt"), expected) << PaneName(id);
  }
  EXPECT_EQ(ReadFile(out + "/ResultMemo.txt"), "データ :panes\n完了\n\n");
  EXPECT_EQ(ReadFile(out + "/StatusBar.txt"), surfaces.Status(0) + "\n" + surfaces.Status(1) + "\n");
  EXPECT_EQ(ReadFile(out + "/StatusBar.txt"), "Veltrix Ver 3.0\nＯｋ\n");
}

TEST_F(CommandLine, ResolverReachesTheBinarizationClamped) {
  WriteBmp(Colourful(45, 31), Path("colour.bmp"));
  for (const std::string resolver : {"-20", "128", "100000000000"})
    Run({"--resolver", resolver, "--out", Path("out" + resolver), Path("colour.bmp")});
  EXPECT_NE(ReadFile(Path("out-20/FrontImage.png")), ReadFile(Path("out128/FrontImage.png")));
  // Values beyond the facade's range are clamped there, not refused here.
  EXPECT_EQ(ReadFile(Path("out100000000000/FrontImage.png")), ReadFile(Path("out128/FrontImage.png")));
}

TEST_F(CommandLine, ProgramReportsThroughItsExitStatus) {
  auto run = [this](const std::string& arguments) {
    const std::string command = std::string("'") + MORILUX_CLI_PROGRAM + "' " + arguments + " >'" + Path("stdout") +
                                "' 2>'" + Path("stderr") + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  const std::string picture = Symbol("program.bmp", "program");
  EXPECT_EQ(run("--warp 0 --resolver=-5 '" + picture + "'"), 0);
  EXPECT_EQ(ReadFile(Path("stdout")), "program\n");
  EXPECT_EQ(run("--force-version 99 '" + picture + "'"), 2);
  EXPECT_EQ(ReadFile(Path("stdout")), "");
  const std::string narrow = Path("narrow.bmp");
  WriteBmp(Colourful(1, 50), narrow);
  EXPECT_EQ(run("'" + narrow + "'"), 1);
  EXPECT_EQ(ReadFile(Path("stderr")), kNoSymbol + "\n" + kTooNarrow + "\n");
}

// On a terminal, the control characters of the decoded text and of names in
// messages are shown as escapes; into a pipe or a file, and with --raw, the
// bytes pass as they are. The panes written by --out keep the raw text.
TEST_F(CommandLine, TerminalsSeeControlCharactersAsEscapes) {
  const std::string text = "\x1b[2J\x1b]0;owned\x07\\ok\r\n\tend";
  const std::string escaped = "\\x1b[2J\\x1b]0;owned\\x07\\\\ok\\x0d\n\tend\n";
  const std::string picture = Symbol("escape.bmp", text);
  struct TCase {
    std::vector<std::string> arguments;
    TTerminals terminals;
    std::string out;
  };
  const TCase cases[] = {
      {{picture}, {true, true}, escaped},
      {{picture}, {false, true}, text + "\n"},
      {{picture}, {false, false}, text + "\n"},
      {{"--raw", picture}, {true, true}, text},
      {{"--out", Path("out"), picture}, {true, false}, escaped},
  };
  for (const TCase& c : cases) {
    const TRun run = Run(c.arguments, c.terminals);
    EXPECT_EQ(run.status, kExitDecoded) << run.err;
    EXPECT_EQ(run.out, c.out) << c.arguments[0] << " " << c.terminals.out;
  }
  EXPECT_EQ(ReadFile(Path("out/ResultMemo.txt")), "データ :" + text + "\n完了\n\n");

  // A file name and an option's value in messages on standard error.
  const std::string missing = Path("gone\x1b[8m.bmp");
  EXPECT_EQ(Run({missing}, {false, true}).err, "morilux-cli: " + Path("gone\\x1b[8m.bmp") + ": no such file\n");
  EXPECT_EQ(Run({missing}, {true, false}).err, "morilux-cli: " + missing + ": no such file\n");
  EXPECT_EQ(Run({"--warp", "\xc2\x9b" "2J\r", picture}, {false, true}).err,
            "morilux-cli: --warp needs an integer, not '\\u009b2J\\x0d' (see --help)\n");
}

// The program asks each of its streams on its own: what goes to a
// pseudo-terminal is escaped, what goes into a file is not, whichever way
// round the two are.
TEST_F(CommandLine, ProgramEscapesOnATerminalOnly) {
  const std::string picture = Symbol("terminal.bmp", "\x1b[2Jterminal");
  const std::string missing = Path("gone\x1b[8m.bmp");
  const std::string text = "\x1b[2Jterminal\n", shownText = "\\x1b[2Jterminal\n";
  const std::string message = "morilux-cli: " + missing + ": no such file\n";
  const std::string shownMessage = "morilux-cli: " + Path("gone\\x1b[8m.bmp") + ": no such file\n";
  // Runs the program on `argument`, each stream on the terminal or into its
  // file: what the terminal showed, then the exit status.
  auto run = [this](const std::string& argument, bool outOnTerminal, bool errOnTerminal) {
    int master = -1, slave = -1;
    termios settings{};
    cfmakeraw(&settings);  // no translation of newlines
    if (openpty(&master, &slave, nullptr, &settings, nullptr) != 0) return std::string("no pseudo-terminal");
    const std::string outFile = Path("stdout"), errFile = Path("stderr");
    const pid_t child = fork();
    if (child == 0) {
      const int out = outOnTerminal ? slave : open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = errOnTerminal ? slave : open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out, STDOUT_FILENO);
      dup2(err, STDERR_FILENO);
      close(master);
      close(slave);
      execl(MORILUX_CLI_PROGRAM, MORILUX_CLI_PROGRAM, argument.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(slave);
    // Read until the program's side is closed (EIO).
    std::string shown;
    char buffer[256];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) shown.append(buffer, static_cast<std::size_t>(n));
    close(master);
    int status = 0;
    waitpid(child, &status, 0);
    return shown + "exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  };
  struct TCase {
    const std::string& argument;
    bool outOnTerminal, errOnTerminal;
    std::string shown;     // on the terminal, then the exit status
    std::string out, err;  // in the files of the streams that are not on it
  };
  const TCase cases[] = {
      {picture, true, true, shownText + "exit 0", {}, {}},
      {missing, true, true, shownMessage + "exit 2", {}, {}},
      {picture, false, true, "exit 0", text, {}},
      {missing, false, true, shownMessage + "exit 2", "", {}},
      {picture, true, false, shownText + "exit 0", {}, ""},
      {missing, true, false, "exit 2", {}, message},
      {picture, false, false, "exit 0", text, ""},
      {missing, false, false, "exit 2", "", message},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << (&c.argument == &picture ? "a symbol" : "a missing file") << ", output "
                                    << (c.outOnTerminal ? "on the terminal" : "into a file") << ", errors "
                                    << (c.errOnTerminal ? "on the terminal" : "into a file"));
    EXPECT_EQ(run(c.argument, c.outOnTerminal, c.errOnTerminal), c.shown);
    if (!c.outOnTerminal) {
      EXPECT_EQ(ReadFile(Path("stdout")), c.out);
    }
    if (!c.errOnTerminal) {
      EXPECT_EQ(ReadFile(Path("stderr")), c.err);
    }
  }
}

TEST_F(CommandLine, JsonOnStandardOutputIsAllThatIsPrinted) {
  const TRun run = Run({"--json", "-", Symbol("json.bmp", "json")});
  EXPECT_EQ(run.status, kExitDecoded);
  EXPECT_EQ(run.err, "");
  const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
  EXPECT_EQ(json["format"].toInt(), 1);
  EXPECT_EQ(json["text"].toString(), "json");

  WriteBmp(Colourful(60, 40), Path("nothing.bmp"));
  const TRun failed = Run({"--json", "-", Path("nothing.bmp")});
  EXPECT_EQ(failed.status, kExitNotDecoded);
  EXPECT_TRUE(NoSymbolDiagnosed(failed.err)) << failed.err;
  EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(failed.out)).object()["stage"].toString(), "finder search");
}

// U+FFFE and U+FFFF cannot stand in the report's markup; only a file name can
// hold them (decoded Shift-JIS text never does). The report of such a picture
// is still written, well-formed, with U+FFFD in their places.
TEST_F(CommandLine, ReportOfAPictureNamedWithNoncharactersShowsTheReplacement) {
  const std::string picture = Symbol("odd\xEF\xBF\xBEname\xEF\xBF\xBF.bmp", "noncharacters");
  const TRun run = Run({"--report", Path("report.html"), picture});
  ASSERT_EQ(run.status, kExitDecoded) << run.err;
  QXmlStreamReader xml(QByteArray::fromStdString(ReadFile(Path("report.html"))));
  QString title;
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QStringLiteral("title")) title = xml.readElementText();
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_TRUE(title.endsWith(QString::fromUtf8("odd\uFFFDname\uFFFD.bmp"))) << title.toStdString();
}

TEST_F(CommandLine, ExploreChoosesACellWhoseRunFillsEveryOutput) {
  // The presets see nothing, Resolver 0 reads it.
  const TBitmap faint = FaintSymbol("faint");
  WriteBmp(faint, Path("faint.bmp"));
  ASSERT_EQ(Run({Path("faint.bmp")}).status, kExitNotDecoded);

  const TRun run = Run({"--explore", "--out", Path("out"), "--json", Path("faint.json"), "--report", Path("faint.html"),
                        Path("faint.bmp")});
  EXPECT_EQ(run.status, kExitDecoded) << run.err;
  EXPECT_EQ(run.out.rfind("Parameter map", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("\n              0   A   A   A   A   A  [A]\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Chosen: Resolver 0, Warp 6\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.substr(run.out.size() - 6), "faint\n");

  const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(ReadFile(Path("faint.json")))).object();
  EXPECT_EQ(json["parameters"].toObject()["resolver"].toInt(), 0);
  EXPECT_EQ(json["explore"].toObject()["cells"].toArray().size(), 204);
  EXPECT_NE(ReadFile(Path("faint.html")).find("id=\"explorer\""), std::string::npos);
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  ASSERT_TRUE(Analyse(veltrix, surfaces, faint, {0, 6, 0}).decoded);
  ExpectPng(Path("out/FrontImage.png"), surfaces.Image(TImagePaneId::FrontImage).CurrentPicture());
  EXPECT_EQ(ReadFile(Path("out/ResultMemo.txt")), "データ :faint\n完了\n\n");

  // No cell decodes: the map, the presets' run and its reason.
  WriteBmp(Colourful(60, 40), Path("nothing.bmp"));
  const TRun nothing = Run({"--explore", "--explore-resolver", "0:8:8", Path("nothing.bmp")});
  EXPECT_EQ(nothing.status, kExitNotDecoded);
  EXPECT_NE(nothing.out.find("No cell decodes.\n"), std::string::npos) << nothing.out;
  EXPECT_TRUE(NoSymbolDiagnosed(nothing.err)) << nothing.err;
}

TEST_F(CommandLine, OutputsThatCannotBeWrittenExitTwoAndLeaveNothing) {
  const std::string picture = Symbol("outputs.bmp", "outputs");
  WriteFile(Path("file"), "a regular file");
  for (const char* option : {"--report", "--json", "--out"}) ExpectUnusable({option, Path("file/x"), picture}, Path("file/x"));
  EXPECT_EQ(FolderContents(Path("")).size(), 2u);

  // The program under a file-size limit: the folder keeps what it held.
  const std::string out = Path("out");
  ASSERT_EQ(Run({"--out", out, picture}).status, kExitDecoded);
  WriteFile(out + "/notes.txt", "the user's");
  const auto before = FolderContents(out);
  WriteJpeg(RenderSymbol(EncodeBytes("a larger picture", 3, 1), 20), Path("large.jpg"), 95);
  std::string command = "ulimit -f 40; exec '";
  command += std::string(MORILUX_CLI_PROGRAM) + "' --out '" + out + "' '" + Path("large.jpg") + "' >'" + Path("stdout") +
             "' 2>'" + Path("stderr") + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
  EXPECT_EQ(WEXITSTATUS(status), kExitUnusable);
  const std::string err = ReadFile(Path("stderr"));
  EXPECT_NE(err.find("File too large"), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  EXPECT_EQ(ReadFile(Path("stdout")), "");
  EXPECT_EQ(FolderContents(out), before);
}

// An exercise: the report without the answer and its answer sheet beside it,
// written together; the summary without its text fields. Standard output,
// the teacher's, still prints the text.
TEST_F(CommandLine, HideAnswerWritesTheExerciseAndItsAnswerSheetTogether) {
  const std::string picture = Symbol("exercise.bmp", "HIDDEN 42");
  const TRun run = Run({"--hide-answer", "--report", Path("week 3.html"), "--json", Path("week 3.json"), picture});
  EXPECT_EQ(run.status, kExitDecoded) << run.err;
  EXPECT_EQ(run.out, "HIDDEN 42\n");
  EXPECT_EQ(ReadFile(Path("week 3.html")).find("HIDDEN 42"), std::string::npos);
  EXPECT_NE(ReadFile(Path("week 3-answer.html")).find("HIDDEN 42"), std::string::npos);
  EXPECT_EQ(ReadFile(Path("week 3.json")).find("HIDDEN"), std::string::npos);
  const TRun json = Run({"--hide-answer", "--json", "-", picture});
  EXPECT_EQ(json.out.find("HIDDEN"), std::string::npos);
  EXPECT_NE(json.out.find("\"answerHidden\": true"), std::string::npos);

  // When the answer sheet cannot be written, neither is the report.
  fs::create_directory(Path("blocked-answer.html"));
  ExpectUnusable({"--hide-answer", "--report", Path("blocked.html"), picture}, "blocked-answer.html");
  EXPECT_FALSE(fs::exists(Path("blocked.html")));
}

// An inverted symbol: the stage line names the operation that was tried and
// read it, the JSON holds the trial with it; --invert then reads it, the JSON
// naming the operation; a rotation that is no quarter turn is a usage error.
TEST_F(CommandLine, PictureOperationsAndTheTrialNamingThem) {
  const TBitmap symbol = RenderSymbol(EncodeBytes("operated", 1, 1), 4);
  WriteBmp(ApplyOperations(symbol, {true, false, 0}), Path("inverted.bmp"));
  const TRun failed = Run({"--json", "-", Path("inverted.bmp")});
  EXPECT_EQ(failed.status, kExitNotDecoded);
  const std::string line = failed.err.substr(failed.err.find("stage: "));
  EXPECT_NE(line.find("; try --invert (decodes)\n"), std::string::npos) << line;
  const QJsonObject diagnosis = QJsonDocument::fromJson(QByteArray::fromStdString(failed.out)).object()["diagnosis"].toObject();
  const QJsonObject trial = diagnosis["trial"].toObject();
  const QJsonObject best = trial["helped"].toArray().at(0).toObject();
  EXPECT_TRUE(trial["complete"].toBool());
  EXPECT_EQ(best["operations"].toString(), "inverted");
  EXPECT_EQ(best["reached"].toString(), "decoded");
  EXPECT_FALSE(trial["tried"].toArray().isEmpty());

  struct TCase {
    std::vector<std::string> options;
    const char* text;
  };
  for (const TCase& c : {TCase{{"--invert"}, "inverted"}, TCase{{"--invert", "--rotate", "90"}, "inverted, turned 90\u00B0"},
                         TCase{{"--invert", "--mirror", "--mirror"}, "inverted, mirrored"}}) {
    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {"--json", "-", Path("inverted.bmp")});
    const TRun run = Run(arguments);
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    EXPECT_EQ(json["operations"].toObject()["text"].toString().toStdString(), c.text);
    if (c.options.size() < 3) {
      EXPECT_EQ(run.status, kExitDecoded) << run.err;
      EXPECT_EQ(json["text"].toString(), "operated");
    }
  }
  EXPECT_FALSE(QJsonDocument::fromJson(QByteArray::fromStdString(Run({"--json", "-", Path("inverted.bmp")}).out))
                   .object()
                   .contains("operations"));
  ExpectUnusable({"--rotate", "45", Path("inverted.bmp")}, "--rotate must be 90, 180 or 270, not '45'");
}
