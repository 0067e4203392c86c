// The statistics of one compared column of the paired comparison, from the
// ordered and summarised pair table: the paired t-test (on the logarithms
// of the ratios in ratio mode) and the Wilcoxon signed-rank test with its
// critical values.
#include <cmath>
#include <cstdio>

#include "analyses/paired.h"
#include "stats/column_summary.h"
#include "stats/distributions.h"
#include "stats/tables.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace {

using namespace paired_rows;

void set_cell(int row, int c, double value) { set_report_cell(report_table(PAIRED_REPORT), row, c, value); }

// In ratio mode everything is on the log scale and is shown back-transformed.
void write_t_test(int c) {
    const bool ratio = log_transform != 0;
    const PairedMean m = paired_mean(ratio);
    set_cell(MEAN_ROW, c, shown_value(m.mean, ratio));
    set_cell(LOWER_LIMIT_ROW, c, shown_value(m.lower, ratio));
    set_cell(UPPER_LIMIT_ROW, c, shown_value(m.upper, ratio));
    set_cell(T_TEST_P_ROW, c, p_from_t(m.t, m.n - 1));
    set_cell(N_ROW, c, m.n);
    set_cell(SE_ROW, c, shown_value(m.se, ratio));
    set_cell(T_ROW, c, shown_value(m.t, false));
}

// The sign of a pair's difference in the signed-rank test: +1 or -1, or 0
// when the pair takes no part (a missing pair, a marker difference, a zero
// difference or, in ratio mode, a ratio of exactly 1). In ratio mode the
// difference is ln q, whose sign is that of q - 1: ln is increasing with
// ln 1 = 0, and next to 1 it is still about 1e-16 away from 0, far more
// than any rounding of the logarithm could take, so q is compared with 1
// instead of taking the logarithm of every ratio, two or three times each.
int signed_rank_sign(int r) {
    const double s = pair_rows[r].value[0];
    if (!is_real_value(s)) return 0;
    if (log_transform != 0) {
        if (!(s > 0)) return 0;
        return s > 1 ? 1 : (s < 1 ? -1 : 0);
    }
    return s > 0 ? 1 : (s < 0 ? -1 : 0);
}

// Rank sums of the positive and the negative differences. The magnitudes
// of the pairs that take part are ranked among themselves, in the order of
// the magnitude column, equal magnitudes sharing their mid-rank: a zero
// difference takes no rank, so the ranks run 1..n_w as the critical values
// and the normal approximation assume.
void write_signed_rank_test(int c) {
    const int rows = used_rows();
    const int32_t* order = group_summaries[1].order;
    double r_plus = 0;
    double r_minus = 0;
    int n_w = 0;
    int i = 0;
    while (i < rows) {
        const int first = order[i];
        if (first < 0 || first >= rows || signed_rank_sign(first) == 0) {
            ++i;
            continue;
        }
        // The run of equal magnitudes starting here, counting only the pairs
        // that take part.
        const double magnitude = pair_rows[first].value[1];
        int end = i + 1;
        int ties = 1;
        for (; end < rows; ++end) {
            const int r = order[end];
            if (r < 0 || r >= rows) continue;
            if (!(pair_rows[r].value[1] == magnitude)) break;
            if (signed_rank_sign(r) != 0) ++ties;
        }
        const double mid_rank = n_w + (ties + 1) * 0.5;
        for (int k = i; k < end; ++k) {
            const int r = order[k];
            if (r < 0 || r >= rows) continue;
            const int sign = signed_rank_sign(r);
            if (sign > 0) r_plus += mid_rank;
            if (sign < 0) r_minus += mid_rank;
        }
        n_w += ties;
        i = end;
    }
    const double T = r_plus < r_minus ? r_plus : r_minus;

    double p;
    if (n_w > WILCOXON_TABLE_MAX_N) {
        const double n = n_w;
        const double z = (T - n * (n + 1) * 0.25) / std::sqrt(n * (n + 1) * (2 * n + 1) / 24);
        p = p_from_z(z);
    } else {
        p = wilcoxon_table_p(T, n_w);
    }
    set_cell(WILCOXON_P_ROW, c, p);
    set_cell(WILCOXON_N_ROW, c, n_w);
    set_cell(WILCOXON_T_ROW, c, T);
}

}  // namespace

PairedMean paired_mean(bool ratio) {
    const ColumnSummary& g = group_summaries[0];
    const int n = g.n_real;
    const double t95 = t95_for_df(n - 1);
    const double mean = ratio ? g.mean_log : g.mean;
    const double sd = ratio ? g.sd_log : g.sd;
    const double se = is_available(sd) && n > 0 ? sd / std::sqrt(static_cast<double>(n)) : CELL_MISSING;
    const double t = is_available(mean) && is_available(se) ? mean / se : CELL_MISSING;
    const bool limits = is_available(mean) && is_available(se) && is_available(t95);
    return PairedMean{n, mean, se, t, limits ? mean - t95 * se : CELL_MISSING, limits ? mean + t95 * se : CELL_MISSING};
}

double wilcoxon_table_p(double T, int n) {
    if (n < 0 || n > WILCOXON_TABLE_MAX_N || std::isnan(T)) return CELL_MISSING;
    const int32_t* bound = WILCOXON_CRITICAL[n];
    // Too few differences to reach even the widest level.
    if (bound[0] < 0) return CELL_MISSING;
    if (T <= bound[2]) return -0.01;
    if (T <= bound[1]) return -0.02;
    if (T <= bound[0]) return -0.05;
    return WILCOXON_P_ABOVE_BOUNDS[n];
}

void compute_paired_column(int c) {
    if (c <= 0 || c >= MAX_COLUMNS) return;
    write_t_test(c);
    write_signed_rank_test(c);
}
