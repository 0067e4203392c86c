// Lookup of the exact Mann-Whitney probability P(U <= u) for small groups.
#include "analyses/mann_whitney_exact.h"

double mann_whitney_exact_p(int size_small, int size_large, double U) {
    // u is U rounded half up, truncated toward zero: a U in (-1.5, -0.5]
    // still looks up u = 0. Any u outside 0..31 has no entry, so a U that
    // would leave that range (or is not a number) answers 1 before it is
    // ever converted to an integer.
    const double shifted = U + 0.5;
    if (!(shifted > -1.0 && shifted < 1000.0)) return 1.0;
    const int u = static_cast<int>(shifted);

    if (size_large < 2 || size_large > MW_EXACT_MAX_N) return 1.0;
    if (size_small < 1 || size_small > size_large) return 1.0;
    const MwRow& row = MW_ROWS[size_large][size_small];
    if (u < 0 || u > row.u_max) return 1.0;
    return MW_EXACT_TABLE[row.start + u];
}
