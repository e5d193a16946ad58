#include "SymbolMaker.h"

#include <qrencode.h>

#include <cerrno>
#include <memory>
#include <new>

#include "common/Messages.h"
#include "common/ShiftJis.h"
#include "symbol/Arrangement.h"
#include "symbol/DataMask.h"
#include "symbol/Remask.h"
#include "symbol/Versions.h"

namespace {

using TCode = std::unique_ptr<QRcode, decltype(&QRcode_free)>;

std::string LevelName(std::int32_t level) { return kLevelLetters[static_cast<std::size_t>(level)]; }

void CheckRange(const TSymbolRequest& request) {
  if (request.version != kSmallestVersion && !IsVersion(request.version))
    throw TSampleError("the version must lie between " + std::to_string(kMinVersion) + " and " +
                       std::to_string(kMaxVersion) + " (or be left to the maker), not " + std::to_string(request.version));
  if (request.level < 0 || request.level > 3)
    throw TSampleError("the error-correction level must be L, M, Q or H");
  if (request.mask != kAutomaticMask && (request.mask < 0 || request.mask >= kMaskPatterns))
    throw TSampleError("the mask must lie between 0 and " + std::to_string(kMaskPatterns - 1) +
                       " (or be left to the maker), not " + std::to_string(request.mask));
}

QRencodeMode EncoderMode(TSampleMode mode) {
  switch (mode) {
    case TSampleMode::Numeric: return QR_MODE_NUM;
    case TSampleMode::Alphanumeric: return QR_MODE_AN;
    case TSampleMode::Kanji: return QR_MODE_KANJI;
    default: return QR_MODE_8;
  }
}

// Why a text does not suit a mode, in the words of what the mode takes.
std::string ModeRefusal(TSampleMode mode) {
  switch (mode) {
    case TSampleMode::Numeric: return "numeric mode takes only the digits 0 to 9";
    case TSampleMode::Alphanumeric:
      return "alphanumeric mode takes only the digits, the capital letters A to Z, space and $ % * + - . / :";
    case TSampleMode::Kanji: return "Kanji mode takes only double-byte Shift-JIS characters (kanji, kana, full-width signs)";
    default: return "the encoder refused the text";
  }
}

// The encoder's symbol for the bytes, at `version` or above (0: the smallest).
TCode Encode(const std::string& bytes, TSampleMode mode, std::int32_t version, std::int32_t level) {
  const auto ecLevel = static_cast<QRecLevel>(level);
  errno = 0;
  if (mode == TSampleMode::Automatic) {
    if (bytes.find('\0') != std::string::npos)
      throw TSampleError("the text holds a NUL character, which only byte mode can carry");
    // Case-sensitive: lower-case letters stay lower case (and so need byte mode).
    return TCode(QRcode_encodeString(bytes.c_str(), version, ecLevel, QR_MODE_KANJI, 1), &QRcode_free);
  }
  const auto data = reinterpret_cast<const unsigned char*>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  if (QRinput_check(EncoderMode(mode), size, data) != 0) throw TSampleError(ModeRefusal(mode));
  std::unique_ptr<QRinput, decltype(&QRinput_free)> input(QRinput_new2(version, ecLevel), &QRinput_free);
  if (!input) throw std::bad_alloc();
  if (QRinput_append(input.get(), EncoderMode(mode), size, data) != 0) {
    if (errno == ENOMEM) throw std::bad_alloc();
    throw TSampleError(ModeRefusal(mode));
  }
  return TCode(QRcode_encodeInput(input.get()), &QRcode_free);
}

}  // namespace

const TSampleModeName& NameOf(TSampleMode mode) {
  for (const TSampleModeName& name : kSampleModes)
    if (name.mode == mode) return name;
  return kSampleModes[0];
}

TMadeSymbol MakeSymbol(const TSymbolRequest& request) {
  CheckRange(request);
  if (request.text.empty()) throw TSampleError("the text is empty");
  std::string bytes;
  try {
    bytes = Utf8ToShiftJis(request.text);
  } catch (const TShiftJisError& unfit) {
    throw TSampleError(unfit.what());
  }
  // No symbol holds more characters than the data bits of the largest one
  // allow in the densest mode (numeric, 10 bits for 3 digits); longer texts
  // are refused before the encoder spends time on them.
  const std::size_t most =
      static_cast<std::size_t>(TotalCodewords(kMaxVersion) - ErrorCorrectionCodewords(kMaxVersion, 0)) * 8 * 3 / 10;
  if (bytes.size() > most)
    throw TSampleError("the text is too long for any symbol (" + std::to_string(bytes.size()) + " bytes)");

  const TCode code = Encode(bytes, request.mode, request.version, request.level);
  if (!code) {
    if (errno == ENOMEM) throw std::bad_alloc();
    if (errno == ERANGE)
      throw TSampleError("the text does not fit even version " + std::to_string(kMaxVersion) + " at level " +
                         LevelName(request.level) + "; shorten it or choose a lower level");
    throw TSampleError(ModeRefusal(request.mode));
  }
  // The encoder takes a version too small for the text as a lower bound and
  // quietly goes up; a version asked for must be the version made.
  if (request.version != kSmallestVersion && code->version != request.version)
    throw TSampleError("the text does not fit version " + std::to_string(request.version) + " at level " +
                       LevelName(request.level) + "; it needs version " + std::to_string(code->version) +
                       " or a lower level");

  TMadeSymbol made;
  made.version = code->version;
  made.level = request.level;
  made.bytes = std::move(bytes);
  const std::int32_t side = code->width;
  made.modules = TPlaneBoolean(side, side);
  for (std::int32_t y = 0; y < side; ++y)
    for (std::int32_t x = 0; x < side; ++x)
      made.modules[x][y] = code->data[static_cast<std::size_t>(y) * static_cast<std::size_t>(side) + static_cast<std::size_t>(x)] & 1;

  const std::int32_t encoderMask = MaskOfSymbol(made.modules);
  if (encoderMask < 0) throw TSampleError("the encoder's symbol carries no readable format information");
  const TArrangement arrangement(made.version);
  // Every mask's penalty, for the record and the automatic choice.
  made.penalties = MaskPenalties(made.modules, arrangement, made.level, encoderMask);
  const std::int32_t chosen = request.mask == kAutomaticMask ? LowestPenaltyMask(made.penalties) : request.mask;
  ChangeMask(made.modules, arrangement, made.level, encoderMask, chosen);
  made.mask = chosen;
  return made;
}
