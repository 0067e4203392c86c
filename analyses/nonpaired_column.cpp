// The statistics of one compared column of the non-paired comparison, from
// its two groups in the ordered and summarised pair table: the
// pooled-variance t-test, the medians, and the Mann-Whitney test over the
// pooled ranks of both groups with its tie correction.
#include <cmath>

#include "analyses/mann_whitney_exact.h"
#include "analyses/nonpaired.h"
#include "stats/column_summary.h"
#include "stats/distributions.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace {

using namespace nonpaired_rows;

constexpr double ONE_TWELFTH = 0.08333333333333333;

void set_cell(int row, int c, double value) { set_report_cell(report_table(NONPAIRED_REPORT), row, c, value); }

void write_t_test(int c) {
    const ColumnSummary& g0 = group_summaries[0];
    const ColumnSummary& g1 = group_summaries[1];
    const bool log = log_transform != 0;
    // The n is that of the real values in both modes.
    const int n0 = g0.n_real;
    const int n1 = g1.n_real;
    const int df = n0 + n1 - 2;
    const double t95 = t95_for_df(df);

    const double mean0 = log ? g0.mean_log : g0.mean;
    const double mean1 = log ? g1.mean_log : g1.mean;
    const double s0 = log ? g0.sd_log : g0.sd;
    const double s1 = log ? g1.sd_log : g1.sd;

    // Group 1 minus group 0, on the log scale a ratio. What cannot be
    // computed is a NaN here, not CELL_MISSING: a difference may lie beyond
    // the marker bounds and still give t and p, and only its own cell then
    // reads "#n/a".
    const double na = std::nan("");
    const double d = is_available(mean0) && is_available(mean1) ? mean1 - mean0 : na;
    const double sp = is_available(s0) && is_available(s1) && df >= 1
                          ? std::sqrt((static_cast<double>(n1 - 1) * s1 * s1 +
                                       static_cast<double>(n0 - 1) * s0 * s0) /
                                      static_cast<double>(df))
                          : na;
    const double se = std::isfinite(sp) && n0 > 0 && n1 > 0
                          ? std::sqrt(1.0 / static_cast<double>(n1) + 1.0 / static_cast<double>(n0)) * sp
                          : na;
    // SE = 0 makes t infinite or not a number, and so without a p.
    const double t = d / se;
    const bool limits = std::isfinite(d) && std::isfinite(se) && is_available(t95);
    const double lower = limits ? d - t95 * se : na;
    const double upper = limits ? d + t95 * se : na;

    set_cell(MEAN0_ROW, c, shown_value(mean0, log));
    set_cell(MEAN1_ROW, c, shown_value(mean1, log));
    set_cell(DIFFERENCE_ROW, c, shown_value(d, log));
    set_cell(LOWER_LIMIT_ROW, c, shown_value(lower, log));
    set_cell(UPPER_LIMIT_ROW, c, shown_value(upper, log));
    set_cell(N0_ROW, c, n0);
    set_cell(N1_ROW, c, n1);
    set_cell(T_TEST_P_ROW, c, p_from_t(t, df));
    set_cell(SD0_ROW, c, shown_value(s0, log));
    set_cell(SD1_ROW, c, shown_value(s1, log));
    set_cell(POOLED_SD_ROW, c, shown_value(sp, log));
    set_cell(SE_ROW, c, shown_value(se, log));
    set_cell(T_ROW, c, shown_value(t, false));
}

void write_medians(int c) {
    const double median0 = group_summaries[0].median;
    const double median1 = group_summaries[1].median;
    set_cell(MEDIAN0_ROW, c, shown_value(median0, false));
    set_cell(MEDIAN1_ROW, c, shown_value(median1, false));
    set_cell(MEDIAN_DIFFERENCE_ROW, c,
                     is_available(median0) && is_available(median1) ? median1 - median0 : CELL_MISSING);
}

// Rank sums of both groups by their pooled mid-ranks, the tie sum
// S = sum of t^3 - t over the runs of equal values, and the group sizes.
struct PooledRankSums {
    double r0 = 0;
    double r1 = 0;
    double s = 0;
    int m0 = 0;
    int m1 = 0;
};

