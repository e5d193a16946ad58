#include "CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QRegularExpression>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "common/ShiftJis.h"
#include "common/VisibleText.h"
#include "decoder/Analysis.h"
#include "picture/PictureLoader.h"
#include "picture/QtPicture.h"

namespace {

const char* const kProgram = "morilux-cli";

struct TUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Any integer; values beyond the 32-bit range saturate, which the facade's
// clamping treats exactly as the full value.
std::int32_t ParseInteger(const QString& option, const QString& text) {
  static const QRegularExpression integer(QStringLiteral("^\\s*([+-]?)([0-9]+)\\s*$"));
  const QRegularExpressionMatch match = integer.match(text);
  if (!match.hasMatch())
    throw TUsageError("--" + option.toStdString() + " needs an integer, not '" + text.toStdString() + "'");
  const bool negative = match.captured(1) == QStringLiteral("-");
  bool fits = false;
  const qlonglong magnitude = match.captured(2).toLongLong(&fits);
  if (!fits || magnitude > std::numeric_limits<std::int32_t>::max())
    return negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

struct TOptions {
  // The window's presets until given.
  TAnalysisParameters parameters;
  std::optional<QString> out;
  bool raw = false;
  bool help = false;
  QString picture;
};

TOptions ParseArguments(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help(QStringList{"h", "help"});
  const QCommandLineOption resolver(QStringList{"resolver"}, QString(), "N");
  const QCommandLineOption warp(QStringList{"warp"}, QString(), "N");
  const QCommandLineOption forceVersion(QStringList{"force-version"}, QString(), "N");
  const QCommandLineOption out(QStringList{"out"}, QString(), "DIR");
  const QCommandLineOption raw(QStringList{"raw"});
  parser.addOptions({help, resolver, warp, forceVersion, out, raw});
  if (!parser.parse(arguments)) throw TUsageError(parser.errorText().toStdString());

  TOptions options;
  if (parser.isSet(help)) {
    options.help = true;
    return options;
  }
  for (const QCommandLineOption* single : {&resolver, &warp, &forceVersion, &out})
    if (parser.values(*single).size() > 1)
      throw TUsageError("--" + single->names().constFirst().toStdString() + " is given more than once");
  // Resolver and Warp are clamped by the facade; ForceVersion must lie in its range.
  if (parser.isSet(resolver)) options.parameters.resolver = ParseInteger("resolver", parser.value(resolver));
  if (parser.isSet(warp)) options.parameters.warp = ParseInteger("warp", parser.value(warp));
  if (parser.isSet(forceVersion)) {
    const TParameterRange& range = RangeOf(TParameter::ForceVersion);
    options.parameters.forceVersion = ParseInteger("force-version", parser.value(forceVersion));
    if (range.Clamp(options.parameters.forceVersion) != options.parameters.forceVersion)
      throw TUsageError("--force-version must lie between " + std::to_string(range.minimum) + " and " +
                        std::to_string(range.maximum) + ", not '" + parser.value(forceVersion).toStdString() + "'");
  }
  if (parser.isSet(out)) {
    options.out = parser.value(out);
    if (options.out->isEmpty()) throw TUsageError("--out needs a folder name");
  }
  options.raw = parser.isSet(raw);
  const QStringList positional = parser.positionalArguments();
  if (positional.isEmpty()) throw TUsageError("no picture given");
  if (positional.size() > 1) throw TUsageError("only one picture can be analysed at a time");
  options.picture = positional.constFirst();
  if (options.picture.isEmpty()) throw TUsageError("the picture name is empty");
  return options;
}

void WriteText(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) file << line << '\n';
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

// A message as one line; on a terminal with its control characters (a file
// name may hold any) shown as escapes first, so that a carriage return shows too.
std::string OneLine(std::string text, bool terminal) {
  if (terminal) text = VisibleText(text);
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

}  // namespace

std::string HelpText() {
  const TParameterRange& resolver = RangeOf(TParameter::Resolver);
  const TParameterRange& warp = RangeOf(TParameter::Warp);
  const auto number = [](std::int32_t value) { return std::to_string(value); };
  return R"(Usage: morilux-cli [--resolver N] [--warp N] [--force-version N] [--out DIR] [--raw] PICTURE

Decodes the QR Code symbol in PICTURE (.jpg, .jpeg or .bmp, any letter case)
and prints its text, running every stage the window shows.

Options:
  --resolver N       Binarization offset added to every grey level before it is
                     compared with the threshold (default )" + number(resolver.preset) + R"(). Any integer; values
                     outside )" + number(resolver.minimum) + ".." + number(resolver.maximum) + R"( are brought to the nearest limit.
  --warp N           Half-size, in module pitches, of the window in which the
                     symbol's bottom-right corner is sought (default )" + number(warp.preset) + R"(). Any
                     integer; values outside )" + number(warp.minimum) + ".." + number(warp.maximum) + R"( are brought to the nearest limit.
  --force-version N  0 detects the version from the picture (default); 1 to )" +
         number(RangeOf(TParameter::ForceVersion).maximum) + R"(
                     imposes that version.
  --out DIR          Writes every pane into DIR (created when missing):
                       <Pane>.png     each image pane that holds a picture, full
                                      size and lossless (Image1 and Image2 hold
                                      the loaded picture, FrontImage the
                                      binarized one, then ClossLineImage,
                                      TimeImage, AdjustImage, DigitImage,
                                      BlockImage, MaskImage, ResultImage);
                       <Pane>.txt     each text pane in UTF-8, one line per
                                      line (ImgMemo, BLMemo, RdSnMemo, ResultMemo);
                       StatusBar.txt  status panel 0 (version) and panel 1
                                      (outcome), one line each.
  --raw              Prints the decoded text as its raw Shift-JIS bytes, with no
                     conversion, no newline and no escapes, even on a terminal.
  -h, --help         Prints this help.

Output:
  On success the decoded text, converted from Shift-JIS to UTF-8, followed by a
  newline (bytes that are not valid Shift-JIS become U+FFFD).
  When standard output is a terminal, control characters in the text are
  shown as escapes instead of being sent: \x1b for a C0 control (tab and
  newline excepted) or DEL, \u0085 for a C1 control (U+0080 to U+009F), \xff
  for a byte that is not UTF-8, and a backslash as \\. Messages on standard
  error, file names included, are shown the same way when it is a terminal.
  Output into a pipe or a file, and the text of --raw, stay byte for byte.

Exit status:
  0  the symbol was decoded
  1  the decode failed; the error text is printed on standard error
  2  usage error, unsupported extension, picture that cannot be loaded, or
     output folder that cannot be written; a one-line message on standard error
)";
}

