// The photograph effects: their list as typed, and what each does to a picture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ShiftJis.h"
#include "common/Surfaces.h"
#include "decoder/Decorder.h"
#include "decoder/Veltrix.h"
#include "picture/JpegFile.h"
#include "sample/Effects.h"
#include "sample/Sample.h"

namespace {

TEST(EffectList, ReadsBackWhatItWrites) {
  struct TCase {
    std::string typed;
    std::string canonical;
  };
  const std::vector<TCase> cases = {
      {"", "none"},
      {" none ", "none"},
      {"rotation=10", "rotation=10"},
      {"noise=4, rotation=-7.5", "rotation=-7.5,noise=4"},
      {"perspective=6", "perspective=6"},
      {"perspective=1:2:-3:4:0:0:-1.5:0", "perspective=1:2:-3:4:0:0:-1.5:0"},
      {"background=wood,jpeg=30,scale=0.5", "scale=0.5,background=wood,jpeg=30"},
      {"all", "rotation=10,perspective=5,blur=2,noise=12,light=40,scale=0.7,background=wood,jpeg=40"},
      {"all,jpeg=0,background=white,scale=1", "rotation=10,perspective=5,blur=2,noise=12,light=40"},
      {"rotation=0,scale=1", "none"},
  };
  for (const TCase& c : cases) {
    const TPhotoEffects effects = ParseEffects(c.typed);
    EXPECT_EQ(FormatEffects(effects), c.canonical) << c.typed;
    EXPECT_EQ(ParseEffects(FormatEffects(effects)), effects) << c.typed;
  }
  EXPECT_FALSE(ParseEffects("none").Any());
  EXPECT_TRUE(ParseEffects("blur=1").Any());
}

TEST(EffectList, RefusesWhatItCannotRead) {
  struct TCase {
    std::string typed;
    std::string message;
  };
  const std::vector<TCase> cases = {
      {"rotation", "effect 'rotation' needs a value (rotation=VALUE)"},
      {"rotation=", "rotation needs a number"},
      {"rotation=ten", "rotation needs a number"},
      {"rotation=nan", "rotation needs a number"},
      {"rotation=181", "rotation must lie between -180 and 180"},
      {"blur=2.5", "blur needs a whole number"},
      {"noise=101", "noise must lie between 0 and 100"},
      {"scale=0.1", "scale must lie between 0.2 and 4"},
      {"perspective=21", "perspective must lie between -20 and 20"},
      {"perspective=1:2:3", "perspective needs one value or eight X:Y values"},
      {"background=blue", "background must be one of white, grey, dark, wood"},
      {"jpeg=-1", "jpeg must lie between 0 and 100"},
      {"blur=1,all", "effect 'all' must come first"},
      {"rotation=1,rotation=2", "effect 'rotation' is given more than once"},
      {"glare=3", "effect 'glare=3' is unknown; the effects are rotation, perspective, blur, noise, light, scale, background, jpeg"},
  };
  for (const TCase& c : cases) {
    try {
      ParseEffects(c.typed);
      ADD_FAILURE() << "read '" << c.typed << "'";
    } catch (const TSampleError& refusal) {
      EXPECT_NE(std::string(refusal.what()).find(c.message), std::string::npos) << refusal.what();
    }
  }
}

// A version-2 symbol as the maker makes it, for the pictures below.
const TMadeSymbol& Symbol() {
  static const TMadeSymbol symbol = MakeSymbol({"EFFECTS", TSampleMode::Automatic, 2, 1, 4});
  return symbol;
}

TEST(EffectPictures, WithoutEffectsEveryModuleIsItsBlackOrWhiteSquare) {
  const TMadeSymbol& symbol = Symbol();
  const TBitmap picture = PhotographSymbol(symbol.modules, 3, 2, TPhotoEffects::None(), 1);
  ASSERT_EQ(picture.Width(), (25 + 4) * 3);
  ASSERT_EQ(picture.Height(), (25 + 4) * 3);
  int wrong = 0;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const int mx = x / 3 - 2, my = y / 3 - 2;
      const bool dark = mx >= 0 && my >= 0 && mx < 25 && my < 25 && symbol.modules[mx][my];
      wrong += picture.Pixel(x, y) != (dark ? kBlack : kWhite);
    }
  EXPECT_EQ(wrong, 0);
}

