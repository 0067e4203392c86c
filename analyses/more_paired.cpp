// "More statistics" of the paired comparison: the differences y - x of
// every compared column against the first, as the comparison forms them
// (markers replaced by the columns' estimates; one "<" and one ">" cell
// make a difference beyond every measured one, which no statistic on
// values uses and the signed-rank test leaves out as the comparison's own
// does), and in ratio mode the logarithms of y / x. When a column holds a
// "<" or ">" cell, also the sign test on the pairs whose sign is known from
// the cells with their kept limits.
#include <algorithm>
#include <cmath>

#include "analyses/kept_estimates.h"
#include "analyses/more_rows.h"
#include "analyses/paired.h"
#include "stats/censored_tests.h"
#include "stats/hodges_lehmann.h"
#include "stats/mid_ranks.h"
#include "stats/rank_distributions.h"
#include "stats/sorted_copy.h"
#include "stats/t_statistics.h"

namespace {

enum Row : int { MORE_PAIRED_ROWS(MORE_ROW_ID) ROW_COUNT };
const MoreRow ROWS[ROW_COUNT] = {MORE_PAIRED_ROWS(MORE_ROW_ENTRY)};
constexpr int PLAIN_ROW_COUNT = KNOWN_SIGN;

// The non-zero differences (log ratios in ratio mode): by magnitude with
// their doubled mid-ranks, and by value (in row order until sorted) for the
// Walsh averages.
double by_magnitude[MAX_ROWS];
int ranks2[MAX_ROWS];
double by_value[MAX_ROWS];
// The first column's cells with their limits by row (read once per
// report), and the cells of the pairs one sign test takes.
CensoredCell first_cells[MAX_ROWS];
bool first_present[MAX_ROWS];
CensoredCell x_cells[MAX_ROWS];
CensoredCell y_cells[MAX_ROWS];

// dz, and the agreement of the two columns, from the comparison's mean and
// SD of the differences.
void write_value_statistics(int c, const GroupEstimate& differences) {
    const int n = differences.n;
    const double mean = differences.mean;
    const double sd = differences.sd;
    if (n < 3 || !is_available(mean) || !is_available(sd)) return;
    set_more_cell(BIAS, c, shown(mean));
    set_more_cell(SD, c, sd);
    set_more_cell(LOWER_LOA, c, shown(mean - 1.96 * sd));
    set_more_cell(UPPER_LOA, c, shown(mean + 1.96 * sd));
    set_more_cell(LOA_HALF_WIDTH, c, t_quantile(0.975, n - 1) * std::sqrt(3 * sd * sd / n));
    if (!(sd > 0)) return;
    const double dz = mean / sd;
    const double root_n = std::sqrt(static_cast<double>(n));
    const Interval ncp = noncentral_t_interval(dz * root_n, n - 1);
    set_more_cell(DZ, c, dz);
    set_more_cell(DZ_LOW, c, ncp.low / root_n);
    set_more_cell(DZ_HIGH, c, ncp.high / root_n);
}

// The differences that take part in the signed-rank test; the count.
int signed_rank_differences(int c) {
    int n = 0;
    int beyond = 0;
    for (int r = 0; r < used_rows(); ++r) {
        const double s = pair_rows[r].value[0];
        if (is_missing_value(s)) continue;
        if (is_marker(data_rows[r].value[0]) || is_marker(data_rows[r].value[c])) ++beyond;
        if (!is_real_value(s)) continue;
        const double d = log_scale_mode() ? (s > 0 ? std::log(s) : std::nan("")) : s;
        if (d == 0 || !std::isfinite(d)) continue;
        by_value[n++] = d;
    }
    set_more_cell(BEYOND_LIMIT, c, beyond);
    return n;
}

// The Walsh-average estimate and its interval, as the non-paired shift's,
// from the differences by value.
void write_estimate(int c, int n, bool exact_untied) {
    const long long count = static_cast<long long>(n) * (n + 1) / 2;
    long long rank = 0;
    if (exact_untied) {
        rank = signed_rank_interval_rank(n);
    } else {
        const double dn = n;
        const double ties = tie_sum(by_value, n);
        const double sigma = std::sqrt(dn * (dn + 1) * (2 * dn + 1) / 24 - ties / 48);
        rank = normal_interval_rank(count, sigma);
    }
    const HodgesLehmann hl = walsh_average_estimate(by_value, n, rank);
    set_more_cell(HL_ESTIMATE, c, shown(hl.estimate));
    if (rank < 1 || rank > count) return;
    set_more_cell(HL_LOW, c, shown(hl.low));
    set_more_cell(HL_HIGH, c, shown(hl.high));
}

// Sorts by_value, and lists the same differences by magnitude: the
// negative ones from the last down merged with the positive ones up (no
// difference is zero).
void sort_by_value(int n) {
    // The radix sort of the sorted copy takes no branch on the data: about
    // four times quicker here than a comparison sort, for more instructions.
    if (sort_copy(by_value, n)) {
        for (int i = 0; i < n; ++i) by_magnitude[i] = by_value[sorted_copy.from[i]];
        std::copy(by_magnitude, by_magnitude + n, by_value);
    } else {
        std::sort(by_value, by_value + n);
    }
    int negative = static_cast<int>(std::lower_bound(by_value, by_value + n, 0.0) - by_value);
    int positive = negative;
    for (int i = 0; i < n; ++i)
        by_magnitude[i] = positive == n || (negative > 0 && -by_value[negative - 1] <= by_value[positive])
                              ? by_value[--negative]
                              : by_value[positive++];
}

void write_signed_rank(int c) {
    const int n = signed_rank_differences(c);
    if (n < 3) return;
    sort_by_value(n);
    long long v2 = 0;  // doubled sum of the positive ranks
    double ties = 0;
    int start = 0;
    for (int i = 1; i <= n; ++i) {
        if (i < n && std::fabs(by_magnitude[i]) == std::fabs(by_magnitude[start])) continue;
        for (int k = start; k < i; ++k) {
            ranks2[k] = start + 1 + i;
            if (by_magnitude[k] > 0) v2 += ranks2[k];
        }
        const double t = i - start;
        ties += t * t * t - t;
        start = i;
    }
    const double dn = n;
    const double v = static_cast<double>(v2) / 2.0;
    const double all = dn * (dn + 1) / 2;
    const bool exact = n <= EXACT_RANK_MAX_N;
    double p;
    if (exact) {
        p = signed_rank_exact_p(ranks2, n, static_cast<int>(v2));
    } else {
        const double sigma = std::sqrt(dn * (dn + 1) * (2 * dn + 1) / 24 - ties / 48);
        p = continuity_corrected_p(v, all / 2, sigma);
    }
    set_more_cell(V, c, v);
    set_more_cell(V_P, c, p);
    set_more_cell(V_METHOD, c, exact ? (ties > 0 ? METHOD_EXACT_TIES : METHOD_EXACT) : METHOD_NORMAL);
    set_more_cell(MATCHED_R, c, (v - (all - v)) / all);
    write_estimate(c, n, exact && ties == 0);
}

// The sign test on the pairs' cells with their kept limits.
void write_sign_test(int c) {
    const ColumnBounds& bounds = more_column_bounds(c);
    int n = 0;
    for (int r = 0; r < used_rows(); ++r)
        if (first_present[r] && read_censored_cell(r, c, bounds, y_cells[n])) x_cells[n++] = first_cells[r];
    const SignResult sign = censored_sign_test(x_cells, y_cells, n);
    set_more_cell(KNOWN_SIGN, c, sign.pairs);
    set_more_cell(SIGN_P, c, censored_result(sign.p));
}

}  // namespace

bool fill_more_paired() {
    if (used_columns() < 2 || used_rows() < 3) return false;
    const bool censored = find_censored_columns(0);
    start_more_rows(ROWS, censored ? ROW_COUNT : PLAIN_ROW_COUNT, 1);
    if (censored)
        for (int r = 0; r < used_rows(); ++r)
            first_present[r] = read_censored_cell(r, 0, more_column_bounds(0), first_cells[r]);
    // The comparison's estimates of the differences when it has just run on
    // this worksheet, else made here as it makes them.
    const ColumnGroupEstimates* kept = kept_group_estimates(KeptFor{KeptBy::Paired, 0, 0});
    const unsigned fields = log_scale_mode() ? GROUP_LOG_ESTIMATES : GROUP_ESTIMATES;
    for (int c = 1; c < used_columns(); ++c) {
        build_paired_differences(c);
        if (kept == nullptr) summarize_group(0, fields);
        write_value_statistics(c, kept != nullptr ? kept[c][0] : group_estimate(0));
        write_signed_rank(c);
        if (censored) write_sign_test(c);
    }
    return true;
}
