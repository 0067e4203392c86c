// "More statistics" of the non-paired comparison: group 0 and group 1 as
// the comparison forms them from the codes in the first column, every
// difference group 1 minus group 0. Welch's test and Hedges' g rest on the
// comparison's own estimates of each group (the normal-plot estimates when
// a group has "<" or ">" cells, the logarithms under Log-transformation);
// the rank statistics rank the cells by value, markers below or above every
// measured value; the Hodges-Lehmann shift takes the differences of the
// values with the markers replaced by the column's estimates. When a
// compared column holds a "<" or ">" cell, also Gehan's test on the order
// known between the cells with their kept limits.
#include <cmath>

#include "analyses/kept_estimates.h"
#include "analyses/more_rows.h"
#include "analyses/nonpaired.h"
#include "analyses/pair_values.h"
#include "stats/censored_tests.h"
#include "stats/hodges_lehmann.h"
#include "stats/kaplan_meier.h"
#include "stats/mid_ranks.h"
#include "stats/rank_distributions.h"
#include "stats/t_statistics.h"

namespace {

enum Row : int { MORE_NONPAIRED_ROWS(MORE_ROW_ID) ROW_COUNT };
const MoreRow ROWS[ROW_COUNT] = {MORE_NONPAIRED_ROWS(MORE_ROW_ENTRY)};
constexpr int PLAIN_ROW_COUNT = GEHAN_Z;

int8_t row_group[MAX_ROWS];
CensoredCell group_cells[2][MAX_ROWS];  // each group's cells with their limits
double pooled[MAX_ROWS];
int pooled_rows[MAX_ROWS];
int ranks2[MAX_ROWS];
double group_values[2][MAX_ROWS];
int group_size[2];
// The bound codes of the compared column by row, and of the cells of the
// two groups.
int row_upper[MAX_ROWS], row_lower[MAX_ROWS];
int cell_upper[MAX_ROWS], cell_lower[MAX_ROWS];
int8_t cell_group[MAX_ROWS];

// Welch's test and Hedges' g from the comparison's estimates of each group.
void write_value_tests(int c, const GroupEstimate (&groups)[2]) {
    const int n0 = groups[0].n, n1 = groups[1].n;
    const double m0 = groups[0].mean, m1 = groups[1].mean;
    const double s0 = groups[0].sd, s1 = groups[1].sd;
    if (n0 + n1 < 3 || !is_available(m0) || !is_available(m1) || !is_available(s0) || !is_available(s1)) return;
    const WelchTest w = welch_test(m0, s0, n0, m1, s1, n1);
    set_more_cell(WELCH_T, c, w.t);
    set_more_cell(WELCH_DF, c, w.df);
    set_more_cell(WELCH_P, c, w.p);
    set_more_cell(WELCH_LOW, c, shown(w.low));
    set_more_cell(WELCH_HIGH, c, shown(w.high));
    if (n0 < 2 || n1 < 2) return;
    const double df = n0 + n1 - 2;
    const double sp = std::sqrt(((n0 - 1) * s0 * s0 + (n1 - 1) * s1 * s1) / df);
    if (!(sp > 0)) return;
    const double d = (m1 - m0) / sp;
    const double j = 1 - 3.0 / (4.0 * (n0 + n1) - 9);
    const double scale = std::sqrt(1.0 / n0 + 1.0 / n1);
    const Interval ncp = noncentral_t_interval(d / scale, df);
    set_more_cell(HEDGES_G, c, j * d);
    set_more_cell(HEDGES_LOW, c, j * ncp.low * scale);
    set_more_cell(HEDGES_HIGH, c, j * ncp.high * scale);
}

struct RankSum {
    int n0, n1;
    long long s1_2;  // doubled rank sum of group 1
    double ties;     // sum t^3 - t over the pooled runs
    int markers;
};

// The cells of both groups in pooled ascending order, doubled mid-ranks.
RankSum rank_groups(int c) {
    const int n = ordered_column_values(c, [](int r, double) { return row_group[r] >= 0; }, pooled, pooled_rows);
    RankSum sum{0, 0, 0, 0, 0};
    int start = 0;
    for (int i = 1; i <= n; ++i) {
        if (i < n && pooled[i] == pooled[start]) continue;
        // The groups come in no order: counted without a branch on them.
        for (int k = start; k < i; ++k) {
            ranks2[k] = start + 1 + i;
            const int g = row_group[pooled_rows[k]];  // 0 or 1
            sum.n1 += g;
            sum.s1_2 += g * ranks2[k];
            sum.markers += is_marker(pooled[k]) ? 1 : 0;
        }
        start = i;
    }
    sum.n0 = n - sum.n1;
    sum.ties = tie_sum(pooled, n);
    return sum;
}

// Group 0 and group 1 values for the differences, sorted; false when a
// value cannot be formed (an estimate for a marker that is not available).
bool difference_values(int c) {
    const bool log = log_scale_mode();
    group_size[0] = group_size[1] = 0;
    for (int g = 0; g < 2; ++g) {
        const int m = ordered_column_values(c, [g](int r, double) { return row_group[r] == g; }, group_values[g],
                                            nullptr);
        for (int k = 0; k < m; ++k) {
            const double v = pair_value(group_values[g][k], c, log);
            if (!is_available(v) || (log && !(v > 0))) return false;
            group_values[g][k] = log ? std::log(v) : v;
        }
        sort_if_unsorted(group_values[g], nullptr, m);
        group_size[g] = m;
    }
    return true;
}

// The shift, and its interval: exact from the null distribution of U for
// untied groups with an exact p, else the shifts whose normal statistic
// (with the groups' own ties and continuity correction) lies within 1.96.
void write_shift(int c, bool exact_untied) {
    if (!difference_values(c)) return;
    const double* x = group_values[0];
    const double* y = group_values[1];
    const int n0 = group_size[0], n1 = group_size[1];
    if (n0 < 1 || n1 < 1 || n0 + n1 < 3) return;
    const long long count = static_cast<long long>(n0) * n1;
    long long k = 0;
    if (exact_untied) {
        k = rank_sum_interval_rank(n0, n1);
    } else {
        const double n = n0 + n1;
        // Sums of whole numbers: exact in any order.
        const double ties = tie_sum(x, n0) + tie_sum(y, n1);
        const double sigma = std::sqrt(static_cast<double>(count) / 12.0 * ((n + 1) - ties / (n * (n - 1))));
        k = normal_interval_rank(count, sigma);
    }
    const HodgesLehmann hl = pairwise_difference_estimate(x, n0, y, n1, k);
    set_more_cell(HL_SHIFT, c, shown(hl.estimate));
    if (k < 1 || k > count) return;
    set_more_cell(HL_LOW, c, shown(hl.low));
    set_more_cell(HL_HIGH, c, shown(hl.high));
}

void write_rank_tests(int c) {
    const RankSum s = rank_groups(c);
    set_more_cell(BEYOND_LIMIT, c, s.markers);
    const int n = s.n0 + s.n1;
    if (s.n0 < 1 || s.n1 < 1 || n < 3) return;
    const double product = static_cast<double>(s.n0) * s.n1;
    const double u = static_cast<double>(s.s1_2 - static_cast<long long>(s.n1) * (s.n1 + 1)) / 2;
    set_more_cell(MW_U, c, u);
    const bool exact = n <= EXACT_RANK_MAX_N;
    const bool tied = s.ties > 0;
    double p;
    if (exact) {
        // The ranks of all cells, in pooled order, with group 1's sum.
        p = rank_sum_exact_p(ranks2, n, s.n1, static_cast<int>(s.s1_2));
    } else {
        const double dn = n;
        const double sigma = std::sqrt(product / 12.0 * ((dn + 1) - s.ties / (dn * (dn - 1))));
        p = continuity_corrected_p(u, product / 2, sigma);
    }
    set_more_cell(MW_P, c, p);
    set_more_cell(MW_METHOD, c, exact ? (tied ? METHOD_EXACT_TIES : METHOD_EXACT) : METHOD_NORMAL);
    const double r = 2 * u / product - 1;
    const double h = 1.96 * std::sqrt((n + 1) / (3 * product));
    set_more_cell(RB_R, c, r);
    set_more_cell(RB_LOW, c, std::tanh(std::atanh(r) - h));
    set_more_cell(RB_HIGH, c, std::tanh(std::atanh(r) + h));
    write_shift(c, exact && !tied);
}

// Group 1's Kaplan-Meier (or Turnbull) median minus group 0's, each
// group's estimate chosen by the sides its own cells take.
void write_km_median_difference(int c) {
    const ColumnBounds bounds = more_column_bounds(c);
    // Along the column's order, so that the cells come nearly sorted.
    const int32_t* order = checked_order(c);
    int n[2] = {0, 0};
    for (int k = 0; k < used_rows(); ++k) {
        const int r = order[k];
        const int g = row_group[r];
        if (g >= 0 && read_censored_cell(r, c, bounds, group_cells[g][n[g]])) ++n[g];
    }
    const double median0 = km_centiles(group_cells[0], n[0]).median;
    set_more_cell(KM_MEDIAN_DIFFERENCE, c, km_centiles(group_cells[1], n[1]).median - median0);
}

// Gehan's test on the cells of both groups with their kept limits, coded
// along the column's order.
void write_gehan(int c) {
    const int codes = code_column_bounds(c, row_upper, row_lower);
    const int n = codes_of_rows(
        row_upper, row_lower, [](int r) { return row_group[r] >= 0; }, cell_upper, cell_lower,
        [](int r, int k) { cell_group[k] = row_group[r]; });
    const GehanResult gehan = gehan_test_codes(cell_upper, cell_lower, codes, cell_group, n);
    set_more_cell(GEHAN_Z, c, censored_result(gehan.z));
    set_more_cell(GEHAN_P, c, censored_result(gehan.p));
    write_km_median_difference(c);
}

}  // namespace

