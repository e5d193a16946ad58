// Google Benchmark programs for the stages of a decode, on generated
// photographs of 1 and 12 megapixels (48 with --large): binarization, finder
// search, grouping of the finder stretches, location, sampling, the driver,
// binarizer and driver with and without the record of their figures, and the
// whole facade, and the loader on the 12-megapixel photo as JPEG, PNG and BMP
// when the front ends are built; plus the pictures of bench/compare.sh's
// ratios (crossed stripes, version 40 against version 10), and the trial of
// suggestions on a failing 12-megapixel photograph against one explorer column.
//
//   morilux-bench-stages [--large] [benchmark options, e.g. --benchmark_filter=Finder]

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#ifdef MORILUX_BENCH_LOADER
#include "picture/PictureLoader.h"
#endif
#include "BenchPhotos.h"
#include "ConformancePictures.h"
#include "PhotoScene.h"
#include "TestPng.h"
#include "TestSymbols.h"
#include "common/Diagnosis.h"
#include "common/Plane.h"
#include "common/Surfaces.h"
#include "decoder/Analysis.h"
#include "decoder/Decorder.h"
#include "decoder/Explorer.h"
#include "decoder/Trial.h"
#include "decoder/Veltrix.h"
#include "image/FrontImage.h"
#include "image/ImageReader.h"
#include "locate/CenterDots.h"
#include "locate/Coordinates.h"
#include "locate/FindPattern.h"

namespace ts = testing_support;

namespace {

// ---- Pictures, made once per size ----

struct TScene {
  TBitmap picture;
  // As the binarizer makes it with the default offset; the stages' panes share
  // it as they share the binarizer's plane in a whole decode.
  std::shared_ptr<const TPlaneBoolean> shared;
  const TPlaneBoolean& plane() const { return *shared; }
};

std::shared_ptr<const TPlaneBoolean> Binary(const TBitmap& picture) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  veltrix.Decode(picture);
  return std::make_shared<const TPlaneBoolean>(veltrix.BinaryPlane());
}

// A photograph of about `megapixels` million pixels, 4:3, with a version-7 symbol
// over roughly a third of the height.
const TScene& Photo(int megapixels) {
  static std::map<int, std::unique_ptr<TScene>> scenes;
  std::unique_ptr<TScene>& scene = scenes[megapixels];
  if (!scene) {
    ts::TPhotoOptions options;
    options.height = megapixels == 1 ? 864 : (megapixels == 12 ? 3000 : 6000);
    options.width = options.height * 4 / 3;
    options.seed = 20261207;
    options.moduleSize = options.height / 130.0;
    options.degrees = 7.0;
    options.centreX = 0.47;
    options.centreY = 0.52;
    scene = std::make_unique<TScene>();
    scene->picture = ts::RenderPhoto(
        ts::EncodeBytes("MORILUX BENCHMARK PHOTO 12MP - https://example.org/morilux/benchmark", 7, 1), options);
    scene->shared = Binary(scene->picture);
  }
  return *scene;
}

const TScene& Stripes() {
  static std::unique_ptr<TScene> scene;
  if (!scene) {
    scene = std::make_unique<TScene>();
    scene->picture = ts::RenderCrossedStripes(2000, 2000, 6);
    scene->shared = Binary(scene->picture);
  }
  return *scene;
}

// Version 40 at 4 pixels per module, or version 10 in a picture of the same size.
const TScene& Version(int version) {
  static std::map<int, std::unique_ptr<TScene>> scenes;
  std::unique_ptr<TScene>& scene = scenes[version];
  if (!scene) {
    std::string text;
    for (int i = 0; text.size() < (version == 40 ? 1200u : 30u); ++i) text += "VERSION " + std::to_string(i) + " ";
    const ts::TTestSymbol symbol = ts::EncodeBytes(text, version, 1);
    const int side = (177 + 16) * 4;
    const int module = version == 40 ? 4 : side / (symbol.size + 16);
    const TBitmap drawn = ts::RenderSymbol(symbol, module, 0);
    scene = std::make_unique<TScene>();
    scene->picture = TBitmap(side, side);
    const int offset = (side - drawn.Width()) / 2;
    for (int y = 0; y < drawn.Height(); ++y)
      for (int x = 0; x < drawn.Width(); ++x)
        if (drawn.Pixel(x, y) == kBlack) scene->picture.SetPixel(offset + x, offset + y, kBlack);
    scene->shared = Binary(scene->picture);
  }
  return *scene;
}

