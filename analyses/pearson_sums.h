// The sums a Pearson coefficient is formed from, shared by the pass over
// the column copies (pearson.cpp) and the reference over the pair table
// (references.cpp), so that both give the same bits.
#pragma once

#include <algorithm>
#include <cmath>

#include "stats/distance_scale.h"

// Sums over the complete pairs of the distances from the first such pair
// (each distance scaled by 2^scale_x or 2^scale_y, which is exact). In the
// log modes x' = ln x and y' = ln y.
struct PairSums {
    double n, sx, sy, sxx, syy, sxy;
    double largest_x, largest_y;  // the largest distance of each, unscaled
};

// One complete pair added to the sums, from its distances to the first.
inline void add_pair(PairSums& s, double x, double y, int scale_x, int scale_y) {
    s.largest_x = std::max(s.largest_x, std::fabs(x));
    s.largest_y = std::max(s.largest_y, std::fabs(y));
    if (scale_x != 0) x = std::ldexp(x, scale_x);
    if (scale_y != 0) y = std::ldexp(y, scale_y);
    s.n += 1;
    s.sx += x;
    s.sy += y;
    s.sxx += x * x;
    s.syy += y * y;
    s.sxy += x * y;
}

// The coefficient from the sums. They are taken of the distances from the
// first pair, which leaves the coefficient as it is but keeps the sums of
// squares from cancelling: a constant column has a spread of exactly 0,
// and so no coefficient. The coefficient does not change when x or y is
// scaled, so tiny distances are summed again scaled up.
template <typename Sums>
double coefficient(Sums sums) {
    PairSums s = sums(0, 0);
    const int scale_x = distance_scale(s.largest_x);
    const int scale_y = distance_scale(s.largest_y);
    if (scale_x != 0 || scale_y != 0) s = sums(scale_x, scale_y);
    const double cross = s.sxy - s.sx * s.sy / s.n;
    const double x_spread = s.sxx - s.sx * s.sx / s.n;
    const double y_spread = s.syy - s.sy * s.sy / s.n;
    return cross / std::sqrt(x_spread * y_spread);
}

