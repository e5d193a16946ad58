#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/Plane.h"
#include "symbol/MaskPenalty.h"

// Symbols made to order: a text encoded by libqrencode in the chosen mode, at
// the chosen or smallest version and the chosen level, then given the chosen
// mask (or the one with the lowest penalty) by this program's own mask
// conditions and format information.

// A request the maker refuses; the message says what to change.
class TSampleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How the text is encoded: Automatic lets the encoder split it into segments
// of the fitting modes (Kanji for the double-byte characters it can take);
// the others make one segment of that mode, which must be able to hold the text.
enum class TSampleMode { Automatic, Numeric, Alphanumeric, Byte, Kanji };

struct TSampleModeName {
  TSampleMode mode;
  std::string_view key;    // for the command line and the JSON summary
  std::string_view label;  // for the window
};
inline constexpr std::array<TSampleModeName, 5> kSampleModes = {{
    {TSampleMode::Automatic, "auto", "自動"},
    {TSampleMode::Numeric, "numeric", "数字"},
    {TSampleMode::Alphanumeric, "alphanumeric", "英数字"},
    {TSampleMode::Byte, "byte", "8ビットバイト"},
    {TSampleMode::Kanji, "kanji", "漢字"},
}};
const TSampleModeName& NameOf(TSampleMode mode);

// Values that mean "the maker chooses".
inline constexpr std::int32_t kSmallestVersion = 0;
inline constexpr std::int32_t kAutomaticMask = -1;

struct TSymbolRequest {
  // UTF-8; encoded as the Shift-JIS (code page 932) bytes the decoder reads back.
  std::string text;
  TSampleMode mode = TSampleMode::Automatic;
  // 1 to 40, or kSmallestVersion.
  std::int32_t version = kSmallestVersion;
  // 0 L, 1 M, 2 Q, 3 H.
  std::int32_t level = 1;
  // 0 to 7, or kAutomaticMask.
  std::int32_t mask = kAutomaticMask;
};

struct TMadeSymbol {
  std::int32_t version = 0;
  std::int32_t level = 0;
  std::int32_t mask = 0;
  // The whole symbol, side x side modules [x][y], True = dark.
  TPlaneBoolean modules;
  // The text as encoded (Shift-JIS bytes).
  std::string bytes;
  // The penalty of every mask (index = mask) for this symbol; the chosen one
  // is the lowest when the mask was automatic.
  std::array<TMaskPenalty, 8> penalties{};

  std::int32_t Side() const { return modules.Width(); }
};

// Makes the symbol. Throws TSampleError for a request out of range, a text
// that code page 932 cannot carry or the mode cannot hold, and a text that
// does not fit the chosen version (or any version) at the chosen level.
TMadeSymbol MakeSymbol(const TSymbolRequest& request);