TEST(EffectPictures, TheSameSeedMakesTheSamePictureAndEachEffectChangesIt) {
  const TMadeSymbol& symbol = Symbol();
  const TPhotoEffects all = TPhotoEffects::All();
  const TBitmap picture = PhotographSymbol(symbol.modules, 6, 4, all, 5);
  EXPECT_EQ(PhotographSymbol(symbol.modules, 6, 4, all, 5), picture);
  EXPECT_FALSE(PhotographSymbol(symbol.modules, 6, 4, all, 6) == picture);
  const TBitmap clean = PhotographSymbol(symbol.modules, 6, 4, TPhotoEffects::None(), 5);
  for (const TEffectRow& row : kEffects) {
    TPhotoEffects one = ParseEffects(std::string(row.key) + "=" + (row.effect == TEffect::Background ? std::string("grey")
                                                                                                      : std::to_string(row.typical)));
    if (row.effect == TEffect::Scale) one = ParseEffects("scale=0.7");
    const TBitmap changed = PhotographSymbol(symbol.modules, 6, 4, one, 5);
    EXPECT_FALSE(changed == clean) << row.key;
  }
}

TEST(EffectPictures, ScaleTurnAndBackgroundSetTheSize) {
  const TMadeSymbol& symbol = Symbol();
  const int side = (25 + 8) * 6;
  EXPECT_EQ(PhotographSymbol(symbol.modules, 6, 4, ParseEffects("scale=0.5"), 1).Width(), side / 2);
  // A quarter turn keeps the square; 45 degrees widens it by the square root of 2.
  EXPECT_EQ(PhotographSymbol(symbol.modules, 6, 4, ParseEffects("rotation=90"), 1).Width(), side);
  EXPECT_NEAR(PhotographSymbol(symbol.modules, 6, 4, ParseEffects("rotation=45"), 1).Width(), side * 1.41421356, 1.0);
  // A surface shows two modules of margin on each side.
  EXPECT_EQ(PhotographSymbol(symbol.modules, 6, 4, ParseEffects("background=dark"), 1).Width(), side + 4 * 6);
}

TEST(EffectPictures, MildPhotographsDecodeBack) {
  const std::vector<std::string> lists = {"rotation=10", "rotation=-30,noise=10", "blur=2,light=50", "scale=0.6,jpeg=50",
                                          "noise=20,background=grey", "rotation=5,background=dark"};
  for (const std::string& list : lists) {
    TSampleRequest request;
    request.symbol = {"Morilux 写真", TSampleMode::Automatic, 3, 2, 3};
    request.effects = ParseEffects(list);
    const TSample sample = MakeSample(request);
    TSurfaces surfaces;
    TVeltrix veltrix(surfaces);
    ASSERT_TRUE(veltrix.Decode(sample.picture)) << list << ": " << veltrix.FailureReason();
    EXPECT_EQ(ShiftJisToUtf8(veltrix.DecodedText()), "Morilux 写真") << list;
    EXPECT_EQ(veltrix.Driver().MaskPattern(), 3) << list;
  }
}

TEST(EffectPictures, TheJpegEffectKeepsItsFileAndThePictureIsItsDecoding) {
  TSampleRequest request;
  request.symbol = {"JPEG", TSampleMode::Automatic, 1, 1, 0};
  request.effects = ParseEffects("jpeg=20");
  const TSample sample = MakeSample(request);
  ASSERT_FALSE(sample.jpeg.empty());
  EXPECT_EQ(DecodeJpeg(sample.jpeg), sample.picture);
  request.effects = ParseEffects("noise=3");
  EXPECT_TRUE(MakeSample(request).jpeg.empty());
}

TEST(SampleRecord, CaptionSaysWhatWasMadeAndHow) {
  TSampleRequest request;
  request.symbol = {"12345", TSampleMode::Numeric, kSmallestVersion, 2, kAutomaticMask};
  request.moduleSize = 5;
  request.effects = ParseEffects("rotation=10");
  request.seed = 42;
  const TSample sample = MakeSample(request);
  EXPECT_EQ(SampleCaption(sample), "作成: 型番 1-Q (最小), マスク " + std::to_string(sample.symbol.mask) +
                                       " (自動), 数字モード, 5 画素/モジュール, 効果 rotation=10 (シード 42)");
  request.moduleSize = 0;
  EXPECT_THROW(MakeSample(request), TSampleError);
  request.moduleSize = 5;
  request.quietZone = 41;
  EXPECT_THROW(MakeSample(request), TSampleError);
}

}  // namespace