bool fill_more_nonpaired() {
    int32_t code0 = 0, code1 = 0;
    if (used_columns() < 2 || used_rows() < 3 || !find_group_codes(code0, code1)) return false;
    const bool censored = find_censored_columns(1);
    start_more_rows(ROWS, censored ? ROW_COUNT : PLAIN_ROW_COUNT, 1);
    find_row_groups(code0, code1, row_group);
    // The comparison's group estimates when it has just run on this
    // worksheet, else made here as it makes them.
    const ColumnGroupEstimates* kept = kept_group_estimates(KeptFor{KeptBy::Nonpaired, code0, code1});
    const unsigned fields = log_scale_mode() ? GROUP_LOG_ESTIMATES : GROUP_ESTIMATES;
    for (int c = 1; c < used_columns(); ++c) {
        GroupEstimate groups[2];
        if (kept != nullptr) {
            groups[0] = kept[c][0];
            groups[1] = kept[c][1];
        } else {
            build_group_columns(c, code0, code1);
            for (int g = 0; g < 2; ++g) {
                summarize_group(g, fields, column_summaries[c].order);
                groups[g] = group_estimate(g);
            }
        }
        write_value_tests(c, groups);
        write_rank_tests(c);
        if (censored) write_gehan(c);
    }
    return true;
}
