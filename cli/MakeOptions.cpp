#include "MakeOptions.h"

#include <QRegularExpression>

#include <limits>

#include "common/Messages.h"
#include "report/PictureFile.h"
#include "symbol/DataMask.h"
#include "symbol/Versions.h"

namespace {

std::string Name(const QCommandLineOption& option) { return "--" + option.names().constFirst().toStdString(); }

// A whole number from `minimum` to `maximum`, or one of the words given the value `word`.
std::int64_t WholeNumber(const QCommandLineOption& option, const QString& text, std::int64_t minimum, std::int64_t maximum,
                         const char* word = nullptr, std::int64_t wordValue = 0) {
  if (word != nullptr && text.trimmed().compare(QString::fromLatin1(word), Qt::CaseInsensitive) == 0) return wordValue;
  static const QRegularExpression integer(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
  bool fits = false;
  const qlonglong value = integer.match(text).hasMatch() ? text.trimmed().toLongLong(&fits) : 0;
  if (!fits || value < minimum || value > maximum)
    throw TMakeUsageError(Name(option) + " must be a whole number from " + std::to_string(minimum) + " to " +
                          std::to_string(maximum) + (word != nullptr ? std::string(" or ") + word : std::string()) +
                          ", not '" + text.toStdString() + "'");
  return value;
}

}  // namespace

TMakeOptions::TMakeOptions()
    : make_(QStringList{"make"}, QString(), "TEXT"),
      mode_(QStringList{"mode"}, QString(), "MODE"),
      symbolVersion_(QStringList{"symbol-version"}, QString(), "V"),
      level_(QStringList{"level"}, QString(), "L"),
      mask_(QStringList{"mask"}, QString(), "M"),
      moduleSize_(QStringList{"module-size"}, QString(), "N"),
      quietZone_(QStringList{"quiet-zone"}, QString(), "N"),
      effects_(QStringList{"effects"}, QString(), "LIST"),
      seed_(QStringList{"seed"}, QString(), "N"),
      output_(QStringList{"output"}, QString(), "FILE") {}

QList<QCommandLineOption> TMakeOptions::All() const {
  return {make_, mode_, symbolVersion_, level_, mask_, moduleSize_, quietZone_, effects_, seed_, output_};
}

std::optional<TMakeArguments> TMakeOptions::Read(const QCommandLineParser& parser) const {
  for (const QCommandLineOption& option : All())
    if (parser.values(option).size() > 1) throw TMakeUsageError(Name(option) + " is given more than once");
  if (!parser.isSet(make_)) {
    for (const QCommandLineOption& option : All())
      if (parser.isSet(option)) throw TMakeUsageError(Name(option) + " belongs to --make TEXT, which is not given");
    return std::nullopt;
  }
  TMakeArguments arguments;
  TSampleRequest& request = arguments.request;
  request.symbol.text = parser.value(make_).toStdString();
  if (parser.isSet(mode_)) {
    const std::string mode = parser.value(mode_).trimmed().toLower().toStdString();
    std::string keys;
    bool known = false;
    for (const TSampleModeName& name : kSampleModes) {
      keys.append(keys.empty() ? "" : ", ").append(name.key);
      if (name.key == mode) {
        request.symbol.mode = name.mode;
        known = true;
      }
    }
    if (!known) throw TMakeUsageError("--mode must be one of " + keys + ", not '" + parser.value(mode_).toStdString() + "'");
  }
  if (parser.isSet(symbolVersion_))
    request.symbol.version = static_cast<std::int32_t>(
        WholeNumber(symbolVersion_, parser.value(symbolVersion_), kMinVersion, kMaxVersion, "auto", kSmallestVersion));
  if (parser.isSet(level_)) {
    const QString letter = parser.value(level_).trimmed().toUpper();
    request.symbol.level = -1;
    for (std::size_t level = 0; level < kLevelLetters.size(); ++level)
      if (letter == QString::fromLatin1(kLevelLetters[level])) request.symbol.level = static_cast<std::int32_t>(level);
    if (request.symbol.level < 0)
      throw TMakeUsageError("--level must be L, M, Q or H, not '" + parser.value(level_).toStdString() + "'");
  }
  if (parser.isSet(mask_))
    request.symbol.mask = static_cast<std::int32_t>(WholeNumber(mask_, parser.value(mask_), 0, kMaskPatterns - 1, "auto", kAutomaticMask));
  if (parser.isSet(moduleSize_))
    request.moduleSize = static_cast<std::int32_t>(WholeNumber(moduleSize_, parser.value(moduleSize_), kMinModuleSize, kMaxModuleSize));
  if (parser.isSet(quietZone_))
    request.quietZone = static_cast<std::int32_t>(WholeNumber(quietZone_, parser.value(quietZone_), kMinQuietZone, kMaxQuietZone));
  if (parser.isSet(effects_)) {
    try {
      request.effects = ParseEffects(parser.value(effects_).toStdString());
    } catch (const TSampleError& wrong) {
      throw TMakeUsageError("--effects: " + std::string(wrong.what()));
    }
  }
  if (parser.isSet(seed_))
    request.seed = static_cast<std::uint64_t>(WholeNumber(seed_, parser.value(seed_), 0, std::numeric_limits<std::uint32_t>::max()));
  if (parser.isSet(output_)) {
    const QString output = parser.value(output_);
    if (output.isEmpty()) throw TMakeUsageError("--output needs a file name");
    if (!IsSavablePictureName(output.toStdString()))
      throw TMakeUsageError("--output must name a .png, .bmp, .jpg or .jpeg file, not '" + output.toStdString() + "'");
    arguments.output = output;
  }
  return arguments;
}

std::string MakeUsageText() {
  return R"(       morilux-cli --make TEXT [--mode MODE] [--symbol-version V] [--level L]
                   [--mask M] [--module-size N] [--quiet-zone N] [--effects LIST]
                   [--seed N] [--output FILE] [analysis options]
)";
}

