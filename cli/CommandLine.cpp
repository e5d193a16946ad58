#include "CommandLine.h"

#include "MoriluxVersion.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "BatchCommand.h"
#include "ExploreText.h"
#include "Interrupt.h"
#include "LabOptions.h"
#include "MakeOptions.h"
#include "NumberOptions.h"
#include "PictureOptions.h"
#include "common/ShiftJis.h"
#include "common/VisibleText.h"
#include "decoder/Analysis.h"
#include "decoder/DiagnosisTexts.h"
#include "decoder/Explorer.h"
#include "decoder/Trial.h"
#include "decoder/TrialTexts.h"
#include "picture/PictureLoader.h"
#include "report/AnswerSheet.h"
#include "report/HtmlReport.h"
#include "report/JsonSummary.h"
#include "report/OutputFiles.h"
#include "report/PaneFiles.h"
#include "report/PictureFile.h"
#include "sample/Sample.h"
#include "report/PictureSource.h"

namespace {

const char* const kProgram = "morilux-cli";

// The most threads --jobs asks for.
constexpr std::int32_t kMaxJobs = 256;

struct TOptions {
  // The window's presets until given.
  TAnalysisParameters parameters;
  std::optional<QString> out;
  std::optional<QString> report;
  std::optional<QString> json;
  bool raw = false;
  bool hideAnswer = false;
  bool help = false;
  bool version = false;
  bool explore = false;
  TExploreGrid grid;
  QString picture;
  // With --make: the sample to make instead of a picture to load.
  std::optional<TMakeArguments> make;
  // With --flip, --spoil-codewords or --erase: the changes of the sampled matrix.
  std::optional<TLabArguments> lab;
  // With --batch: the folder whose pictures are analysed instead of one picture.
  std::optional<QString> batch;
  // Threads of --batch and --explore.
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());

  TPictureOperations operations;
  bool JsonToStandardOutput() const { return json && *json == QStringLiteral("-"); }
};

// An option naming a file or folder, which must not be empty.
std::optional<QString> PathOption(const QCommandLineParser& parser, const QCommandLineOption& option,
                                  const char* what) {
  if (!parser.isSet(option)) return std::nullopt;
  const QString value = parser.value(option);
  if (value.isEmpty()) throw TUsageError("--" + option.names().constFirst().toStdString() + " needs " + what);
  return value;
}

