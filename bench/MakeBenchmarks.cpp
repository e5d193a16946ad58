// Google Benchmark program for the sample maker: a version-40 symbol made at
// 8 pixels per module with every effect (target: at most 0.3 s), and its
// parts: the symbol alone (libqrencode, the eight masks' penalties, the
// re-masking), the clean picture, the photograph with every effect.
//
//   morilux-bench-make [benchmark options]

#include <benchmark/benchmark.h>

#include <string>

#include "sample/Sample.h"

namespace {

TSampleRequest Version40(const TPhotoEffects& effects) {
  TSampleRequest request;
  // Enough text that version 40 at level M holds it with room to spare.
  request.symbol = {std::string(1500, 'A'), TSampleMode::Automatic, 40, 1, kAutomaticMask};
  request.moduleSize = 8;
  request.effects = effects;
  request.seed = 7;
  return request;
}

void MakeVersion40EveryEffect(benchmark::State& state) {
  const TSampleRequest request = Version40(TPhotoEffects::All());
  for (auto _ : state) benchmark::DoNotOptimize(MakeSample(request));
}
BENCHMARK(MakeVersion40EveryEffect)->Unit(benchmark::kMillisecond)->UseRealTime();

void MakeVersion40Symbol(benchmark::State& state) {
  const TSymbolRequest request = Version40({}).symbol;
  for (auto _ : state) benchmark::DoNotOptimize(MakeSymbol(request));
}
BENCHMARK(MakeVersion40Symbol)->Unit(benchmark::kMillisecond)->UseRealTime();

void PhotographVersion40(benchmark::State& state, const TPhotoEffects& effects) {
  const TMadeSymbol symbol = MakeSymbol(Version40({}).symbol);
  for (auto _ : state) benchmark::DoNotOptimize(PhotographSymbol(symbol.modules, 8, 4, effects, 7));
}
BENCHMARK_CAPTURE(PhotographVersion40, Clean, TPhotoEffects::None())->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PhotographVersion40, EveryEffect, TPhotoEffects::All())->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