void SetPixels(benchmark::State& state, const TBitmap& picture) {
  state.counters["MP"] = picture.Width() * static_cast<double>(picture.Height()) / 1e6;
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(picture.Width()) * picture.Height());
}

// ---- Stages ----

#ifdef MORILUX_BENCH_LOADER
// The 12-megapixel photo as a file of the given format, written once: JPEG of
// quality 90, PNG of 8-bit colour at zlib's default level, 24-bit BMP.
std::string PhotoFile(TPictureFormat format) {
  static std::map<TPictureFormat, std::string> paths;
  std::string& path = paths[format];
  if (path.empty()) {
    const char* extension = format == TPictureFormat::Jpeg ? ".jpg" : format == TPictureFormat::Png ? ".png" : ".bmp";
    path = (std::filesystem::temp_directory_path() / ("morilux-bench-" + std::to_string(::getpid()) + extension)).string();
    const TBitmap& picture = Photo(12).picture;
    if (format == TPictureFormat::Jpeg) ts::WriteJpeg(picture, path, 90);
    if (format == TPictureFormat::Png) ts::WritePng(picture, path);
    if (format == TPictureFormat::Bmp) ts::WriteBmp(picture, path);
    if (paths.size() == 1)
      std::atexit([] {
        for (const auto& [kind, written] : paths) std::filesystem::remove(written);
      });
  }
  return path;
}

void BM_Load(benchmark::State& state, TPictureFormat format) {
  const std::string path = PhotoFile(format);
  for (auto _ : state) {
    const std::optional<TBitmap> picture = LoadPicture(path);
    benchmark::DoNotOptimize(picture->Width());
  }
  SetPixels(state, Photo(12).picture);
}
#endif

void BM_Binarize(benchmark::State& state) {
  const TScene& scene = Photo(static_cast<int>(state.range(0)));
  TSurfaces surfaces;
  TFrontImage front(surfaces);
  for (auto _ : state) {
    const TPlaneBoolean& plane = front.Binarize(scene.picture);
    benchmark::DoNotOptimize(plane.Data());
  }
  SetPixels(state, scene.picture);
}

// The same on the picture packed three bytes a pixel, as the JPEG loader gives it.
void BM_BinarizePacked(benchmark::State& state) {
  const TScene& scene = Photo(static_cast<int>(state.range(0)));
  TBitmap packed = TBitmap::PackedWithoutFill(scene.picture.Width(), scene.picture.Height());
  for (std::int32_t y = 0; y < packed.Height(); ++y) {
    std::uint8_t* rgb = packed.MutablePackedRow(y);
    const TColor* row = scene.picture.Row(y);
    for (std::int32_t x = 0; x < packed.Width(); ++x)
      for (int c = 0; c < 3; ++c) rgb[3 * x + c] = static_cast<std::uint8_t>(row[x] >> (8 * c));
  }
  TSurfaces surfaces;
  TFrontImage front(surfaces);
  for (auto _ : state) {
    const TPlaneBoolean& plane = front.Binarize(packed);
    benchmark::DoNotOptimize(plane.Data());
  }
  SetPixels(state, scene.picture);
}

void BM_FinderSearch(benchmark::State& state) {
  const TScene& scene = Photo(static_cast<int>(state.range(0)));
  TSurfaces surfaces;
  surfaces.ShareBinaryPlane(scene.shared);
  TFindPattern finder(surfaces);
  for (auto _ : state) benchmark::DoNotOptimize(finder.Search(scene.plane(), scene.plane().Width(), scene.plane().Height()));
  state.counters["stretches"] = finder.HorizontalLines().Count() + finder.VerticalLines().Count();
  SetPixels(state, scene.picture);
}