TOptions ParseArguments(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help(QStringList{"h", "help"});
  const QCommandLineOption version(QStringList{"version"});
  const QCommandLineOption resolver(QStringList{"resolver"}, QString(), "N");
  const QCommandLineOption warp(QStringList{"warp"}, QString(), "N");
  const QCommandLineOption forceVersion(QStringList{"force-version"}, QString(), "N");
  const QCommandLineOption out(QStringList{"out"}, QString(), "DIR");
  const QCommandLineOption report(QStringList{"report"}, QString(), "FILE");
  const QCommandLineOption json(QStringList{"json"}, QString(), "FILE");
  const QCommandLineOption explore(QStringList{"explore"});
  const QCommandLineOption exploreResolver(QStringList{"explore-resolver"}, QString(), "RANGE");
  const QCommandLineOption exploreWarp(QStringList{"explore-warp"}, QString(), "RANGE");
  const QCommandLineOption raw(QStringList{"raw"});
  const QCommandLineOption hideAnswer(QStringList{"hide-answer"});
  const QCommandLineOption batch(QStringList{"batch"}, QString(), "FOLDER");
  const QCommandLineOption jobs(QStringList{"jobs"}, QString(), "N");
  parser.addOptions({help, version, resolver, warp, forceVersion, out, report, json, explore, exploreResolver, exploreWarp,
                     raw, hideAnswer, batch, jobs});
  const TMakeOptions makeOptions;
  parser.addOptions(makeOptions.All());
  const TLabOptions labOptions;
  parser.addOptions(labOptions.All());
  const TPictureOptions pictureOptions;
  parser.addOptions(pictureOptions.All());
  if (!parser.parse(arguments)) throw TUsageError(parser.errorText().toStdString());

  TOptions options;
  if (parser.isSet(version) && makeOptions.Asked(parser))
    throw TUsageError("--version prints the program's version; the symbol's version is --symbol-version V");
  if (parser.isSet(help)) {
    options.help = true;
    return options;
  }
  if (parser.isSet(version)) {
    options.version = true;
    return options;
  }
  for (const QCommandLineOption* single :
       {&resolver, &warp, &forceVersion, &out, &report, &json, &exploreResolver, &exploreWarp, &batch, &jobs})
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
  options.out = PathOption(parser, out, "a folder name");
  options.report = PathOption(parser, report, "a file name");
  options.json = PathOption(parser, json, "a file name, or - for standard output");
  options.raw = parser.isSet(raw);
  options.hideAnswer = parser.isSet(hideAnswer);
  options.explore = parser.isSet(explore);
  try {
    options.make = makeOptions.Read(parser);
    options.lab = labOptions.Read(parser);
    options.operations = pictureOptions.Read(parser);
  } catch (const std::exception& wrong) {  // TMakeUsageError, TLabUsageError, std::invalid_argument
    throw TUsageError(wrong.what());
  }

  // Options that contradict each other.
  if (options.raw && options.JsonToStandardOutput())
    throw TUsageError("--raw and --json - both write standard output");
  if (options.report && *options.report == QStringLiteral("-"))
    throw TUsageError("--report writes a file; - is not one");
  if (options.hideAnswer && !options.report && !options.json)
    throw TUsageError("--hide-answer is for the files of --report and --json; give one of them");
  if (options.explore) {
    if (options.raw) throw TUsageError("--explore prints a map, which --raw cannot go with");
    if (parser.isSet(resolver) || parser.isSet(warp))
      throw TUsageError("--explore runs its own Resolver and Warp values; choose them with --explore-resolver and --explore-warp");
    try {
      options.grid = TExploreGrid::Make(
          parser.isSet(exploreResolver) ? ParseRange("explore-resolver", parser.value(exploreResolver), 8)
                                        : TExploreGrid::DefaultResolvers(),
          parser.isSet(exploreWarp) ? ParseRange("explore-warp", parser.value(exploreWarp), 1) : TExploreGrid::DefaultWarps(),
          options.parameters.forceVersion);
    } catch (const std::invalid_argument& range) {
      throw TUsageError(std::string("--explore: ") + range.what());
    }
  } else if (parser.isSet(exploreResolver) || parser.isSet(exploreWarp)) {
    throw TUsageError("--explore-resolver and --explore-warp need --explore");
  }

  if (parser.isSet(jobs)) {
    if (!options.explore && !parser.isSet(batch)) throw TUsageError("--jobs is for --batch and --explore");
    const std::int32_t count = ParseInteger("jobs", parser.value(jobs));
    if (count < 1 || count > kMaxJobs)
      throw TUsageError("--jobs must lie between 1 and " + std::to_string(kMaxJobs) + ", not '" + parser.value(jobs).toStdString() + "'");
    options.jobs = static_cast<unsigned>(count);
  }

  const QStringList positional = parser.positionalArguments();
  options.batch = PathOption(parser, batch, "a folder name");
  if (options.batch) {
    if (!positional.isEmpty())
      throw TUsageError("--batch analyses the pictures of its folder; no picture is given with it ('" +
                        positional.constFirst().toStdString() + "')");
    if (options.make || options.lab) throw TUsageError("--batch analyses the pictures of a folder, which --make and the lab's options cannot go with");
    if (options.out) throw TUsageError("--out writes the panes of one picture; with --batch each picture has its report");
    if (options.raw) throw TUsageError("--raw prints one text, which --batch cannot go with");
    if (!options.report && !options.json) throw TUsageError("--batch writes its table with --report FILE or --json FILE; give one of them");
    return options;
  }
  if (options.make && !positional.isEmpty())
    throw TUsageError("--make makes the picture; no picture is read with it ('" + positional.constFirst().toStdString() + "')");
  if (options.make) return options;
  if (positional.isEmpty()) throw TUsageError("no picture given");
  if (positional.size() > 1) throw TUsageError("only one picture can be analysed at a time");
  options.picture = positional.constFirst();
  if (options.picture.isEmpty()) throw TUsageError("the picture name is empty");
  return options;
}

std::string OneLine(std::string text, bool terminal) { return TerminalLine(std::move(text), terminal); }

}  // namespace

