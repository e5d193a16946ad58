#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Messages.h"
#include "common/Surfaces.h"
#include "decoder/Decorder.h"
#include "decoder/Veltrix.h"
#include "image/FrontImage.h"
#include "TestSymbols.h"

namespace {

const std::string kNoSymbol = "位置検出パターンがみつかりません。";

// A facade with both events recorded in order.
struct Recorded {
  TSurfaces surfaces;
  TVeltrix veltrix{surfaces};
  std::vector<std::string> events;

  Recorded() {
    veltrix.OnDecoded = [this](TVeltrix& sender) {
      EXPECT_EQ(&sender, &veltrix);
      events.push_back("decoded");
    };
    veltrix.OnError = [this](TVeltrix& sender) {
      EXPECT_EQ(&sender, &veltrix);
      events.push_back("error:" + sender.GetErrorText());
    };
  }
  const TBitmap& Front() const { return surfaces.Image(TImagePaneId::FrontImage).CurrentPicture(); }
};

// A grey ramp with a dark square, so that the binarization has both colours.
TBitmap Ramp(std::int32_t width, std::int32_t height) {
  TBitmap bitmap(width, height);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint32_t v = static_cast<std::uint32_t>((x * 7 + y * 3) % 256);
      bitmap.SetPixel(x, y, v | ((255 - v) << 8) | ((v / 2) << 16));
    }
  return bitmap;
}

}  // namespace

TEST(VeltrixParameters, WarpIsClampedAndReachesTheDriverAtOnce) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  EXPECT_EQ(veltrix.Driver().Warp(), 1);  // the driver's own start value until written
  const std::vector<std::pair<std::int32_t, std::int32_t>> cases = {
      {0, 1}, {-5, 1}, {7, 6}, {100, 6}, {1, 1}, {3, 3}, {6, 6}, {INT32_MIN, 1}, {INT32_MAX, 6}};
  for (const auto& [written, expected] : cases) {
    veltrix.SetWarp(written);
    EXPECT_EQ(veltrix.Driver().Warp(), expected) << written;
  }
}

TEST(VeltrixParameters, ResolverIsClampedAndBecomesTheOffset) {
  Recorded r;
  EXPECT_EQ(r.veltrix.Resolver(), 7);
  r.veltrix.SetResolver(-129);
  EXPECT_EQ(r.veltrix.Resolver(), -128);
  r.veltrix.SetResolver(1000);
  EXPECT_EQ(r.veltrix.Resolver(), 128);
  r.veltrix.SetResolver(-128);
  EXPECT_EQ(r.veltrix.Resolver(), -128);

  // The clamped value is what the binarizer uses: with -128 a uniform grey
  // picture (threshold 2 x 128 / 1 = 256) is dark, with 128 light.
  TBitmap grey(2, 1);
  grey.SetPixel(0, 0, 0x808080);
  grey.SetPixel(1, 0, 0x808080);
  r.veltrix.SetResolver(-100000);
  r.veltrix.Decode(grey);
  EXPECT_EQ(r.Front().Pixel(0, 0), kBlack);
  r.veltrix.SetResolver(100000);
  r.veltrix.Decode(grey);
  EXPECT_EQ(r.Front().Pixel(0, 0), kWhite);  // 128 + 128 = 256: a tie is light
}

TEST(VeltrixParameters, ForceVersionIsStoredUncheckedAndHandedOverAtDecode) {
  Recorded r;
  EXPECT_EQ(r.veltrix.ForceVersion(), 0);
  r.veltrix.SetForceVersion(57);
  EXPECT_EQ(r.veltrix.ForceVersion(), 57);
  EXPECT_EQ(r.veltrix.Driver().ForceVersion(), 0);  // not before the decode
  r.veltrix.Decode(Ramp(8, 8));
  EXPECT_EQ(r.veltrix.Driver().ForceVersion(), 57);
  r.veltrix.SetForceVersion(-3);
  r.veltrix.Decode(Ramp(8, 8));
  EXPECT_EQ(r.veltrix.Driver().ForceVersion(), -3);
}

TEST(VeltrixDecode, PixelsAreBinarizedOntoFrontImage) {
  Recorded r;
  r.veltrix.SetResolver(-20);
  const TBitmap picture = Ramp(37, 21);
  r.veltrix.Decode(picture);

  // The binarization computed here independently: middle row 10, W - 1 = 36.
  std::int64_t sum = 0;
  auto grey = [](TColor c) {
    return static_cast<std::int64_t>((30 * (c & 0xFF) + 59 * ((c >> 8) & 0xFF) + 11 * ((c >> 16) & 0xFF)) / 100);
  };
  for (std::int32_t x = 0; x < 37; ++x) sum += grey(picture.Pixel(x, 10));
  const std::int64_t threshold = sum / 36;
  ASSERT_EQ(r.Front().Width(), 37);
  ASSERT_EQ(r.Front().Height(), 21);
  const TPlaneBoolean& plane = r.veltrix.BinaryPlane();
  int dark = 0;
  for (std::int32_t y = 0; y < 21; ++y)
    for (std::int32_t x = 0; x < 37; ++x) {
      const bool expected = grey(picture.Pixel(x, y)) - 20 < threshold;
      dark += expected;
      ASSERT_EQ(plane[x][y], expected ? 1 : 0) << x << "," << y;
      ASSERT_EQ(r.Front().Pixel(x, y), expected ? kBlack : kWhite) << x << "," << y;
    }
  EXPECT_GT(dark, 0);
  EXPECT_LT(dark, 37 * 21);
}

