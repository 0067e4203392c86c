// Kendall's tau-b by Knight's method: the pairs sorted by x (and by y
// within equal x), then a merge sort of the y values counts the exchanges
// it makes, which are the discordant pairs. With n0 = n (n - 1) / 2, n1 and
// n2 the pairs tied in x and in y and n3 those tied in both,
//   S = n0 - n1 - n2 + n3 - 2 exchanges,  tau_b = S / sqrt((n0 - n1)(n0 - n2)).
// The variance of S under ties is Kendall's (1970, equation 4.3):
//   (v0 - vx - vy) / 18 + X2 Y2 / (2 n (n - 1)) + X3 Y3 / (9 n (n - 1)(n - 2))
// with v0 = n (n - 1)(2n + 5), vx = sum t (t - 1)(2t + 5) over tied runs of
// x, X2 = sum t (t - 1), X3 = sum t (t - 1)(t - 2), and likewise for y.
#include "stats/kendall.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "stats/rank_distributions.h"
#include "stats/sorted_copy.h"
#include "stats/t_statistics.h"

namespace {

constexpr int MAX_PAIRS = MAX_ROWS;
int32_t by_x[MAX_PAIRS];
double ys[MAX_PAIRS];
double merge_buffer[MAX_PAIRS];

// Sums over the runs of equal values of a sorted sequence.
struct TieSums {
    long long pairs = 0;  // sum t (t - 1) / 2
    double t2 = 0;        // sum t (t - 1)
    double t3 = 0;        // sum t (t - 1)(t - 2)
    double v = 0;         // sum t (t - 1)(2t + 5)
    void add(long long t) {
        pairs += t * (t - 1) / 2;
        const double d = static_cast<double>(t);
        t2 += d * (d - 1);
        t3 += d * (d - 1) * (d - 2);
        v += d * (d - 1) * (2 * d + 5);
    }
};

template <typename Equal>
TieSums tie_sums(int n, Equal equal) {
    TieSums sums;
    int start = 0;
    for (int i = 1; i <= n; ++i) {
        if (i < n && equal(i - 1, i)) continue;
        sums.add(i - start);
        start = i;
    }
    return sums;
}

// Sorts ys[0..n) ascending; returns the exchanges (inversions) it undid.
// Bottom-up: runs of 1, 2, 4, ... merged pairwise, between ys and
// merge_buffer in turn, each step of a merge without a branch on the values.
long long merge_count(int n) {
    double* from = ys;
    double* to = merge_buffer;
    long long swaps = 0;
    for (int width = 1; width < n; width *= 2) {
        for (int lo = 0; lo < n; lo += 2 * width) {
            const int mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            int i = lo, j = mid, out = lo;
            while (i < mid && j < hi) {
                const double left = from[i], right = from[j];
                const int from_right = right < left;
                swaps += (mid - i) * from_right;
                to[out++] = std::min(left, right);  // right < left ? right : left
                j += from_right;
                i += 1 - from_right;
            }
            while (i < mid) to[out++] = from[i++];
            while (j < hi) to[out++] = from[j++];
        }
        std::swap(from, to);
    }
    if (from != ys) std::copy(from, from + n, ys);
    return swaps;
}

// by_x: the positions 0..n-1 by x, and by y within equal x. The radix sort
// of the sorted copy orders by x without a branch on the data; the runs of
// equal x, mostly short, are then sorted by y.
void sort_by_x_then_y(const double* x, const double* y, int n) {
    if (!sort_copy(x, n)) {
        for (int i = 0; i < n; ++i) by_x[i] = i;
        std::sort(by_x, by_x + n, [x, y](int a, int b) { return x[a] < x[b] || (x[a] == x[b] && y[a] < y[b]); });
        return;
    }
    for (int i = 0; i < n; ++i) by_x[i] = sorted_copy.from[i];
    int start = 0;
    for (int i = 1; i <= n; ++i) {
        if (i < n && sorted_copy.bits[i] == sorted_copy.bits[start]) continue;
        if (i - start > 1) std::sort(by_x + start, by_x + i, [y](int a, int b) { return y[a] < y[b]; });
        start = i;
    }
}

}  // namespace

KendallTau kendall_tau(const double* x, const double* y, int n) {
    const double na = std::nan("");
    if (n < 3 || n > MAX_PAIRS) return {na, na, false};
    sort_by_x_then_y(x, y, n);
    const TieSums tx = tie_sums(n, [x](int a, int b) { return x[by_x[a]] == x[by_x[b]]; });
    const TieSums txy =
        tie_sums(n, [x, y](int a, int b) { return x[by_x[a]] == x[by_x[b]] && y[by_x[a]] == y[by_x[b]]; });
    for (int i = 0; i < n; ++i) ys[i] = y[by_x[i]];
    const long long exchanges = merge_count(n);
    const TieSums ty = tie_sums(n, [](int a, int b) { return ys[a] == ys[b]; });

    const long long all = static_cast<long long>(n) * (n - 1) / 2;
    const long long s = all - tx.pairs - ty.pairs + txy.pairs - 2 * exchanges;
    const double spread = static_cast<double>(all - tx.pairs) * static_cast<double>(all - ty.pairs);
    KendallTau result{na, na, false};
    if (!(spread > 0)) return result;
    result.tau_b = static_cast<double>(s) / std::sqrt(spread);
    if (tx.pairs == 0 && ty.pairs == 0 && n <= EXACT_RANK_MAX_N) {
        result.p = kendall_exact_p(n, exchanges);
        result.exact = true;
        return result;
    }
    const double dn = n;
    const double m = dn * (dn - 1);
    const double variance = (m * (2 * dn + 5) - tx.v - ty.v) / 18 + tx.t2 * ty.t2 / (2 * m) +
                            tx.t3 * ty.t3 / (9 * m * (dn - 2));
    result.p = normal_two_sided_p(static_cast<double>(s) / std::sqrt(variance));
    return result;
}