void WritePanes(const TSurfaces& surfaces, const std::string& folder) {
  namespace fs = std::filesystem;
  const fs::path root(folder);
  std::error_code error;
  fs::create_directories(root, error);
  if (error || !fs::is_directory(root)) throw std::runtime_error("cannot create the folder " + folder);

  for (std::size_t i = 0; i < kImagePaneCount; ++i) {
    const auto id = static_cast<TImagePaneId>(i);
    const TBitmap& picture = surfaces.Image(id).CurrentPicture();
    const fs::path path = root / (std::string(PaneName(id)) + ".png");
    if (picture.Empty()) {
      // No picture: no file, and none left over from an earlier run either.
      fs::remove(path, error);
      continue;
    }
    QImageWriter writer(QFile::decodeName(path.string().c_str()), "png");
    writer.setCompression(1);  // fast; PNG is lossless at every level
    if (!writer.write(ToQImage(picture)))
      throw std::runtime_error("cannot write " + path.string() + ": " + writer.errorString().toStdString());
  }
  for (std::size_t i = 0; i < kTextPaneCount; ++i) {
    const auto id = static_cast<TTextPaneId>(i);
    WriteText(root / (std::string(PaneName(id)) + ".txt"), surfaces.Text(id).Lines());
  }
  WriteText(root / "StatusBar.txt", {surfaces.Status(0), surfaces.Status(1)});
}

int RunCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err, TTerminals terminals) {
  TOptions options;
  try {
    options = ParseArguments(arguments);
  } catch (const TUsageError& usage) {
    err << kProgram << ": " << OneLine(usage.what(), terminals.err) << " (see --help)\n";
    return kExitUnusable;
  }
  if (options.help) {
    out << HelpText();
    return kExitDecoded;
  }

  // The load command.
  const std::string path = QFile::encodeName(options.picture).toStdString();
  std::optional<TBitmap> picture;
  try {
    picture = LoadPicture(path);
  } catch (const TPictureError& failure) {
    err << kProgram << ": " << OneLine(failure.what(), terminals.err) << "\n";
    return kExitUnusable;
  } catch (const std::exception& failure) {
    err << kProgram << ": " << OneLine(path + ": cannot load the picture: " + failure.what(), terminals.err) << "\n";
    return kExitUnusable;
  }
  if (!picture) {
    err << kProgram << ": " << OneLine(path + ": unsupported extension (use .jpg, .jpeg or .bmp)", terminals.err) << "\n";
    return kExitUnusable;
  }

  TSurfaces surfaces;
  surfaces.Image(TImagePaneId::Image1).ReplacePicture(*picture);
  surfaces.Image(TImagePaneId::Image2).ReplacePicture(*picture);

  // The analysis command of the window.
  TVeltrix veltrix(surfaces);
  const TAnalysisResult result = Analyse(veltrix, surfaces, *picture, options.parameters);

  if (options.out) {
    try {
      WritePanes(surfaces, QFile::encodeName(*options.out).toStdString());
    } catch (const std::exception& unwritable) {
      err << kProgram << ": " << OneLine(unwritable.what(), terminals.err) << "\n";
      return kExitUnusable;
    }
  }

  if (result.decoded) {
    if (options.raw) {
      out << result.text;
    } else {
      const std::string text = ShiftJisToUtf8(result.text);
      out << (terminals.out ? VisibleText(text) : text) << "\n";
    }
    out.flush();
    return kExitDecoded;
  }
  std::string reason = result.failureReason;
  if (reason.empty()) reason = "the symbol could not be decoded";
  err << OneLine(reason, terminals.err) << "\n";
  return kExitNotDecoded;
}
