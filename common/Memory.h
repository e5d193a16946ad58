#pragma once

#include <cstddef>

// Memory for the large blocks of pictures and planes. A photograph takes tens
// of megabytes, and the first use of fresh memory costs the kernel one fault
// per 4 KiB page, which on a 12-megapixel picture adds up to a good part of
// the whole analysis. Blocks of that size are therefore aligned to 2 MiB and
// marked for transparent huge pages where the system offers them (one fault
// per 2 MiB). Smaller blocks come from the ordinary heap.

// Never nullptr: throws std::bad_alloc when the memory is not there.
void* AllocateBlock(std::size_t bytes);
// Frees a block of AllocateBlock.
void FreeBlock(void* block) noexcept;

// A stand-in for a system short of memory, for the tests of what a failed
// allocation leaves: from now on a block of exactly `bytes` bytes is refused
// as if the memory were not there (0: none is).
void RefuseBlocksOf(std::size_t bytes) noexcept;