void Grouping(benchmark::State& state, const TScene& scene) {
  TSurfaces surfaces;
  TFindPattern finder(surfaces);
  finder.Search(scene.plane(), scene.plane().Width(), scene.plane().Height());
  TCenterDots dots;
  for (auto _ : state) {
    state.PauseTiming();
    TLines horizontal = finder.HorizontalLines();
    TLines vertical = finder.VerticalLines();
    for (std::int32_t i = 0; i < horizontal.Count(); ++i) {
      TLine line = horizontal.GetLine(i);
      line.Active = true;
      horizontal.SetLine(i, line);
    }
    for (std::int32_t i = 0; i < vertical.Count(); ++i) {
      TLine line = vertical.GetLine(i);
      line.Active = true;
      vertical.SetLine(i, line);
    }
    state.ResumeTiming();
    dots.Compute(horizontal, vertical);
    benchmark::DoNotOptimize(dots.Count());
  }
  state.counters["stretches"] = finder.HorizontalLines().Count() + finder.VerticalLines().Count();
}

void BM_Grouping(benchmark::State& state) { Grouping(state, Photo(static_cast<int>(state.range(0)))); }
void BM_GroupingStripes(benchmark::State& state) { Grouping(state, Stripes()); }

void BM_Location(benchmark::State& state) {
  const TScene& scene = Photo(static_cast<int>(state.range(0)));
  TSurfaces surfaces;
  surfaces.ShareBinaryPlane(scene.shared);
  TCoordinates coordinates(surfaces);
  coordinates.SetWarp(6);
  for (auto _ : state)
    benchmark::DoNotOptimize(coordinates.Locate(scene.plane(), scene.plane().Width(), scene.plane().Height()));
  SetPixels(state, scene.picture);
}

void BM_Sampling(benchmark::State& state) {
  const TScene& scene = Photo(static_cast<int>(state.range(0)));
  TSurfaces surfaces;
  surfaces.ShareBinaryPlane(scene.shared);
  TImageReader reader(surfaces);
  reader.SetWarp(6);
  for (auto _ : state) benchmark::DoNotOptimize(reader.Read(scene.plane(), scene.plane().Width(), scene.plane().Height()));
  SetPixels(state, scene.picture);
}

void BM_Driver(benchmark::State& state) {
  const TScene& scene = Photo(static_cast<int>(state.range(0)));
  TSurfaces surfaces;
  surfaces.ShareBinaryPlane(scene.shared);
  TDecorder driver(surfaces);
  driver.SetWarp(6);
  for (auto _ : state) {
    surfaces.Text(TTextPaneId::BLMemo).Clear();
    benchmark::DoNotOptimize(driver.Decode(scene.plane(), scene.plane().Width(), scene.plane().Height()));
  }
  SetPixels(state, scene.picture);
}

// Binarizer and driver as the facade runs them, once reporting to a recorder
// of every stage's figures and once to nobody: the cost of keeping the record.
void Stages(benchmark::State& state, TDecodeObserver& observer) {
  const TScene& scene = Photo(static_cast<int>(state.range(0)));
  TSurfaces surfaces;
  TFrontImage front(surfaces, observer);
  TDecorder driver(surfaces, observer);
  driver.SetWarp(6);
  for (auto _ : state) {
    surfaces.Text(TTextPaneId::BLMemo).Clear();
    const TPlaneBoolean& plane = front.Binarize(scene.picture);
    benchmark::DoNotOptimize(driver.Decode(plane, plane.Width(), plane.Height()));
  }
  SetPixels(state, scene.picture);
}

void BM_StagesRecorded(benchmark::State& state) {
  TDiagnosisRecorder recorder;
  Stages(state, recorder);
}
void BM_StagesUnrecorded(benchmark::State& state) { Stages(state, TDecodeObserver::Nobody()); }

// The whole analysis as a front end runs it, panes included.
void Facade(benchmark::State& state, const TScene& scene, std::int32_t forceVersion) {
  TSurfaces surfaces;
  surfaces.Image(TImagePaneId::Image1).ReplacePicture(scene.picture);
  surfaces.Image(TImagePaneId::Image2).ReplacePicture(scene.picture);
  TVeltrix veltrix(surfaces);
  veltrix.SetWarp(6);
  veltrix.SetForceVersion(forceVersion);
  for (auto _ : state) {
    surfaces.Text(TTextPaneId::BLMemo).Clear();
    surfaces.Text(TTextPaneId::ImgMemo).Clear();
    surfaces.Text(TTextPaneId::RdSnMemo).Clear();
    benchmark::DoNotOptimize(veltrix.Decode(scene.picture));
  }
  SetPixels(state, scene.picture);
}

