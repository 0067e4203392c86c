// Fuzz target: arbitrary bytes through the whole program. The first two
// bytes choose the analysis, its options and a platform fault; the rest is
// the "Wk1" clipboard block. Every run is checked against the invariants.
#include <cstddef>
#include <cstdint>

#include "fuzz/pipeline_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::run_and_check(data, size);
    return 0;
}
