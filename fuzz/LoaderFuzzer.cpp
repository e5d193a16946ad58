// The picture loader on arbitrary bytes, as a file with the extension
// MORILUX_FUZZ_EXTENSION (".jpg", ".bmp" or ".png"). The loader reads files by name,
// so each input is written to a temporary file first (in /dev/shm when it
// exists, a memory file system). Every input must load or be refused with a
// TPictureError, without a crash, a sanitizer report, a hang or a memory
// blow-up.

#include <QtGlobal>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "picture/PictureLoader.h"

#ifndef MORILUX_FUZZ_EXTENSION
#error "MORILUX_FUZZ_EXTENSION must name the picture type"
#endif

namespace {

std::string g_path;
volatile std::uint32_t g_sink = 0;

void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

void RemoveFile() {
  if (!g_path.empty()) std::remove(g_path.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Qt's warnings about broken pictures would drown the fuzzer's output.
  qInstallMessageHandler(Quiet);
  const char* directory = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
  g_path = std::string(directory) + "/morilux-fuzz-" + std::to_string(getpid()) + MORILUX_FUZZ_EXTENSION;
  std::atexit(RemoveFile);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(g_path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  if (std::fclose(file) != 0) std::abort();
  try {
    const std::optional<TBitmap> picture = LoadPicture(g_path);
    if (!picture) std::abort();  // the extension always names a picture type
    // Every row of a loaded picture is there in full.
    if (picture->Width() < 0 || picture->Height() < 0) std::abort();
    // Read as the binarizer reads, without widening a packed picture to four
    // bytes a pixel (which made large pictures slow enough to time out).
    std::uint32_t sum = 0;
    std::vector<TColor> scratch(static_cast<std::size_t>(picture->Width()));
    for (std::int32_t y = 0; y < picture->Height(); ++y) {
      const TColor* row = picture->ReadRow(y, scratch.data());
      for (std::int32_t x = 0; x < picture->Width(); ++x) sum += row[x];
    }
    g_sink = sum;
  } catch (const TPictureError&) {
  }
  return 0;
}
