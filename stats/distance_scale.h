// Sums of squared distances lose their digits when the distances are so
// small that the squares reach the subnormal range (two values 2.3e-161
// apart gave a correlation of 1.0032). Statistics that do not depend on the
// scale of the values sum such distances again, scaled by a power of two,
// which is exact.
#pragma once

#include <cmath>

// Distances below this are scaled before they are squared.
constexpr double SMALLEST_UNSCALED_DISTANCE = 0x1p-100;

// The power of two that brings `largest`, the largest distance, near 1 when
// it is that small, else 0; ilogb is exact, also for a subnormal.
inline int distance_scale(double largest) {
    return largest > 0 && largest < SMALLEST_UNSCALED_DISTANCE ? -std::ilogb(largest) : 0;
}