std::string MakeHelpText() {
  const TSampleRequest preset;
  std::string modes;
  for (const TSampleModeName& name : kSampleModes) modes.append(modes.empty() ? "" : ", ").append(name.key);
  std::string effects;
  for (const TEffectRow& row : kEffects) {
    std::string line = "                       " + std::string(row.key) + "=";
    line.resize(37, ' ');
    std::string range = row.effect == TEffect::Background
                            ? std::string()
                            : " (" + std::to_string(static_cast<long long>(row.minimum)) + " to " +
                                  std::to_string(static_cast<long long>(row.maximum)) + ")";
    if (row.effect == TEffect::Scale) range = " (0.2 to 4)";
    effects += line + std::string(row.help) + range + "\n";
  }
  return R"(Making a sample symbol (the picture is then analysed like a loaded one):
  --make TEXT        Makes a symbol of TEXT (UTF-8; carried as Shift-JIS, the
                     way the decoder reads it back) through libqrencode, gives
                     it the mask asked for with this program's own mask
                     conditions and format information, photographs it with
                     the effects asked for, saves it with --output and
                     analyses it. No PICTURE is read with --make.
  --mode MODE        )" + modes + R"( (default auto: the encoder
                     splits the text into segments; letters keep their case).
  --symbol-version V 1 to 40, or auto (default): the smallest that holds the
                     text. A text that does not fit V is refused.
  --level L          Error-correction level L, M, Q or H (default )" +
         std::string(kLevelLetters[static_cast<std::size_t>(preset.symbol.level)]) + R"().
  --mask M           0 to 7, or auto (default): the mask with the lowest penalty.
  --module-size N    Pixels per module, )" + std::to_string(kMinModuleSize) + " to " + std::to_string(kMaxModuleSize) +
         " (default " + std::to_string(preset.moduleSize) + R"().
  --quiet-zone N     Light modules around the symbol, )" + std::to_string(kMinQuietZone) + " to " +
         std::to_string(kMaxQuietZone) + " (default " + std::to_string(preset.quietZone) + R"().
  --effects LIST     Photograph effects as KEY=VALUE items separated by commas,
                     none (default) or all (each at a typical strength; later
                     items change it):
)" + effects + R"(                     e.g. --effects rotation=10,noise=8,background=wood
  --seed N           0 to 4294967295 (default )" + std::to_string(preset.seed) + R"(): the noise, the paper's grain
                     and the wood follow from it, so that a picture is made
                     again exactly.
  --output FILE      Saves the made picture: .png, .bmp, .jpg or .jpeg (with
                     the jpeg effect, its own JPEG file; else quality 95).
  The symbol's version is --symbol-version: --version prints the program's.
)";
}
