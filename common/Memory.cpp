#include "Memory.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// From this size on a block is worth huge pages of its own.
constexpr std::size_t kLarge = std::size_t{4} << 20;

std::atomic<std::size_t> refused{0};

}  // namespace

void RefuseBlocksOf(std::size_t bytes) noexcept { refused.store(bytes, std::memory_order_relaxed); }

void* AllocateBlock(std::size_t bytes) {
  if (bytes != 0 && bytes == refused.load(std::memory_order_relaxed)) throw std::bad_alloc();
  void* block = nullptr;
  if (bytes < kLarge) {
    block = std::malloc(bytes == 0 ? 1 : bytes);
  } else {
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    block = std::aligned_alloc(kHugePage, rounded);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only advice: without huge pages the block works all the same.
    if (block != nullptr) madvise(block, rounded, MADV_HUGEPAGE);
#endif
  }
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void FreeBlock(void* block) noexcept { std::free(block); }