std::string TerminalLine(std::string text, bool terminal) {
  if (terminal) text = VisibleText(text);
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

std::string HelpText() {
  const TParameterRange& resolver = RangeOf(TParameter::Resolver);
  const TParameterRange& warp = RangeOf(TParameter::Warp);
  const TExploreRange resolvers = TExploreGrid::DefaultResolvers();
  const auto number = [](std::int32_t value) { return std::to_string(value); };
  return R"(Usage: morilux-cli [--resolver N] [--warp N] [--force-version N] [--out DIR]
                   [--report FILE] [--json FILE] [--hide-answer] [--raw] PICTURE
       morilux-cli --explore [--explore-resolver FROM:TO[:STEP]]
                   [--explore-warp FROM:TO[:STEP]] [--force-version N] [--out DIR]
                   [--report FILE] [--json FILE] [--hide-answer] PICTURE
)" + MakeUsageText() + LabUsageText() + BatchUsageText() + R"(

Decodes the QR Code symbol in PICTURE ()" + PictureExtensionList() + R"(, any letter
case) and prints its text, running every stage the window shows.

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
                                      pictures of few colours as palette PNG,
                                      Image2 as a second link to Image1;
                       <Pane>.txt     each text pane in UTF-8, one line per
                                      line (ImgMemo, BLMemo, RdSnMemo, ResultMemo);
                       StatusBar.txt  status panel 0 (version) and panel 1
                                      (outcome), one line each.
                     All or nothing: on a failure the folder keeps the files it
                     had. Other files in DIR are never touched.
  --report FILE      Writes the analysis as one HTML file that opens offline in
                     any browser and prints on A4: the parameters, the outcome
                     and every page with its explanation, pictures and text
                     panes, the diagnosis with its plots. A JPEG picture is
                     embedded as its own file when a browser shows it as it
                     was analysed (no EXIF turn, no colour profile).
  --json FILE        Writes a summary for programs as JSON (its fields are
                     described in morilux-cli(1) and the README); with - as
                     FILE, standard output holds only the JSON.
  --explore          Runs the analysis for every Resolver and Warp of a grid and
                     prints a map of where each stopped; the text printed, the
                     exit status and --out, --report and --json then belong to
                     the chosen cell: the presets when they decode, else the
                     decoding cell nearest in Resolver (the lower on a tie) with
                     the highest Warp. Not with --resolver, --warp or --raw.
  --explore-resolver FROM:TO[:STEP]
                     Resolver values of the grid (default )" + number(resolvers.from) + ":" + number(resolvers.to) + ":" + number(resolvers.step) + R"(,
                     plus the preset )" + number(resolver.preset) + R"( when it lies within).
  --explore-warp FROM:TO[:STEP]
                     Warp values of the grid (default )" + number(warp.minimum) + ":" + number(warp.maximum) + R"().
  --hide-answer      An exercise: the report leaves out what gives the answer
                     away (the decoded text and result lines, the values of
                     the data codewords in BLMemo, the blocks' codewords in
                     RdSnMemo, the text read without correction, the texts of
                     --explore) and its answer sheet with them is written
                     beside it (FILE with -answer before its extension); the
                     pictures all stay. --json leaves out its text fields.
                     Standard output still prints the text.
  --raw              Prints the decoded text as its raw Shift-JIS bytes, with no
                     conversion, no newline and no escapes, even on a terminal.
  --version          Prints the program's version.
  -h, --help         Prints this help.

)" + MakeHelpText() + R"(

)" + LabHelpText() + R"(

)" + PictureHelpText() + R"(

)" + BatchHelpText() + R"(

Output:
  On success the decoded text, converted from Shift-JIS to UTF-8, followed by a
  newline (bytes that are not valid Shift-JIS become U+FFFD); with --explore,
  the map comes first.
  When standard output is a terminal, control characters in the text are
  shown as escapes instead of being sent: \x1b for a C0 control (tab and
  newline excepted) or DEL, \u0085 for a C1 control (U+0080 to U+009F), \xff
  for a byte that is not UTF-8, and a backslash as \\. Messages on standard
  error, file names included, are shown the same way when it is a terminal.
  Output into a pipe or a file, the text of --raw and the files written stay
  byte for byte.
  Every file is written under a temporary name and renamed when complete, so
  that no partial file is ever left.

Exit status:
  0  the symbol was decoded (with --explore: some cell of the grid decoded)
  1  the decode failed; the error text is printed on standard error, followed
     by one line of diagnosis: the stage that stopped, what it measured and
     the best of the values tried after the analysis with how far it got (e.g.
     "stage: corners; ...; try --warp 2 decodes"), or that none got further
  2  usage error, unsupported extension, picture that cannot be loaded, or
     output that cannot be written; a one-line message on standard error
)";
}

