// Doubled mid-ranks by sorting the positions of the values.
#include "stats/mid_ranks.h"

#include <algorithm>
#include <cstdint>

#include "stats/sorted_copy.h"

namespace {

constexpr int MAX_VALUES = MAX_ROWS;
int32_t by_value[MAX_VALUES];

}  // namespace

double doubled_mid_ranks(const double* v, int n, int* ranks2) {
    if (n < 0) return 0;
    if (n > MAX_VALUES) n = MAX_VALUES;
    // The sorted copy's radix sort takes no branch on the data: several
    // times quicker than a comparison sort of the positions.
    if (sort_copy(v, n)) {
        for (int i = 0; i < n; ++i) by_value[i] = sorted_copy.from[i];
    } else {
        for (int i = 0; i < n; ++i) by_value[i] = i;
        std::sort(by_value, by_value + n, [v](int a, int b) { return v[a] < v[b]; });
    }
    double ties = 0;
    int start = 0;
    for (int i = 1; i <= n; ++i) {
        if (i < n && v[by_value[i]] == v[by_value[start]]) continue;
        // Positions start..i-1 take ranks start+1..i: twice their mean is start + 1 + i.
        for (int k = start; k < i; ++k) ranks2[by_value[k]] = start + 1 + i;
        const double t = i - start;
        ties += t * t * t - t;
        start = i;
    }
    return ties;
}

double tie_sum(const double* sorted, int n) {
    double ties = 0;
    int start = 0;
    for (int i = 1; i <= n; ++i) {
        if (i < n && sorted[i] == sorted[start]) continue;
        const double t = i - start;
        ties += t * t * t - t;
        start = i;
    }
    return ties;
}
