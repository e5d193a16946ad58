#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ConformancePictures.h"
#include "StageFailures.h"
#include "SymbolCodewords.h"
#include "TestSymbols.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/Surfaces.h"
#include "decoder/Decorder.h"
#include "decoder/Veltrix.h"

namespace {

using namespace testing_support;

const std::string kNoSymbol = "位置検出パターンがみつかりません。";

// A facade with both events recorded in order, each with what the sender holds when it fires.
struct Recorded {
  TSurfaces surfaces;
  TVeltrix veltrix{surfaces};
  std::vector<std::string> events;

  Recorded() {
    veltrix.OnDecoded = [this](TVeltrix& sender) {
      EXPECT_EQ(&sender, &veltrix);
      events.push_back("decoded:" + sender.DecodedText());
    };
    veltrix.OnError = [this](TVeltrix& sender) {
      EXPECT_EQ(&sender, &veltrix);
      events.push_back("error:" + sender.GetErrorText());
    };
  }
  const TBitmap& Front() const { return surfaces.Image(TImagePaneId::FrontImage).CurrentPicture(); }
};

TBitmap SymbolPicture(const std::string& text) { return RenderSymbol(EncodeBytes(text, 2, 1), 4); }

TEST(VeltrixParameters, ClampedOrStoredAndPassedOn) {
  Recorded r;
  // Warp: clamped to 1..6 and at once in the driver, whose own start value is 1.
  EXPECT_EQ(r.veltrix.Driver().Warp(), 1);
  for (const auto& [written, expected] : std::vector<std::pair<std::int32_t, std::int32_t>>{
           {0, 1}, {-5, 1}, {7, 6}, {100, 6}, {1, 1}, {3, 3}, {6, 6}, {INT32_MIN, 1}, {INT32_MAX, 6}}) {
    r.veltrix.SetWarp(written);
    EXPECT_EQ(r.veltrix.Driver().Warp(), expected) << written;
  }

  // Resolver: 7 until written, clamped to -128..128, and the clamped value is the
  // binarizer's offset: a uniform grey picture (threshold 2 x 128 / 1 = 256) is
  // dark with -128 and light with 128 (a tie is light).
  EXPECT_EQ(r.veltrix.Resolver(), 7);
  for (const auto& [written, expected] : std::vector<std::pair<std::int32_t, std::int32_t>>{
           {-129, -128}, {1000, 128}, {-128, -128}}) {
    r.veltrix.SetResolver(written);
    EXPECT_EQ(r.veltrix.Resolver(), expected) << written;
  }
  TBitmap grey(2, 1);
  grey.SetPixel(0, 0, 0x808080);
  grey.SetPixel(1, 0, 0x808080);
  r.veltrix.SetResolver(-100000);
  r.veltrix.Decode(grey);
  EXPECT_EQ(r.Front().Pixel(0, 0), kBlack);
  r.veltrix.SetResolver(100000);
  r.veltrix.Decode(grey);
  EXPECT_EQ(r.Front().Pixel(0, 0), kWhite);

  // ForceVersion: stored unchecked, handed to the driver at the next decode only.
  EXPECT_EQ(r.veltrix.ForceVersion(), 0);
  r.veltrix.SetForceVersion(57);
  EXPECT_EQ(r.veltrix.Driver().ForceVersion(), 0);
  r.veltrix.Decode(TBitmap(8, 8));
  EXPECT_EQ(r.veltrix.Driver().ForceVersion(), 57);
}

TEST(VeltrixDecode, OneEventPerDecodeAndNoTextAfterAFailure) {
  Recorded r;
  const std::string text = "Morilux facade 0123";
  EXPECT_TRUE(r.veltrix.Decode(SymbolPicture(text)));
  EXPECT_EQ(r.veltrix.DecodedText(), text);
  EXPECT_EQ(r.veltrix.GetErrorText(), "");
  EXPECT_EQ(r.veltrix.FailureText(), "");
  EXPECT_EQ(r.veltrix.GetVersionText(), "Veltrix Ver 3.0");

  // The format information unreadable (all fifteen modules of the top-left copy
  // light): raised inside the driver, caught here, and nothing left of the earlier text.
  TTestSymbol unformatted = EncodeBytes("format", 1, 1);
  for (const auto& [x, y] : kFormatModules)
    if (unformatted.Dark(x, y)) FlipModule(unformatted, x, y);
  EXPECT_FALSE(r.veltrix.Decode(RenderSymbol(unformatted, 4)));
  EXPECT_TRUE(r.veltrix.DecodedText().empty());
  EXPECT_FALSE(r.veltrix.FailureText().empty());

  // No symbol in a picture wider than high: binarized with width and height kept apart.
  EXPECT_FALSE(r.veltrix.Decode(TBitmap(64, 48)));
  EXPECT_EQ(r.veltrix.FailureText(), "");
  EXPECT_EQ(r.veltrix.BinaryPlane().Width(), 64);
  EXPECT_EQ(r.Front().Width(), 64);
  EXPECT_EQ(r.Front().Height(), 48);
  EXPECT_EQ(r.events, (std::vector<std::string>{"decoded:" + text, "error:" + ErrorMessage(5), "error:" + kNoSymbol}));

  // Without events the result is still returned.
  r.veltrix.OnDecoded = nullptr;
  r.veltrix.OnError = nullptr;
  EXPECT_FALSE(r.veltrix.Decode(TBitmap(4, 4)));
  EXPECT_TRUE(r.veltrix.Decode(SymbolPicture(text)));
}

TEST(VeltrixTooSmall, PicturesWithoutThresholdFailWithMessageOneWithoutBinarizing) {
  Recorded r;
  TBitmap marker(3, 3);
  marker.SetPixel(1, 1, kRed);
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{{1, 50}, {1, 1}, {0, 7}, {50, 0}}) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    r.surfaces.Image(TImagePaneId::FrontImage).ReplacePicture(marker);
    r.events.clear();
    EXPECT_FALSE(r.veltrix.Decode(TBitmap(width, height)));
    EXPECT_EQ(r.events, std::vector<std::string>{"error:" + kNoSymbol});
    EXPECT_TRUE(r.veltrix.DecodedText().empty());
    EXPECT_TRUE(r.veltrix.BinaryPlane().Empty());
    EXPECT_EQ(r.Front(), marker);  // nothing binarized: the pane keeps its picture
  }
  // The next decode no longer reports message 1.
  EXPECT_TRUE(r.veltrix.Decode(SymbolPicture("after")));
  EXPECT_EQ(r.veltrix.GetErrorText(), "");

  // The empty picture is binarized and handed on: the pane shows it, one event.
  r.events.clear();
  EXPECT_FALSE(r.veltrix.Decode(TBitmap()));
  EXPECT_EQ(r.events, std::vector<std::string>{"error:" + kNoSymbol});
  EXPECT_EQ(r.Front().Width(), 0);
}

// Binarization is not guarded: a plane that cannot be had leaves Decode with
// the reason, which the record keeps, and no event; the next decode goes on.
TEST(VeltrixNoMemory, APlaneThatCannotBeHadRaisesTheRecordedReason) {
  Recorded r;
  const TBitmap picture = SymbolPicture("memory");
  ASSERT_TRUE(r.veltrix.Decode(picture));
  r.events.clear();
  {
    const TPlaneWithoutMemory refused(picture.Width(), picture.Height());
    EXPECT_THROW(r.veltrix.Decode(picture), TDecodeError);
  }
  const std::string reason = "not enough memory to binarize a " + std::to_string(picture.Width()) + " x " +
                             std::to_string(picture.Height()) + " picture";
  EXPECT_EQ(r.veltrix.Diagnosis().failure, reason);
  EXPECT_EQ(r.veltrix.StoppedAt(), TStage::Binarization);
  EXPECT_TRUE(r.veltrix.BinaryPlane().Empty());
  EXPECT_TRUE(r.events.empty());
  EXPECT_TRUE(r.veltrix.Decode(picture));
  EXPECT_EQ(r.veltrix.BinaryPlane().Width(), picture.Width());
}

}  // namespace