TEST(VeltrixDecode, SymbolIsDecodedAndReportedOnce) {
  Recorded r;
  std::string textAtEvent;
  r.veltrix.OnDecoded = [&](TVeltrix& sender) {
    r.events.push_back("decoded");
    textAtEvent = sender.DecodedText();  // the text is kept before the event fires
  };
  const std::string text = "Morilux facade 0123";
  const TBitmap picture = testing_support::RenderSymbol(testing_support::EncodeBytes(text, 2, 1), 4);
  EXPECT_TRUE(r.veltrix.Decode(picture));
  EXPECT_EQ(r.events, std::vector<std::string>{"decoded"});
  EXPECT_EQ(r.veltrix.DecodedText(), text);
  EXPECT_EQ(textAtEvent, text);
  EXPECT_EQ(r.veltrix.GetErrorText(), "");
  EXPECT_EQ(r.veltrix.FailureText(), "");
  EXPECT_EQ(r.veltrix.GetVersionText(), "Veltrix Ver 3.0");

  // A later failure leaves no trace of the earlier text.
  EXPECT_FALSE(r.veltrix.Decode(Ramp(40, 40)));
  EXPECT_EQ(r.events, (std::vector<std::string>{"decoded", "error:" + kNoSymbol}));
  EXPECT_TRUE(r.veltrix.DecodedText().empty());
}

TEST(VeltrixDecode, PictureWithoutSymbolFailsWithMessageOne) {
  Recorded r;
  EXPECT_FALSE(r.veltrix.Decode(Ramp(64, 48)));
  EXPECT_EQ(r.events, std::vector<std::string>{"error:" + kNoSymbol});
  EXPECT_TRUE(r.veltrix.DecodedText().empty());
  EXPECT_EQ(r.veltrix.FailureText(), "");
}

TEST(VeltrixDecode, RaisedFailureIsCaughtAndReportedOnce) {
  // Every module of the format information beside the top-left finder painted
  // dark: the format stage cannot correct it and raises.
  const int scale = 4, quiet = 4;
  TBitmap picture = testing_support::RenderSymbol(testing_support::EncodeBytes("format", 1, 1), scale, quiet);
  const std::vector<std::pair<int, int>> format = {{8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4}, {8, 5}, {8, 7}, {8, 8},
                                                   {7, 8}, {5, 8}, {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8}};
  for (const auto& [mx, my] : format)
    for (int dy = 0; dy < scale; ++dy)
      for (int dx = 0; dx < scale; ++dx) picture.SetPixel((mx + quiet) * scale + dx, (my + quiet) * scale + dy, kBlack);
  Recorded r;
  EXPECT_FALSE(r.veltrix.Decode(picture));
  EXPECT_EQ(r.events, std::vector<std::string>{"error:" + ErrorMessage(5)});
  EXPECT_TRUE(r.veltrix.DecodedText().empty());
  EXPECT_FALSE(r.veltrix.FailureText().empty());
}

TEST(VeltrixDecode, WithoutEventsTheResultIsStillReturned) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  EXPECT_FALSE(veltrix.Decode(Ramp(4, 4)));
  EXPECT_FALSE(veltrix.Decode(TBitmap(1, 9)));
  EXPECT_EQ(veltrix.GetErrorText(), kNoSymbol);
}

TEST(VeltrixTooSmall, PicturesWithoutThresholdFailWithMessageOne) {
  ASSERT_EQ(ErrorMessage(1), kNoSymbol);
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{{1, 50}, {1, 1}, {0, 7}, {50, 0}}) {
    Recorded r;
    TBitmap marker(3, 3);
    marker.SetPixel(1, 1, kRed);
    r.surfaces.Image(TImagePaneId::FrontImage).ReplacePicture(marker);

    EXPECT_FALSE(r.veltrix.Decode(TBitmap(width, height))) << width << "x" << height;
    EXPECT_EQ(r.events, std::vector<std::string>{"error:" + kNoSymbol});
    EXPECT_EQ(r.veltrix.GetErrorText(), kNoSymbol);
    EXPECT_TRUE(r.veltrix.DecodedText().empty());
    EXPECT_TRUE(r.veltrix.BinaryPlane().Empty());
    // Nothing was binarized: the pane keeps its earlier picture.
    EXPECT_EQ(r.Front(), marker);
  }
}

TEST(VeltrixTooSmall, TheNextDecodeNoLongerReportsMessageOne) {
  Recorded r;
  EXPECT_FALSE(r.veltrix.Decode(TBitmap(1, 50)));
  EXPECT_EQ(r.veltrix.GetErrorText(), kNoSymbol);
  r.veltrix.Decode(Ramp(8, 8));
  EXPECT_EQ(r.veltrix.GetErrorText(), r.veltrix.Driver().ErrorText());
  EXPECT_EQ(r.Front().Width(), 8);
}

TEST(VeltrixTooSmall, EmptyPictureIsBinarizedAndHandedOn) {
  Recorded r;
  r.surfaces.Image(TImagePaneId::FrontImage).ReplacePicture(TBitmap(3, 3));
  EXPECT_FALSE(r.veltrix.Decode(TBitmap()));
  EXPECT_EQ(r.events.size(), 1u);
  EXPECT_EQ(r.Front().Width(), 0);  // the pane now shows the empty picture
}