namespace {

// Writes the report, and with --hide-answer its answer sheet beside it: both or neither.
void WriteReport(const TOptions& options, const TReportInput& input) {
  const std::string path = QFile::encodeName(*options.report).toStdString();
  std::string html, answers;
  try {
    html = HtmlReport(input);
    if (options.hideAnswer) answers = AnswerSheet(input);
  } catch (const std::runtime_error& failure) {
    throw TOutputError("cannot write " + path + ": " + failure.what());
  }
  if (!options.hideAnswer) {
    WriteFileAtomically(path, html);
    return;
  }
  const std::filesystem::path file(path);
  if (!file.has_filename()) throw TOutputError("cannot write " + path + ": the name is a folder");
  TFileBatch batch(file.parent_path().string());
  batch.Write(file.filename().string(), html);
  batch.Write(std::filesystem::path(AnswerSheetPath(path)).filename().string(), answers);
  batch.Commit();
}

// Writes --out, --report and --json (to a file); throws what cannot be written.
void WriteOutputs(const TOptions& options, const TBitmap& picture, const TPictureSource& source,
                  const TSurfaces& surfaces, const TAnalysisResult& result, const TExploreMap* explored,
                  const TSample* made, const TLab* lab, const TTrial* trial) {
  if (options.out) WritePanes(surfaces, QFile::encodeName(*options.out).toStdString());
  if (options.report) {
    std::string name = options.picture.toStdString();
    if (made != nullptr) name = options.make->output ? options.make->output->toStdString() : "(作成したサンプル)";
    // A made picture that is the decoding of a JPEG file is embedded as that file, as a loaded one; an operated one is no file's.
    std::string jpeg = made != nullptr ? (ShowsAsLoaded(made->jpeg) ? made->jpeg : std::string()) : source.EmbeddableJpeg();
    if (options.operations.Any()) jpeg.clear();
    WriteReport(options, {name, picture.Width(), picture.Height(), &surfaces, &result, explored,
                          made != nullptr ? SampleCaption(*made) : std::string(), std::move(jpeg), options.hideAnswer, 0, trial, JapaneseText(options.operations)});
  }
  if (options.json && !options.JsonToStandardOutput())
    WriteFileAtomically(QFile::encodeName(*options.json).toStdString(),
                        JsonSummary(result, surfaces, explored, made, options.hideAnswer, lab, trial, &options.operations));
}

}  // namespace

int RunCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err, TTerminals terminals) {
  TOptions options;
  try {
    options = ParseArguments(arguments);
  } catch (const TUsageError& usage) {
    err << kProgram << ": " << OneLine(usage.what(), terminals.err) << " (see --help)\n";
    return kExitUnusable;
  }
  if (options.version) {
    out << kProgram << ' ' << kMoriluxVersion << '\n';
    return kExitDecoded;
  }
  if (options.help) {
    out << HelpText();
    return kExitDecoded;
  }
  if (options.batch) {
    const TInterruptFlag interrupt;
    return RunBatch({*options.batch, options.report, options.json, options.parameters,
                     options.explore ? std::optional<TExploreGrid>(options.grid) : std::nullopt, options.hideAnswer, options.jobs},
                    out, err, terminals, &interrupt);
  }

  // The sample maker, whose picture is then analysed as a loaded one.
  std::optional<TSample> made;
  if (options.make) {
    try {
      made = MakeSample(options.make->request);
      if (options.make->output)
        SavePicture(QFile::encodeName(*options.make->output).toStdString(), made->picture, made->jpeg);
    } catch (const std::exception& failure) {
      err << kProgram << ": " << OneLine(made ? failure.what() : "--make: " + std::string(failure.what()), terminals.err) << "\n";
      return kExitUnusable;
    }
  }

  // The load command.
  const std::string path = QFile::encodeName(options.picture).toStdString();
  std::optional<TBitmap> picture;
  // Taken before the load: the report embeds the file only while it is still what was loaded.
  const TPictureSource source = options.report && !made ? TPictureSource(path) : TPictureSource();
  try {
    picture = made ? std::optional<TBitmap>(made->picture) : LoadPicture(path);
  } catch (const TPictureError& failure) {
    err << kProgram << ": " << OneLine(failure.what(), terminals.err) << "\n";
    return kExitUnusable;
  } catch (const std::exception& failure) {
    err << kProgram << ": " << OneLine(path + ": cannot load the picture: " + failure.what(), terminals.err) << "\n";
    return kExitUnusable;
  }
  if (!picture) {
    err << kProgram << ": " << OneLine(path + ": unsupported extension (use " + PictureExtensionList() + ")", terminals.err) << "\n";
    return kExitUnusable;
  }

  if (options.operations.Any()) picture = ApplyOperations(*picture, options.operations);
  // The exploration, whose chosen cell is then analysed like any other run.
  std::optional<TExploreMap> map;
  TAnalysisParameters parameters = options.parameters;
  if (options.explore) {
    map = TExplorer(*picture, options.grid).Run({}, nullptr, options.jobs);
    if (const auto chosen = map->Chosen()) parameters = map->ParametersOf(*chosen);
  }

  TSurfaces surfaces;
  surfaces.Image(TImagePaneId::Image1).ReplacePicture(*picture);
  surfaces.Image(TImagePaneId::Image2).ReplacePicture(*picture);

  // The analysis command of the window. Without files, which show its panes,
  // the explored cell of these values is that analysis already (a cell is
  // exactly the analysis with its values) and is not run again.
  const TExploreCell* explored = nullptr;
  if (map && !options.out && !options.report && !options.json)
    for (const TExploreCell& cell : map->cells)
      if (cell.ran && cell.resolver == parameters.resolver && cell.warp == parameters.warp) explored = &cell;
  TVeltrix veltrix(surfaces);
  TAnalysisResult result = explored != nullptr ? explored->result : Analyse(veltrix, surfaces, *picture, parameters);
  // A failure: other values tried on the explorer's engine, so that only those that help are named.
  std::optional<TTrial> trial;
  if (WorthTrying(result) && !options.lab) trial = TTrialRunner(*picture, result, 1).Run(nullptr, options.jobs);
  const TTrial* tried = trial ? &*trial : nullptr;
  // The picture's own grey levels take a pass of their own: only for the files that show them.
  if (options.report || options.json) result.diagnosis.pictureHistogram = TVeltrix::GreyHistogram(*picture);

  // The lab: the sampled matrix changed and decoded again, whose outcome is the program's.
  std::unique_ptr<TLab> lab;
  try {
    if (options.lab) lab = RunLab(veltrix, *options.lab);
    WriteOutputs(options, *picture, source, surfaces, result, map ? &*map : nullptr, made ? &*made : nullptr, lab.get(), tried);
  } catch (const std::exception& unwritable) {
    err << kProgram << ": " << OneLine(unwritable.what(), terminals.err) << "\n";
    return kExitUnusable;
  }
  // From here on the outcome is that of the lab's decode when there is one.
  const TAnalysisResult& outcome = lab ? lab->Last().result : result;
  if (options.JsonToStandardOutput()) {
    out << JsonSummary(result, surfaces, map ? &*map : nullptr, made ? &*made : nullptr, options.hideAnswer, lab.get(), tried,
                       &options.operations);
  } else {
    if (map) out << ExploreMapText(*map);
    if (outcome.decoded) {
      if (options.raw) {
        out << outcome.text;
      } else {
        const std::string text = ShiftJisToUtf8(outcome.text);
        out << (terminals.out ? VisibleText(text) : text) << "\n";
      }
    }
  }
  out.flush();
  if (lab)
    for (const std::string& line : LabLines(*lab)) err << OneLine(line, terminals.err) << "\n";
  if (outcome.decoded) return kExitDecoded;
  std::string reason = outcome.failureReason;
  if (reason.empty()) reason = "the symbol could not be decoded";
  err << OneLine(reason, terminals.err) << "\n";
  err << OneLine(tried != nullptr && !lab ? DiagnosisLine(result.verdict, *tried) : DiagnosisLine(outcome.verdict), terminals.err) << "\n";
  return kExitNotDecoded;
}
