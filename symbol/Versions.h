#pragma once

#include <array>
#include <cstdint>
#include <span>

// What each version of the symbology fixes, asked by every stage: the range
// of versions, the side, the alignment positions, the error-correction
// codewords and block counts, the version-information codewords and the
// lengths of the character counts. Levels are indexed 0 L, 1 M, 2 Q, 3 H.

inline constexpr std::int32_t kMinVersion = 1;
inline constexpr std::int32_t kMaxVersion = 40;

// Any integer: the locate stage measures with forced versions outside the range.
constexpr bool IsVersion(std::int64_t version) { return version >= kMinVersion && version <= kMaxVersion; }
// Throws a TDecodeError "Unsupported version V" for a version outside 1 to 40.
void RequireVersion(std::int64_t version);

// Modules per side of a version-V symbol, for any V (64 bits: no forced
// version overflows).
constexpr std::int64_t SymbolSide(std::int64_t version) { return 4 * version + 17; }
// The version of a symbol of `side` modules (truncated: a side that no version
// has gives a nearby number, which the caller checks).
constexpr std::int32_t VersionOfSide(std::int32_t side) { return (side - 17) / 4; }
// Version information is carried from version 7 on.
constexpr bool HasVersionInformation(std::int32_t version) { return version >= 7; }

// The alignment-pattern centre coordinates of a version, ascending; version 1
// has no pattern and gets 6 and 14 for the sampling grid. Empty outside 1 to 40.
std::span<const std::int32_t> AlignmentPositions(std::int32_t version);

// Data and error-correction codewords of the whole symbol (remainder bits dropped).
std::int32_t TotalCodewords(std::int32_t version);
// Error-correction codewords of the whole symbol and its Reed-Solomon blocks
// (both block groups together). Throw a TDecodeError "No error-correction
// table entry for version V" when the version or the level is outside its range.
std::int32_t ErrorCorrectionCodewords(std::int32_t version, std::int32_t level);
std::int32_t ReedSolomonBlocks(std::int32_t version, std::int32_t level);
// Error-correction codewords of each block (the same in both block groups).
std::int32_t ECCodewordsPerBlock(std::int32_t version, std::int32_t level);
// Codewords of each block held back against misdecoding (non-zero only for
// versions 1 to 3 at the lower levels), and the wrong codewords per block the
// level promises to correct, (ec - p) / 2: version 1-L has 7 error-correction
// codewords a block and promises 2. Same errors as ErrorCorrectionCodewords.
std::int32_t MisdecodeProtection(std::int32_t version, std::int32_t level);
std::int32_t PromisedCorrections(std::int32_t version, std::int32_t level);

// Version-information codewords for versions 7 to 40: the 6-bit version
// followed by its 12 BCH check bits (generator 0x1F25).
extern const std::array<std::uint32_t, 34> kVersionInformationCodes;

// Bits of the character count after the mode indicator (1 numeric,
// 2 alphanumeric, 4 byte, 8 Kanji); 0 for any other indicator.
std::int32_t CharacterCountBits(std::int32_t version, std::uint32_t mode);
