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
  // The language of the report's and the summary page's own texts.
  TReportLanguage language = TReportLanguage::Japanese;
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
  const QCommandLineOption lang(QStringList{"lang"}, QString(), "LANG");
  parser.addOptions({help, version, resolver, warp, forceVersion, out, report, json, explore, exploreResolver, exploreWarp,
                     raw, hideAnswer, batch, jobs, lang});
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
       {&resolver, &warp, &forceVersion, &out, &report, &json, &exploreResolver, &exploreWarp, &batch, &jobs, &lang})
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
  if (parser.isSet(lang) && parser.value(lang) != QStringLiteral("ja")) {
    if (parser.value(lang) != QStringLiteral("en"))
      throw TUsageError("--lang is ja (Japanese) or en (English), not '" + parser.value(lang).toStdString() + "'");
    options.language = TReportLanguage::English;
  }
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
    if (made != nullptr) name = options.make->output ? options.make->output->toStdString() : std::string(Say(options.language, "(作成したサンプル)", "(made sample)"));
    // A made picture that is the decoding of a JPEG file is embedded as that file, as a loaded one; an operated one is no file's.
    std::string jpeg = made != nullptr ? (ShowsAsLoaded(made->jpeg) ? made->jpeg : std::string()) : source.EmbeddableJpeg();
    if (options.operations.Any()) jpeg.clear();
    WriteReport(options, {name, picture.Width(), picture.Height(), &surfaces, &result, explored,
                          made != nullptr ? SampleCaption(*made) : std::string(), std::move(jpeg), options.hideAnswer, 0, trial,
                          options.language == TReportLanguage::English ? EnglishText(options.operations)
                                                                       : JapaneseText(options.operations),
                          options.language});
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
                     options.explore ? std::optional<TExploreGrid>(options.grid) : std::nullopt, options.hideAnswer, options.jobs,
                     options.language},
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
