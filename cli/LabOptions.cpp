#include "LabOptions.h"

#include <QRegularExpression>

#include "decoder/Decorder.h"
#include "decoder/LabReport.h"
#include "decoder/Veltrix.h"

namespace {

std::string Name(const QCommandLineOption& option) { return "--" + option.names().constFirst().toStdString(); }

// Every value of a repeatable option, split at spaces and semicolons.
QStringList Items(const QCommandLineParser& parser, const QCommandLineOption& option) {
  static const QRegularExpression separators(QStringLiteral("[\\s;]+"));
  QStringList items;
  for (const QString& value : parser.values(option)) items += value.split(separators, Qt::SkipEmptyParts);
  if (parser.isSet(option) && items.isEmpty()) throw TLabUsageError(Name(option) + " needs at least one value");
  return items;
}

std::int32_t Whole(const QCommandLineOption& option, const QString& text, const QString& item) {
  static const QRegularExpression integer(QStringLiteral("^[0-9]{1,6}$"));
  if (!integer.match(text).hasMatch())
    throw TLabUsageError(Name(option) + " takes whole numbers from 0, not '" + item.toStdString() + "'");
  return text.toInt();
}

std::vector<TPoint> Modules(const QCommandLineParser& parser, const QCommandLineOption& option) {
  std::vector<TPoint> modules;
  for (const QString& item : Items(parser, option)) {
    const QStringList xy = item.split(QLatin1Char(','));
    if (xy.size() != 2) throw TLabUsageError(Name(option) + " takes modules as X,Y (column, row), not '" + item.toStdString() + "'");
    modules.push_back({Whole(option, xy[0], item), Whole(option, xy[1], item)});
  }
  return modules;
}

}  // namespace

TLabOptions::TLabOptions()
    : flip_(QStringList{"flip"}, QString(), "X,Y..."),
      spoil_(QStringList{"spoil-codewords"}, QString(), "N..."),
      erase_(QStringList{"erase"}, QString(), "X,Y...") {}

std::optional<TLabArguments> TLabOptions::Read(const QCommandLineParser& parser) const {
  if (!parser.isSet(flip_) && !parser.isSet(spoil_) && !parser.isSet(erase_)) return std::nullopt;
  TLabArguments arguments;
  arguments.flips = Modules(parser, flip_);
  arguments.erasures = Modules(parser, erase_);
  for (const QString& item : Items(parser, spoil_))
    for (const QString& number : item.split(QLatin1Char(','), Qt::SkipEmptyParts))
      arguments.spoils.push_back(Whole(spoil_, number, item));
  return arguments;
}

std::unique_ptr<TLab> RunLab(const TVeltrix& facade, const TLabArguments& arguments) {
  const TPlaneBoolean& sampled = facade.Driver().Sampled();
  if (sampled.Width() == 0)
    throw TLabError("the analysis read no module matrix to change (it stopped at the stage " +
                    std::string(NameOf(facade.StoppedAt()).key) + ")");
  auto lab = std::make_unique<TLab>(sampled);
  TLabMatrix& matrix = lab->Matrix();
  if (!arguments.flips.empty()) matrix.Flip(arguments.flips);
  if (!arguments.spoils.empty()) matrix.SpoilCodewords(arguments.spoils);
  if (!arguments.erasures.empty()) matrix.MarkErased(arguments.erasures, true);
  lab->Decode();
  return lab;
}

std::vector<std::string> LabLines(const TLab& lab) {
  const TLabRun& run = lab.Last();
  std::vector<std::string> lines = {"lab: " + LabChangesLine(run, TLabLanguage::English)};
  for (const std::string& line : LabOutcomeLines(run, lab.Original(), TLabLanguage::English)) lines.push_back("lab: " + line);
  for (std::size_t b = 0; b < run.blocks.size(); ++b)
    lines.push_back("lab: " + LabBlockLine(run.blocks[b], b, TLabLanguage::English));
  return lines;
}

std::string LabUsageText() {
  return R"(       morilux-cli [--flip X,Y...] [--spoil-codewords N...] [--erase X,Y...]
                   [analysis options] PICTURE
)";
}

std::string LabHelpText() {
  return R"(Error-correction lab (the module matrix the analysis read, changed and decoded again):
  --flip X,Y...      Inverts the modules at column X, row Y (0 = top left).
  --spoil-codewords N...
                     Inverts every bit of the codewords at these places in
                     reading order (0 = the first read; also N,N,...).
  --erase X,Y...     Marks modules unreadable: read as light, and named as
                     erasures to the full-capacity comparison decoder.
                     Each option may be repeated; values are separated by
                     spaces or semicolons. The changed decode's text is printed
                     and its outcome is the exit status; lines beginning
                     "lab:" on standard error compare each block with what its
                     error-correction level can correct, and --json adds them
                     under "lab". --out and --report show the analysis itself.)";
}
