#pragma once

#include <cstdint>
#include <string>

#include "Effects.h"
#include "SymbolMaker.h"
#include "common/Bitmap.h"
#include "common/Diagnosis.h"

// A sample picture made in one step, as the window's sample maker and
// `morilux-cli --make` both make it: the symbol made to order, then
// photographed with the chosen effects. Toolkit-free.

struct TSampleRequest {
  TSymbolRequest symbol;
  // Pixels per module of the printed symbol, and light modules around it.
  std::int32_t moduleSize = 8;
  std::int32_t quietZone = 4;
  TPhotoEffects effects;
  // Everything random in the effects (noise, paper grain, wood) follows from it.
  std::uint64_t seed = 1;
};

// The ranges of the two picture values.
inline constexpr std::int32_t kMinModuleSize = 1;
inline constexpr std::int32_t kMaxModuleSize = 50;
inline constexpr std::int32_t kMinQuietZone = 0;
inline constexpr std::int32_t kMaxQuietZone = 40;

struct TSample {
  TSampleRequest request;
  TMadeSymbol symbol;
  TBitmap picture;
  // With the JPEG effect, the JPEG file whose decoding is the picture (saved
  // as it is when the picture is saved as JPEG); else empty.
  std::string jpeg;
};

// Makes the sample. Throws TSampleError (the message says what to change).
TSample MakeSample(const TSampleRequest& request);

// What was made and how, in one line of the window's language (for the label
// on the loaded picture's page and the readout), e.g.
// "作成: 型番 5-Q, マスク 3 (自動), 自動モード, 8 画素/モジュール, 効果 rotation=10".
std::string SampleCaption(const TSample& sample);

// The same as named values (group "sample"), for the JSON summary and the report.
void VisitSample(const TSample& sample, TFigureVisitor& visitor);