void BM_Facade(benchmark::State& state) { Facade(state, Photo(static_cast<int>(state.range(0))), 0); }
void BM_FacadeStripes(benchmark::State& state) { Facade(state, Stripes(), 0); }
void BM_FacadeVersion40(benchmark::State& state) { Facade(state, Version(40), 40); }
void BM_FacadeVersion10(benchmark::State& state) { Facade(state, Version(10), 0); }

// The 12-megapixel photograph with its bottom-left finder pattern painted
// over, which no value reads: the trial of suggestions after its analysis
// against one column of the explorer's grid (every Resolver of the default
// grid at Warp 6), its budget being 1.3 times the column.
const TBitmap& FailingPhoto() {
  static const TBitmap picture =
      ts::RenderPhoto(bench_photos::FinderPaintedOver(bench_photos::PhotoSymbol()), bench_photos::PhotoOptions());
  return picture;
}

unsigned Cores() { return std::max(1u, std::thread::hardware_concurrency()); }

void BM_TrialFailing12(benchmark::State& state) {
  TSurfaces surfaces;
  TVeltrix veltrix(surfaces);
  const TAnalysisResult analysis = Analyse(veltrix, surfaces, FailingPhoto(), {});
  for (auto _ : state) benchmark::DoNotOptimize(TTrialRunner(FailingPhoto(), analysis, 1).Run(nullptr, Cores()));
}

void BM_ExploreColumnFailing12(benchmark::State& state) {
  const TExploreGrid grid = TExploreGrid::Make(TExploreGrid::DefaultResolvers(), {6, 6, 1}, 0);
  for (auto _ : state) benchmark::DoNotOptimize(TExplorer(FailingPhoto(), grid).Run({}, nullptr, Cores()));
}

void Sizes(benchmark::internal::Benchmark* b, bool large) {
  b->Arg(1)->Arg(12);
  if (large) b->Arg(48);
  b->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  // --large adds the 48-megapixel photograph; it is taken out before Google Benchmark reads the options.
  bool large = false;
  std::vector<char*> arguments;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--large") == 0)
      large = true;
    else
      arguments.push_back(argv[i]);
  }
  int count = static_cast<int>(arguments.size());

#ifdef MORILUX_BENCH_LOADER
  benchmark::RegisterBenchmark("LoadJpeg/12", BM_Load, TPictureFormat::Jpeg)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("LoadPng/12", BM_Load, TPictureFormat::Png)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("LoadBmp/12", BM_Load, TPictureFormat::Bmp)->Unit(benchmark::kMillisecond);
#endif
  Sizes(benchmark::RegisterBenchmark("Binarize", BM_Binarize), large);
  Sizes(benchmark::RegisterBenchmark("BinarizePacked", BM_BinarizePacked), large);
  Sizes(benchmark::RegisterBenchmark("FinderSearch", BM_FinderSearch), large);
  Sizes(benchmark::RegisterBenchmark("Grouping", BM_Grouping), large);
  Sizes(benchmark::RegisterBenchmark("Location", BM_Location), large);
  Sizes(benchmark::RegisterBenchmark("Sampling", BM_Sampling), large);
  Sizes(benchmark::RegisterBenchmark("Driver", BM_Driver), large);
  Sizes(benchmark::RegisterBenchmark("Facade", BM_Facade), large);
  Sizes(benchmark::RegisterBenchmark("StagesRecorded", BM_StagesRecorded), large);
  Sizes(benchmark::RegisterBenchmark("StagesUnrecorded", BM_StagesUnrecorded), large);
  benchmark::RegisterBenchmark("GroupingStripes2k", BM_GroupingStripes)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("FacadeStripes2k", BM_FacadeStripes)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("FacadeVersion40", BM_FacadeVersion40)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("FacadeVersion10", BM_FacadeVersion10)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("TrialFailing12", BM_TrialFailing12)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("ExploreColumnFailing12", BM_ExploreColumnFailing12)->Unit(benchmark::kMillisecond)->UseRealTime();

  benchmark::Initialize(&count, arguments.data());
  if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