// The value at position k of group g's ascending order, or CELL_MISSING
// once its present values have been read.
double ordered_value(int g, int k) {
    const ColumnSummary& summary = group_summaries[g];
    const int rows = used_rows();
    if (k >= summary.n_total || k >= rows) return CELL_MISSING;
    const int row = summary.order[k];
    if (row < 0 || row >= rows) return CELL_MISSING;
    return pair_rows[row].value[g];
}

// Each group's values in its order, as ordered_value reads them, and
// CELL_MISSING after its present values.
double ordered_values[2][MAX_ROWS + 1];

void read_ordered_values(int g) {
    const int rows = used_rows();
    const int n = group_summaries[g].n_total < rows ? group_summaries[g].n_total : rows;
    for (int k = 0; k < n; ++k) ordered_values[g][k] = ordered_value(g, k);
    ordered_values[g][n > 0 ? n : 0] = CELL_MISSING;
}

// Merges the two groups' orders: every run of equal values, from either
// group or both, shares the mid-rank of the positions it takes in the
// pooled order. Linear in the number of values.
PooledRankSums pooled_rank_sums() {
    read_ordered_values(0);
    read_ordered_values(1);
    const double* values0 = ordered_values[0];
    const double* values1 = ordered_values[1];
    PooledRankSums sums;
    int i = 0;      // next position in group 0's order
    int j = 0;      // next position in group 1's order
    int below = 0;  // pooled values below the current run
    for (;;) {
        const double v0 = values0[i];
        const double v1 = values1[j];
        const bool has0 = !is_missing_value(v0);
        const bool has1 = !is_missing_value(v1);
        if (!has0 && !has1) break;
        const double v = !has1 || (has0 && v0 <= v1) ? v0 : v1;
        // The first value of each group counted without a branch (which of
        // the two holds the next value is as good as random), more equal
        // values by the loops.
        int a = v0 == v ? 1 : 0;
        i += a;
        while (a > 0 && values0[i] == v) {
            ++a;
            ++i;
        }
        int b = v1 == v ? 1 : 0;
        j += b;
        while (b > 0 && values1[j] == v) {
            ++b;
            ++j;
        }
        const int run = a + b;
        const double mid_rank = below + (run + 1) / 2.0;
        sums.r0 += a * mid_rank;
        sums.r1 += b * mid_rank;
        const double t = run;
        sums.s += t * t * t - t;
        below += run;
    }
    sums.m0 = i;
    sums.m1 = j;
    return sums;
}

void write_mann_whitney(int c) {
    const PooledRankSums sums = pooled_rank_sums();
    const int m0 = sums.m0;
    const int m1 = sums.m1;
    const double tie_term = sums.s * ONE_TWELFTH;
    // m0, m1 <= MAX_ROWS, so the products fit an int.
    const double u0 = static_cast<double>(m0 * m1 + m0 * (m0 + 1) / 2) - sums.r0;
    const double u1 = static_cast<double>(m0 * m1 + m1 * (m1 + 1) / 2) - sums.r1;
    const double u = u0 < u1 ? u0 : u1;

    const int size_small = m0 < m1 ? m0 : m1;
    const int size_large = m0 < m1 ? m1 : m0;
    const double n = static_cast<double>(size_small + size_large);
    const double product = static_cast<double>(size_small) * static_cast<double>(size_large);
    // Variance of U with the tie correction. It is 0 when every value is
    // tied, and then z is not a number.
    const double v = product / (n * (n - 1.0)) * ((n * n * n - n) * ONE_TWELFTH - tie_term);
    const double z = v < 0 ? 0.0 : std::fabs((u - 0.5 * product) / std::sqrt(v));

    double p = CELL_MISSING;  // an empty group has no test
    if (size_small > 0)
        p = size_large <= MW_EXACT_MAX_N ? mann_whitney_exact_p(size_small, size_large, u) : p_from_z(z);

    set_cell(MANN_WHITNEY_P_ROW, c, p);
    set_cell(U_ROW, c, u);
    set_cell(R0_ROW, c, sums.r0);
    set_cell(R1_ROW, c, sums.r1);
    set_cell(TIE_TERM_ROW, c, tie_term);
    set_cell(Z_ROW, c, shown_value(z, false));
}

}  // namespace

void compute_nonpaired_column(int c) {
    if (c <= 0 || c >= MAX_COLUMNS) return;
    write_t_test(c);
    write_medians(c);
    write_mann_whitney(c);
}
