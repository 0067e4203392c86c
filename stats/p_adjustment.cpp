// Holm's step-down and Benjamini-Hochberg's step-up adjustments: with the m
// available p sorted ascending, p_(1) <= ... <= p_(m),
//   Holm: max over j <= i of min(1, (m - j + 1) p_(j));
//   BH:   min over j >= i of min(1, m p_(j) / j).
#include "stats/p_adjustment.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int MAX_TESTS = 1024;
int sorted_index[MAX_TESTS];

}  // namespace

void adjust_p_values(const double* p, int n, double* holm, double* bh) {
    if (n < 0) return;
    if (n > MAX_TESTS) n = MAX_TESTS;
    int m = 0;
    for (int i = 0; i < n; ++i) {
        holm[i] = bh[i] = std::nan("");
        if (!std::isnan(p[i])) sorted_index[m++] = i;
    }
    std::stable_sort(sorted_index, sorted_index + m, [p](int a, int b) { return p[a] < p[b]; });
    double running = 0;
    for (int j = 0; j < m; ++j) {
        const double v = std::min(1.0, (m - j) * p[sorted_index[j]]);
        running = std::max(running, v);
        holm[sorted_index[j]] = running;
    }
    running = 1;
    for (int j = m - 1; j >= 0; --j) {
        const double v = std::min(1.0, static_cast<double>(m) * p[sorted_index[j]] / (j + 1));
        running = std::min(running, v);
        bh[sorted_index[j]] = running;
    }
}
