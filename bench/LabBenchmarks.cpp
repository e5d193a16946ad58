// Google Benchmark program for the error-correction lab: one decode from a
// changed version-40 matrix (target: at most 20 ms, so that painting modules
// in the lab's window is followed at once), from the unchanged matrix, with
// four codewords of a block spoilt, and the full-capacity comparison alone.
//
//   morilux-bench-lab [benchmark options]

#include <benchmark/benchmark.h>

#include <string>

#include "data/CapacityDecoder.h"
#include "decoder/Lab.h"
#include "sample/SymbolMaker.h"

namespace {

// The made symbol's modules are what the sampling stage reads from its clean picture.
TPlaneBoolean Version40Matrix() {
  return MakeSymbol({std::string(1500, 'A'), TSampleMode::Automatic, 40, 1, kAutomaticMask}).modules;
}

void LabDecodeVersion40(benchmark::State& state) {
  TLab lab(Version40Matrix());
  lab.Matrix().Flip(TPoint{100, 100});
  for (auto _ : state) benchmark::DoNotOptimize(lab.Decode().result.decoded);
}
BENCHMARK(LabDecodeVersion40)->Unit(benchmark::kMillisecond)->UseRealTime();

void LabDecodeVersion40FourSpoilt(benchmark::State& state) {
  TLab lab(Version40Matrix());
  lab.Matrix().SpoilRandom(lab.OriginalLayout(), 0, 4, 1);
  for (auto _ : state) benchmark::DoNotOptimize(lab.Decode().result.decoded);
}
BENCHMARK(LabDecodeVersion40FourSpoilt)->Unit(benchmark::kMillisecond)->UseRealTime();

void CapacityDecodeBlock(benchmark::State& state) {
  TLab lab(Version40Matrix());
  lab.Matrix().SpoilRandom(lab.OriginalLayout(), 0, 14, 1);
  const TLabBlock block = lab.Decode().blocks.at(0);
  for (auto _ : state) benchmark::DoNotOptimize(DecodeToCapacity(block.received, block.ecCodewords));
}
BENCHMARK(CapacityDecodeBlock)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
