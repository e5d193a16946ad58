#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "data/CapacityDecoder.h"

using namespace testing_support;

namespace {

// A version and level whose blocks carry ecLength error-correction codewords each.
struct TBlockSource { int ecLength, version, level, blockCount; };

// Error-correction lengths from the smallest (1-L, 7, whose generator still
// has the roots alpha^0 .. alpha^6) to the largest.
constexpr TBlockSource kSources[] = {
    {7, 1, 0, 1},   {10, 1, 1, 1}, {13, 1, 2, 1}, {15, 3, 0, 1}, {17, 1, 3, 1}, {18, 3, 2, 2},
    {22, 2, 2, 1},  {24, 5, 1, 2}, {26, 3, 1, 1}, {28, 2, 3, 1}, {30, 9, 0, 2},
};

TIntegers EncoderBlock(const TBlockSource& source) {
  const TTestSymbol symbol = EncodeBytes("lab " + std::to_string(source.ecLength), source.version, source.level);
  const auto blocks = SplitBlocks(PlacementCodewords(symbol), source.blockCount, source.ecLength * source.blockCount);
  EXPECT_TRUE(IsReedSolomonCodeword(blocks[0], source.ecLength));
  return TIntegers(blocks[0].begin(), blocks[0].end());
}

struct TDamage {
  TIntegers block;
  std::vector<std::int32_t> errors;    // places, ascending
  std::vector<std::int32_t> erasures;  // places, ascending
};

// `errors` wrong codewords and `erasures` erased ones at distinct places
// drawn from the seed, each changed by a non-zero pattern: an erasure here
// is always wrong too, so the load is exactly 2 * errors + erasures.
TDamage Damage(const TIntegers& original, int errors, int erasures, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::int32_t> places(original.size());
  for (std::size_t i = 0; i < places.size(); ++i) places[i] = static_cast<std::int32_t>(i);
  std::shuffle(places.begin(), places.end(), random);
  TDamage damage{original, {places.begin(), places.begin() + errors},
                 {places.begin() + errors, places.begin() + errors + erasures}};
  for (int n = 0; n < errors + erasures; ++n) damage.block[static_cast<std::size_t>(places[static_cast<std::size_t>(n)])] ^= 1 + static_cast<int>(random() % 255);
  std::sort(damage.errors.begin(), damage.errors.end());
  std::sort(damage.erasures.begin(), damage.erasures.end());
  return damage;
}

TEST(CapacityDecoder, SyndromesAreTheBlockAtAlphaZeroOnward) {
  for (const TBlockSource& source : kSources) {
    const TDamage damage = Damage(EncoderBlock(source), 2, 0, 7);
    const TCapacityDecoding decoding = DecodeToCapacity(damage.block, source.ecLength);
    ASSERT_EQ(decoding.syndromes.size(), static_cast<std::size_t>(source.ecLength));
    const std::vector<int> block(damage.block.begin(), damage.block.end());
    for (int j = 0; j < source.ecLength; ++j) EXPECT_EQ(decoding.syndromes[static_cast<std::size_t>(j)], Evaluate(block, GfPower(j)));
  }
}

// Every mix of errors and erasures within 2 * errors + erasures <= ec.
TEST(CapacityDecoder, RestoresEveryBlockUpToCapacity) {
  for (const TBlockSource& source : kSources) {
    const TIntegers original = EncoderBlock(source);
    const int ec = source.ecLength;
    for (int errors = 0; 2 * errors <= ec; ++errors)
      for (const int erasures : {0, 1, (ec - 2 * errors) / 2, ec - 2 * errors}) {
        if (2 * errors + erasures > ec) continue;
        const TDamage damage = Damage(original, errors, erasures, static_cast<unsigned>(ec * 100 + errors * 10 + erasures));
        const TCapacityDecoding decoding = DecodeToCapacity(damage.block, ec, damage.erasures);
        const std::string what = std::to_string(ec) + " ec, " + std::to_string(errors) + " errors, " + std::to_string(erasures) + " erasures";
        EXPECT_EQ(decoding.outcome, errors + erasures == 0 ? TCapacityOutcome::Intact : TCapacityOutcome::Corrected) << what;
        EXPECT_EQ(decoding.block, original) << what;
        EXPECT_EQ(decoding.errors, damage.errors) << what;
        EXPECT_EQ(decoding.erasures, damage.erasures) << what;
      }
  }
}

// One past the capacity the decoder may find no codeword or a wrong one, but
// whatever it claims is a codeword within its bound, never the original.
TEST(CapacityDecoder, PastCapacityItFailsOrMiscorrectsButNeverClaimsTheOriginal) {
  int uncorrectable = 0;
  for (const TBlockSource& source : kSources) {
    const TIntegers original = EncoderBlock(source);
    const int ec = source.ecLength;
    struct TLoad { int errors, erasures; };
    for (const TLoad load : {TLoad{ec / 2 + 1, 0}, TLoad{1, ec - 1}, TLoad{(ec + 1 - 3) / 2 + 1, 3}, TLoad{0, ec + 1}})
      for (unsigned seed = 0; seed < 20; ++seed) {
        if (load.errors + load.erasures > static_cast<int>(original.size())) continue;
        const TDamage damage = Damage(original, load.errors, load.erasures, seed);
        const TCapacityDecoding decoding = DecodeToCapacity(damage.block, ec, damage.erasures);
        const std::string what = std::to_string(ec) + " ec, " + std::to_string(load.errors) + " errors, " +
                                 std::to_string(load.erasures) + " erasures, seed " + std::to_string(seed);
        ASSERT_NE(decoding.outcome, TCapacityOutcome::Intact) << what;
        if (decoding.outcome == TCapacityOutcome::Uncorrectable) {
          ++uncorrectable;
          EXPECT_EQ(decoding.block, damage.block) << what;
          continue;
        }
        EXPECT_NE(decoding.block, original) << what;
        EXPECT_TRUE(IsReedSolomonCodeword(std::vector<int>(decoding.block.begin(), decoding.block.end()), ec)) << what;
        EXPECT_LE(2 * static_cast<int>(decoding.errors.size()) + static_cast<int>(decoding.erasures.size()), ec) << what;
      }
  }
  // Random damage to these shortened blocks is mostly refused: a wrong
  // locator seldom has all its roots among the block's places.
  EXPECT_GT(uncorrectable, 0);
}

// The generator's coefficients, highest power first: (x - a^0) ... (x - a^(ec-1)).
std::vector<int> Generator(int ec) {
  std::vector<int> g = {1};
  for (int j = 0; j < ec; ++j) {
    std::vector<int> next(g.size() + 1, 0);
    for (std::size_t i = 0; i < g.size(); ++i) {
      next[i] ^= g[i];
      next[i + 1] ^= GfMul(g[i], GfPower(j));
    }
    g = next;
  }
  return g;
}

// Another codeword lies ec + 1 places away (the generator itself, shifted);
// damage that goes more than half way to it (ec even) is corrected to it, and the
// decoder says corrected with a block that is not the original.
TEST(CapacityDecoder, DamageHalfWayToAnotherCodewordIsMiscorrectedToIt) {
  for (const TBlockSource& source : {kSources[1], kSources[5], kSources[10]}) {
    const TIntegers original = EncoderBlock(source);
    const int ec = source.ecLength;
    const std::vector<int> generator = Generator(ec);
    TIntegers other = original;
    const std::size_t shift = original.size() - generator.size() - 2;
    for (std::size_t i = 0; i < generator.size(); ++i) other[shift + i] ^= generator[i];
    ASSERT_TRUE(IsReedSolomonCodeword(std::vector<int>(other.begin(), other.end()), ec));
    TIntegers received = original;
    int moved = 0;
    for (std::size_t i = 0; i < generator.size() && moved < ec / 2 + 1; ++i)
      if (generator[i] != 0) {
        received[shift + i] = other[shift + i];
        ++moved;
      }
    const TCapacityDecoding decoding = DecodeToCapacity(received, ec);
    EXPECT_EQ(decoding.outcome, TCapacityOutcome::Corrected) << ec;
    EXPECT_EQ(decoding.block, other) << ec;
    EXPECT_NE(decoding.block, original) << ec;
  }
}

TEST(CapacityDecoder, ErasuresOutsideTheBlockOrRepeatedAreIgnored) {
  const TIntegers original = EncoderBlock(kSources[1]);
  const TDamage damage = Damage(original, 1, 2, 3);
  std::vector<std::int32_t> named = {-1, damage.erasures[1], 500, damage.erasures[0], damage.erasures[1]};
  const TCapacityDecoding decoding = DecodeToCapacity(damage.block, kSources[1].ecLength, named);
  EXPECT_EQ(decoding.erasures, damage.erasures);
  EXPECT_EQ(decoding.block, original);
  // With no error-correction codewords nothing is checked.
  EXPECT_EQ(DecodeToCapacity(damage.block, 0).outcome, TCapacityOutcome::Intact);
}

}  // namespace
