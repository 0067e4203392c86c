// Known-order counts, Gehan's test, the censored sign test and Kendall's tau.
#include "stats/censored_tests.h"

#include <algorithm>
#include <cmath>

#include <boost/math/distributions/binomial.hpp>
#include <boost/math/special_functions/erf.hpp>

#include "worksheet/data_table.h"

namespace {

// Work arrays for one call: every array a method needs holds at most one
// entry per row of the table.
constexpr int CAPACITY = MAX_ROWS;
OrderKey sorted_upper[CAPACITY];
OrderKey sorted_lower[CAPACITY];

double two_sided_normal_p(double z) { return boost::math::erfc(std::fabs(z) / std::sqrt(2.0)); }

// -key: the order of keys reversed (a < b exactly when -b < -a).
OrderKey reversed(const OrderKey& k) { return OrderKey{-k.value, -k.tag}; }

// Pairs (i, j) with a[i] < b[j] and p[i] < q[j], by a sweep over b with a
// Fenwick tree over the ranks of p: n log n.
struct DominanceItem {
    OrderKey first;
    OrderKey second;
};
DominanceItem sources[CAPACITY];
DominanceItem queries[CAPACITY];
OrderKey second_ranks[CAPACITY];
int fenwick[CAPACITY + 1];

bool by_first(const DominanceItem& a, const DominanceItem& b) { return a.first < b.first; }

double count_dominated_pairs(int n) {
    std::sort(sources, sources + n, by_first);
    std::sort(queries, queries + n, by_first);
    for (int i = 0; i < n; ++i) second_ranks[i] = sources[i].second;
    std::sort(second_ranks, second_ranks + n);
    std::fill(fenwick, fenwick + n + 1, 0);
    double pairs = 0;
    int inserted = 0;
    for (int j = 0; j < n; ++j) {
        for (; inserted < n && sources[inserted].first < queries[j].first; ++inserted) {
            // 1-based rank of this source's second key among all of them.
            int k = static_cast<int>(std::lower_bound(second_ranks, second_ranks + n, sources[inserted].second) -
                                     second_ranks) + 1;
            for (; k <= n; k += k & -k) ++fenwick[k];
        }
        int k = static_cast<int>(std::lower_bound(second_ranks, second_ranks + n, queries[j].second) - second_ranks);
        int below = 0;
        for (; k > 0; k -= k & -k) below += fenwick[k];
        pairs += below;
    }
    return pairs;
}

bool by_side_and_value(const CensoredCell& a, const CensoredCell& b) {
    return a.side < b.side || (a.side == b.side && a.value < b.value);
}
CensoredCell written_limits[CAPACITY];

}  // namespace

CensoredCounts censored_counts(const CensoredCell* cells, int n) {
    CensoredCounts counts{0, 0, 0};
    int written = 0;
    for (int i = 0; i < n; ++i) {
        if (cells[i].side == SIDE_MEASURED) continue;
        if (cells[i].side == SIDE_BELOW)
            ++counts.below;
        else
            ++counts.above;
        if (cells[i].written && written < CAPACITY) written_limits[written++] = cells[i];
    }
    std::sort(written_limits, written_limits + written, by_side_and_value);
    for (int i = 0; i < written; ++i)
        if (i == 0 || by_side_and_value(written_limits[i - 1], written_limits[i])) ++counts.distinct_limits;
    return counts;
}

GehanResult gehan_test(const CensoredCell* group0, int n0, const CensoredCell* group1, int n1) {
    GehanResult result{0, 0, CELL_MISSING, CELL_MISSING};
    if (n0 < 0 || n1 < 0 || n0 + n1 > CAPACITY) return result;
    const int n = n0 + n1;
    auto cell = [&](int i) -> const CensoredCell& { return i < n0 ? group0[i] : group1[i - n0]; };
    for (int i = 0; i < n; ++i) {
        sorted_upper[i] = upper_key(cell(i));
        sorted_lower[i] = lower_key(cell(i));
    }
    std::sort(sorted_upper, sorted_upper + n);
    std::sort(sorted_lower, sorted_lower + n);
    double sum_squares = 0;
    for (int i = 0; i < n; ++i) {
        // Cells j known to be smaller: upper(j) < lower(i); larger: upper(i) < lower(j).
        const auto smaller = std::lower_bound(sorted_upper, sorted_upper + n, lower_key(cell(i))) - sorted_upper;
        const auto larger = sorted_lower + n - std::upper_bound(sorted_lower, sorted_lower + n, upper_key(cell(i)));
        const auto score = static_cast<double>(smaller - larger);
        sum_squares += score * score;
        if (i >= n0) result.w += score;
    }
    if (n < 2) return result;
    result.variance = static_cast<double>(n0) * n1 * sum_squares / (static_cast<double>(n) * (n - 1));
    if (!(result.variance > 0)) return result;
    result.z = result.w / std::sqrt(result.variance);
    result.p = two_sided_normal_p(result.z);
    return result;
}

SignResult censored_sign_test(const CensoredCell* x, const CensoredCell* y, int n) {
    SignResult result{0, 0, CELL_MISSING};
    for (int i = 0; i < n; ++i) {
        if (known_smaller(x[i], y[i])) {
            ++result.pairs;
            ++result.positive;
        } else if (known_smaller(y[i], x[i])) {
            ++result.pairs;
        }
    }
    if (result.pairs == 0) return result;
    const int fewer = std::min(result.positive, result.pairs - result.positive);
    const boost::math::binomial_distribution<double> null(result.pairs, 0.5);
    result.p = std::min(1.0, 2.0 * boost::math::cdf(null, fewer));
    return result;
}

KendallResult censored_kendall(const CensoredCell* x, const CensoredCell* y, int n) {
    KendallResult result{0, 0, CELL_MISSING, CELL_MISSING, CELL_MISSING};
    if (n < 2 || n > CAPACITY) return result;
    // Concordant: i known smaller than j in x and in y.
    for (int i = 0; i < n; ++i) {
        sources[i] = DominanceItem{upper_key(x[i]), upper_key(y[i])};
        queries[i] = DominanceItem{lower_key(x[i]), lower_key(y[i])};
    }
    result.concordant = count_dominated_pairs(n);
    // Discordant: i known smaller than j in x, j known smaller than i in y.
    for (int i = 0; i < n; ++i) {
        sources[i] = DominanceItem{upper_key(x[i]), reversed(lower_key(y[i]))};
        queries[i] = DominanceItem{lower_key(x[i]), reversed(upper_key(y[i]))};
    }
    result.discordant = count_dominated_pairs(n);
    const double s = result.concordant - result.discordant;
    const double m = n;
    result.tau = s / (m * (m - 1) / 2);
    result.z = s / std::sqrt(m * (m - 1) * (2 * m + 5) / 18);
    result.p = two_sided_normal_p(result.z);
    return result;
}
