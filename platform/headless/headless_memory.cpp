// The headless platform's hint about memory: large pages for a table that
// is about to be filled, where the system has them (Linux: transparent huge
// pages on request). Each small page touched for the first time costs a
// page fault; a large page costs one for all of them.
#include "platform/headless/headless.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace headless {

void prefer_large_pages(const void* start, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t LARGE_PAGE = std::uintptr_t{1} << 21;
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
