// Known-order counts, Gehan's test, the censored sign test and Kendall's tau.
#include "stats/censored_tests.h"

#include <algorithm>
#include <cmath>

#include "stats/boost_math.h"
#include "stats/t_statistics.h"
#include "worksheet/data_table.h"

namespace {

// Work arrays for one call: every array a method needs holds at most one
// entry per row of the table, or one per bound (two per row).
constexpr int CAPACITY = MAX_ROWS;
constexpr int KEYS = 2 * CAPACITY;

// A cell's bounded key (a "<" cell's upper key, a ">" cell's lower key, a
// measured cell's one key for both) and the cell it belongs to.
struct CodedKey {
    double value;
    int tag;
    int cell;
};
CodedKey measured_keys[CAPACITY];
CodedKey censored_keys[CAPACITY];
bool by_key(const CodedKey& a, const CodedKey& b) {
    return a.value < b.value || (a.value == b.value && a.tag < b.tag);
}

int upper_x[CAPACITY], lower_x[CAPACITY], upper_y[CAPACITY], lower_y[CAPACITY];
int reversed_upper[CAPACITY], reversed_lower[CAPACITY];
CensoredCell joined[CAPACITY];
int8_t joined_group[CAPACITY];
int below_count[KEYS + 1];  // by code: cells whose upper code is below it
int above_count[KEYS + 1];  // by code: cells whose lower code is at or above it

// Cells 0..n-1 in the order of their codes `key` (a counting sort) into
// `order`.
int bucket_start[KEYS + 1];
void bucket_by(const int* key, int n, int codes, int* order) {
    std::fill(bucket_start, bucket_start + codes + 1, 0);
    for (int i = 0; i < n; ++i) ++bucket_start[key[i] + 1];
    for (int v = 0; v < codes; ++v) bucket_start[v + 1] += bucket_start[v];
    for (int i = 0; i < n; ++i) order[bucket_start[key[i]]++] = i;
}

// Pairs (i, j) with first[i] < first_q[j] and second[i] < second_q[j],
// second codes below `codes`, the cells already in the order of first
// (by_first_source) and of first_q (by_first_query): a sweep with a Fenwick
// tree over the second codes. n log n.
int by_first_source[CAPACITY], by_first_query[CAPACITY];
int fenwick[KEYS + 1];

double count_dominated_pairs(const int* first, const int* second, const int* first_q, const int* second_q, int n,
                             int codes) {
    std::fill(fenwick, fenwick + codes + 1, 0);
    double pairs = 0;
    int inserted = 0;
    for (int k = 0; k < n; ++k) {
        const int j = by_first_query[k];
        for (; inserted < n && first[by_first_source[inserted]] < first_q[j]; ++inserted)
            for (int v = second[by_first_source[inserted]] + 1; v <= codes; v += v & -v) ++fenwick[v];
        int below = 0;
        for (int v = second_q[j]; v > 0; v -= v & -v) below += fenwick[v];
        pairs += below;
    }
    return pairs;
}

bool by_side_and_value(const CensoredCell& a, const CensoredCell& b) {
    return a.side < b.side || (a.side == b.side && a.value < b.value);
}
CensoredCell written_limits[CAPACITY];

}  // namespace

int bound_codes(const CensoredCell* cells, int n, int* upper, int* lower) {
    if (n < 0 || n > CAPACITY) return 0;
    int measured = 0, censored = 0;
    bool any_below = false, any_above = false, ascending = true;
    for (int i = 0; i < n; ++i) {
        const CensoredCell& c = cells[i];
        const OrderKey key = c.side == SIDE_ABOVE ? lower_key(c) : upper_key(c);
        if (c.side == SIDE_MEASURED) {
            ascending = ascending && (measured == 0 || !(c.value < measured_keys[measured - 1].value));
            measured_keys[measured++] = CodedKey{key.value, key.tag, i};
        } else {
            censored_keys[censored++] = CodedKey{key.value, key.tag, i};
            any_below = any_below || c.side == SIDE_BELOW;
            any_above = any_above || c.side == SIDE_ABOVE;
        }
    }
    if (!ascending) std::sort(measured_keys, measured_keys + measured, by_key);
    std::sort(censored_keys, censored_keys + censored, by_key);
    // The unbounded sides: code 0 below every bounded key, the last code
    // above every one.
    int code = any_below ? 0 : -1;
    const CodedKey* previous = nullptr;
    for (int i = 0, j = 0; i < measured || j < censored;) {
        const bool take_measured = j == censored || (i < measured && !by_key(censored_keys[j], measured_keys[i]));
        const CodedKey* next = take_measured ? &measured_keys[i++] : &censored_keys[j++];
        if (previous == nullptr || by_key(*previous, *next)) ++code;
        previous = next;
        const CellSide side = cells[next->cell].side;
        upper[next->cell] = side == SIDE_ABOVE ? -1 : code;
        lower[next->cell] = side == SIDE_BELOW ? 0 : code;
    }
    const int codes = code + 1 + (any_above ? 1 : 0);
    for (int i = 0; any_above && i < n; ++i)
        if (upper[i] < 0) upper[i] = codes - 1;
    return codes;
}

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
    if (n0 < 0 || n1 < 0 || n0 + n1 > CAPACITY) return GehanResult{0, 0, CELL_MISSING, CELL_MISSING};
    const int n = n0 + n1;
    std::copy(group0, group0 + n0, joined);
    std::copy(group1, group1 + n1, joined + n0);
    for (int i = 0; i < n; ++i) joined_group[i] = i < n0 ? 0 : 1;
    const int codes = bound_codes(joined, n, upper_x, lower_x);
    return gehan_test_codes(upper_x, lower_x, codes, joined_group, n);
}

