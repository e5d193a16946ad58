// The JPEG loader on hostile files, each beside a valid file of the same
// declared size: the small fuzz inputs that declare huge pictures (kept in
// fuzz/regressions/fuzz_loader_jpeg; most are refused, some load as the
// garbage pictures they are) must end within 0.5 s, and every other refusal
// (more scans than allowed, too little image data for the size) must take no
// longer than loading the valid file.
//
//   morilux-bench-loader-limits [benchmark options]
//
// Each case reports the time of one load; "valid" cases load a baseline file
// of the same width, height and colour components made with libjpeg.

#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "TestSymbols.h"
#include "picture/PictureLoader.h"

namespace fs = std::filesystem;
namespace ts = testing_support;

namespace {

fs::path g_scratch;

// Width, height and components declared by a JPEG file's frame header.
struct TFrame {
  int width = 0, height = 0, components = 0;
};

TFrame ReadFrame(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  TFrame frame;
  if (file == nullptr) return frame;
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  frame = {static_cast<int>(info.image_width), static_cast<int>(info.image_height), info.num_components};
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return frame;
}

// A valid picture of that size: grey levels varying slowly, so that every
// block carries data, and a symbol in a corner.
std::string ValidFile(const TFrame& frame, const ts::TJpegCoding& coding, const std::string& name) {
  const std::string path = (g_scratch / name).string();
  if (fs::exists(path)) return path;
  TBitmap picture = TBitmap::WithoutFill(frame.width, frame.height);
  for (int y = 0; y < frame.height; ++y) {
    TColor* row = picture.MutableRow(y);
    for (int x = 0; x < frame.width; ++x) {
      const TColor level = static_cast<TColor>(128 + ((x / 9 + y / 7) % 64));
      row[x] = level | (level << 8) | (level << 16);
    }
  }
  const TBitmap symbol = ts::RenderSymbol(ts::EncodeBytes("LIMITS", 1, 1), 4, 2);
  for (int y = 0; y < std::min(symbol.Height(), frame.height); ++y)
    for (int x = 0; x < std::min(symbol.Width(), frame.width); ++x) picture.SetPixel(x, y, symbol.Pixel(x, y));
  ts::TJpegCoding withComponents = coding;
  withComponents.grey = frame.components == 1;
  ts::WriteJpeg(picture, path, 75, withComponents);
  return path;
}

enum class TExpected { Refusal, Load, HalfSecond };

// Times the load; the label says whether the file was refused, and flags an
// outcome other than the expected one (the loader of an older build loads
// every file, which is what makes it worth timing too) or, for the fuzz
// inputs, a load or refusal over half a second.
void Load(benchmark::State& state, const std::string& path, TExpected expected) {
  bool refused = false;
  bool slow = false;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    try {
      const std::optional<TBitmap> picture = LoadPicture(path);
      benchmark::DoNotOptimize(picture->Width());
      refused = false;
    } catch (const TPictureError&) {
      refused = true;
    }
    slow = slow || std::chrono::steady_clock::now() - start > std::chrono::milliseconds(500);
  }
  const bool unexpected = expected == TExpected::HalfSecond ? slow : refused != (expected == TExpected::Refusal);
  state.SetLabel(std::string(refused ? "refused" : "loaded") + (unexpected ? " (UNEXPECTED)" : ""));
}

void Register(const std::string& name, const std::string& path, TExpected expected) {
  benchmark::RegisterBenchmark(name.c_str(), [path, expected](benchmark::State& state) {
    Load(state, path, expected);
  })->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  g_scratch = fs::temp_directory_path() / ("morilux-bench-limits-" + std::to_string(::getpid()));
  fs::create_directories(g_scratch);

  // The fuzz inputs, each beside a valid baseline file of its size.
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(fs::path(MORILUX_SOURCE_DIR) / "fuzz" / "regressions" / "fuzz_loader_jpeg"))
    inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& input : inputs) {
    const TFrame frame = ReadFrame(input.string());
    const std::string stem = input.stem().string();
    Register("fuzz/" + stem, input.string(), TExpected::HalfSecond);
    Register("valid/" + stem, ValidFile(frame, {}, stem + "-valid.jpg"), TExpected::Load);
  }

  // More scans than allowed, beside libjpeg's own progression of the same size.
  const TFrame square{4000, 4000, 1};
  Register("scans/33-of-4000x4000", ValidFile(square, {true, false, true, 33}, "scans33.jpg"), TExpected::Refusal);
  Register("valid/progressive-4000x4000", ValidFile(square, {true, false, true, 0}, "progressive.jpg"), TExpected::Load);
  Register("valid/baseline-4000x4000", ValidFile(square, {}, "baseline.jpg"), TExpected::Load);

  // A plain arithmetic-coded page of 10000 x 8000: a few bytes of image data.
  const std::string plain = (g_scratch / "plain.jpg").string();
  ts::WriteJpeg(TBitmap(10000, 8000), plain, 75, {false, true, false, 0});
  Register("data/plain-arithmetic-10000x8000", plain, TExpected::Refusal);
  Register("valid/baseline-10000x8000", ValidFile({10000, 8000, 3}, {}, "baseline-large.jpg"), TExpected::Load);

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(g_scratch);
  return 0;
}
