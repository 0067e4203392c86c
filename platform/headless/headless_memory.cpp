// The headless platform's hint about memory: large pages for a table that
// is about to be filled, where the system has them (Linux: transparent huge
// pages on request). Each small page touched for the first time costs a
// page fault; a large page costs one for all of them.
#include "platform/headless/headless_memory.h"

#include <cstdint>

#include "platform/headless/headless.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace headless {

namespace {

constexpr std::uintptr_t LARGE_PAGE = std::uintptr_t{1} << 21;

// Below this a block is left to the heap: a large page costs as much to
// fill with zeros as a few dozen small pages cost in faults.
constexpr std::size_t LARGE_BLOCK_MIN = 256u * 1024u;

// The one large block: the mapping it lies in, and where it starts.
void* large_mapping = nullptr;
std::size_t large_mapping_size = 0;
void* large_block = nullptr;

}  // namespace

void* allocate_large_block(std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (size < LARGE_BLOCK_MIN || size > LARGE_PAGE || large_block != nullptr) return nullptr;
    // Twice a large page of address space holds one whole aligned one.
    const std::size_t length = 2 * LARGE_PAGE;
    void* mapping = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return nullptr;
    const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(mapping) + LARGE_PAGE - 1) & ~(LARGE_PAGE - 1);
    madvise(reinterpret_cast<void*>(start), LARGE_PAGE, MADV_HUGEPAGE);
    large_mapping = mapping;
    large_mapping_size = length;
    large_block = reinterpret_cast<void*>(start);
    return large_block;
#else
    (void)size;
    return nullptr;
#endif
}

bool free_large_block(void* memory) {
    if (memory == nullptr || memory != large_block) return false;
#if defined(__linux__)
    munmap(large_mapping, large_mapping_size);
#endif
    large_mapping = nullptr;
    large_mapping_size = 0;
    large_block = nullptr;
    return true;
}

void prefer_large_pages(const void* start, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const auto first = reinterpret_cast<std::uintptr_t>(start) & ~(LARGE_PAGE - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(start) + size + LARGE_PAGE - 1) & ~(LARGE_PAGE - 1);
    // Refused advice (no large pages, an older system) changes nothing.
    madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)start;
    (void)size;
#endif
}

}  // namespace headless