GehanResult gehan_test_codes(const int* upper, const int* lower, int codes, const int8_t* group, int n) {
    GehanResult result{0, 0, CELL_MISSING, CELL_MISSING};
    if (n < 0 || n > CAPACITY || codes < 0 || codes > KEYS) return result;
    // Cell i's score: the cells whose upper code is below lower[i] minus
    // those whose lower code is above upper[i], from counts by code.
    std::fill(below_count, below_count + codes + 1, 0);
    std::fill(above_count, above_count + codes + 1, 0);
    int n1 = 0;
    for (int i = 0; i < n; ++i) {
        ++below_count[upper[i] + 1];
        ++above_count[lower[i]];
        n1 += group[i] == 1;
    }
    for (int v = 0; v < codes; ++v) below_count[v + 1] += below_count[v];
    for (int v = codes - 1; v > 0; --v) above_count[v - 1] += above_count[v];
    double sum_squares = 0;
    for (int i = 0; i < n; ++i) {
        const auto score = static_cast<double>(below_count[lower[i]] - above_count[upper[i] + 1]);
        sum_squares += score * score;
        if (group[i] == 1) result.w += score;
    }
    if (n < 2) return result;
    const int n0 = n - n1;
    result.variance = static_cast<double>(n0) * n1 * sum_squares / (static_cast<double>(n) * (n - 1));
    if (!(result.variance > 0)) return result;
    result.z = result.w / std::sqrt(result.variance);
    result.p = normal_two_sided_p(result.z);
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
    if (n < 2 || n > CAPACITY) return KendallResult{0, 0, CELL_MISSING, CELL_MISSING, CELL_MISSING};
    const int x_codes = bound_codes(x, n, upper_x, lower_x);
    const int y_codes = bound_codes(y, n, upper_y, lower_y);
    return censored_kendall_codes(upper_x, lower_x, x_codes, upper_y, lower_y, y_codes, n);
}

KendallResult censored_kendall_codes(const int* x_upper, const int* x_lower, int x_codes, const int* y_upper,
                                     const int* y_lower, int y_codes, int n) {
    KendallResult result{0, 0, CELL_MISSING, CELL_MISSING, CELL_MISSING};
    if (n < 2 || n > CAPACITY || x_codes < 1 || x_codes > KEYS || y_codes < 1 || y_codes > KEYS) return result;
    // Row i is known to be below row j in x when x_upper[i] < x_lower[j].
    // The pair is concordant when also y_upper[i] < y_lower[j], discordant
    // when y_upper[j] < y_lower[i], that is (last - y_lower[i]) <
    // (last - y_upper[j]) on the codes reversed: the same count of
    // dominated pairs on other second codes.
    bucket_by(x_upper, n, x_codes, by_first_source);
    bucket_by(x_lower, n, x_codes, by_first_query);
    result.concordant = count_dominated_pairs(x_upper, y_upper, x_lower, y_lower, n, y_codes);
    const int last = y_codes - 1;
    for (int i = 0; i < n; ++i) {
        reversed_upper[i] = last - y_lower[i];
        reversed_lower[i] = last - y_upper[i];
    }
    result.discordant = count_dominated_pairs(x_upper, reversed_upper, x_lower, reversed_lower, n, y_codes);
    const double s = result.concordant - result.discordant;
    const double m = n;
    result.tau = s / (m * (m - 1) / 2);
    result.z = s / std::sqrt(m * (m - 1) * (2 * m + 5) / 18);
    result.p = normal_two_sided_p(result.z);
    return result;
}
