// The headless platform's large private blocks: a block of a few hundred
// kilobytes to two megabytes (the reader's copy of a large worksheet) is
// placed on one large page where the system has them, so that filling it
// costs one page fault instead of hundreds.
#pragma once

#include <cstddef>

namespace headless {

// A block of `size` bytes on a large page of its own, or null when the size
// does not call for one, one is in use, or the system has none to give.
void* allocate_large_block(std::size_t size);
// Frees a block of allocate_large_block; false for any other memory.
bool free_large_block(void* memory);

}  // namespace headless
