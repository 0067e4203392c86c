// Column summaries: counts by cell class, ranks with normal scores, centiles,
// mean and spread (plain, or by normal-plot regression when a column holds
// small or big cells) on the linear and the log scale, the values standing
// for small and big cells, deviation from normal, standard errors with 95%
// intervals, and the thirds.
//
// The sums are accumulated over rows in row order, one term at a time, so
// that every run gives the same bits.
#include "stats/column_summary.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>

#include "stats/distance_scale.h"
#include "stats/distributions.h"
#include "stats/ordering.h"

ColumnSummary column_summaries[MAX_COLUMNS];
ColumnSummary group_summaries[2];

namespace {

// min and max of a column without a real value.
constexpr double NO_MIN = +999999998.999;
constexpr double NO_MAX = -999999998.999;

// +-0.43 SD bounds the middle third of a normal distribution.
constexpr double THIRD_BOUND = 0.43;

const double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

// Work arrays of the column being summarised, indexed by row: its values
// (missing cells as CELL_MISSING) and what the ranking finds for each cell.
// The ranking visits the rows in the column's order; here that scatter
// stays within a few kilobytes instead of reaching across the whole table,
// and the rows themselves are then written in row order.
double cell_values[MAX_ROWS];
double cell_ranks[MAX_ROWS];
int32_t cell_ties[MAX_ROWS];
double cell_positions[MAX_ROWS];
double cell_scores[MAX_ROWS];

// Sums of the ranking pass on one scale: over its values v (x of the real
// cells on the linear scale, y = ln x of the real cells x > 0 on the log
// scale) with their normal scores z. The spreads, slopes and correlations
// are taken from the sums of the distances d = v - v0 from the first value,
// which leaves them as they are but keeps them from cancelling: a column of
// one repeated value has a spread of exactly 0 whatever its digits, where
// n Sum v^2 - (Sum v)^2 leaves rounding noise that can read as a
// correlation far beyond 1.
struct ScaleSums {
    int n = 0;
    double v = 0, z = 0, z2 = 0, vz = 0;  // Sum v, Sum z, Sum z^2, Sum v z
    double v0 = 0;                        // the first value
    double d = 0, d2 = 0, dz = 0;         // Sum d, Sum d^2, Sum d z
};

// The sums of both scales, and the largest |d| of the linear one.
struct CellSums {
    ScaleSums linear;
    ScaleSums log;
    double largest_dx = 0;
};

template <typename Row>
void classify_cells(Row* rows, int c, int n_rows, ColumnSummary& s) {
    // Counted without branches: a pair-table column can be half missing
    // cells, in no order.
    int32_t present_cells = 0, positive = 0, small = 0, small_log = 0, big = 0;
    double low = NO_MIN, high = NO_MAX;
    for (int r = 0; r < n_rows; ++r) {
        const double v = rows[r].value[c];
        const bool present = !is_missing_value(v);
        const double kept = present ? v : CELL_MISSING;
        rows[r].value[c] = kept;
        cell_values[r] = kept;
        const bool is_small = v == CELL_SMALL;
        const bool is_big = v == CELL_BIG;
        present_cells += present;
        positive += present && v > 0;
        small += is_small;
        small_log += present && v <= 0;  // the small cells and real values <= 0
        big += is_big;
        const bool real = present && !is_small && !is_big;
        const double candidate_low = real ? v : low;
        const double candidate_high = real ? v : high;
        low = candidate_low < low ? candidate_low : low;
        high = candidate_high > high ? candidate_high : high;
    }
    s.n_total = present_cells;
    s.n_positive = positive;
    s.n_small = small;
    s.n_small_log = small_log;
    s.n_big = big;
    s.min = low;
    s.max = high;
}

// Tie counts, mid-ranks, plotting positions and normal scores from the
// column's order, in which the n_total present cells come first, ascending.
// Equal values form one run; every cell of a run has `start` cells below it
// and `n - end` above it, the very counts a comparison with every present
// cell would give, and so shares one rank, position and score.
void rank_from_order(int n_rows, const ColumnSummary& s) {
    const int n = s.n_total;
    const RankPositions positions = rank_positions(n);
    int start = 0;
    while (start < n) {
        const int first = s.order[start];
        // The column is ordered before it is summarised, so its order lists rows.
        assert(first >= 0 && first < n_rows);
        if (first < 0 || first >= n_rows) return;  // not ordered: nothing sane to read
        const double v = cell_values[first];
        int end = start + 1;
        while (end < n) {
            const int row = s.order[end];
            if (row < 0 || row >= n_rows || !(cell_values[row] == v)) break;
            ++end;
        }
        const int less = start;
        const int greater = n - end;
        const int32_t ties = n - less - greater;
        const double rank = static_cast<double>(n + less - greater + 1) / 2.0;
        const double position = normal_score_position(rank, positions);
        const double z = position > 0 ? z_from_p(position) : CELL_MISSING;
        for (int k = start; k < end; ++k) {
            const int row = s.order[k];
            assert(!is_missing_value(cell_values[row]));
            cell_ties[row] = ties;
            cell_ranks[row] = rank;
            cell_positions[row] = position;
            cell_scores[row] = z;
        }
        start = end;
    }
}

// A value v with normal score z added to the sums of its scale (without
// SCORED only those without z); returns its distance from the first value.
template <bool SCORED>
inline double add_value(ScaleSums& m, double v, double z) {
    if (m.n == 0) m.v0 = v;
    ++m.n;
    m.v += v;
    if (SCORED) {
        m.z += z;
        m.z2 += z * z;
        m.vz += v * z;
    }
    const double d = v - m.v0;
    m.d += d;
    m.d2 += d * d;
    if (SCORED) m.dz += d * z;
    return d;
}

// A real cell x with normal score z added to the sums; without LOG_SCALE
// only to those of the linear scale.
template <bool LOG_SCALE = true, bool SCORED = true>
inline void add_real_cell(CellSums& m, double x, double z) {
    const double dx = add_value<SCORED>(m.linear, x, z);
    m.largest_dx = std::max(m.largest_dx, std::fabs(dx));
    if (LOG_SCALE && x > 0) add_value<SCORED>(m.log, std::log(x), z);
}

// Every cell's companion fields, and the sums over real cells, visiting the
// rows in order.
template <typename Row>
CellSums score_cells(Row* rows, int c, int n_rows) {
    CellSums m;
    for (int r = 0; r < n_rows; ++r) {
        Row& row = rows[r];
        const double x = cell_values[r];
        if (is_missing_value(x)) {
            row.rank[c] = 0;
            row.tie_count[c] = 0;
            row.rank_position[c] = 0;
            row.normal_score[c] = CELL_MISSING;
            continue;
        }
        const double z = cell_scores[r];
        row.rank[c] = cell_ranks[r];
        row.tie_count[c] = cell_ties[r];
        row.rank_position[c] = cell_positions[r];
        row.normal_score[c] = z;
        if (!is_real_value(x)) continue;
        add_real_cell(m, x, z);
    }
    return m;
}

template <typename Row>
double centile_of(const Row* rows, int c, const ColumnSummary& s, double fraction) {
    const int n = s.n_total;
    if (n < 3 || n > MAX_ROWS) return CELL_MISSING;
    if (!(fraction >= 0.0 && fraction <= 1.0)) return CELL_MISSING;
    // Fixed steps that keep centiles off the few extreme values of a small
    // sample: the 10 and 90 centiles need 9 cells, the quartiles 5, the
    // median and the thirds 3.
    if (n <= 4) {
        if (fraction < 0.3 || fraction > 0.7) return CELL_MISSING;
    } else if (n <= 8) {
        if (fraction < 0.2 || fraction > 0.8) return CELL_MISSING;
    } else if (n <= 17) {
        if (fraction < 0.1 || fraction > 0.9) return CELL_MISSING;
    }
    const double pos = fraction * static_cast<double>(n - 1);
    // 0 <= pos <= n - 1 here, so the floor converts safely.
    int i = static_cast<int>(std::floor(pos));
    if (i > n - 2) i = n - 2;
    const double f = pos - static_cast<double>(i);
    const int lower_row = s.order[i];
    const int upper_row = s.order[i + 1];
    assert(lower_row >= 0 && lower_row < MAX_ROWS && upper_row >= 0 && upper_row < MAX_ROWS);
    if (lower_row < 0 || lower_row >= MAX_ROWS || upper_row < 0 || upper_row >= MAX_ROWS)
        return CELL_MISSING;
    const double a = rows[lower_row].value[c];
    const double b = rows[upper_row].value[c];
    if (!is_real_value(a) || !is_real_value(b)) return CELL_MISSING;
    return a + f * (b - a);
}

template <typename Row>
void set_centiles(const Row* rows, int c, ColumnSummary& s) {
    s.centile_10 = centile_of(rows, c, s, 0.1);
    s.centile_25 = centile_of(rows, c, s, 0.25);
    s.centile_33 = centile_of(rows, c, s, 0.333);
    s.median = centile_of(rows, c, s, 0.5);
    s.centile_67 = centile_of(rows, c, s, 0.667);
    s.centile_75 = centile_of(rows, c, s, 0.75);
    s.centile_90 = centile_of(rows, c, s, 0.9);
    if (s.n_total >= 6) {
        const double n = s.n_total;
        s.median_minus_se = centile_of(rows, c, s, 0.5 - std::sqrt(0.25 * n) / n);
        s.median_plus_se = centile_of(rows, c, s, 0.5 + std::sqrt(0.25 * n) / n + 1.0 / n);
    } else {
        s.median_minus_se = CELL_MISSING;
        s.median_plus_se = CELL_MISSING;
    }
}

// The plain mean and SD of one scale's values.
void plain_line(const ScaleSums& m, double& mean, double& sd) {
    const double n = m.n;
    mean = m.v / n;
    sd = std::sqrt((n * m.d2 - m.d * m.d) / (n * (n - 1)));
}

void set_plain_estimates(const CellSums& m, ColumnSummary& s) {
    plain_line(m.linear, s.mean, s.sd);
    plain_line(m.log, s.mean_log, s.sd_log);
    s.small_value = 0;
    s.small_value_log = 0;
    s.big_value = 0;
    s.big_value_log = 0;
}

// Mean and SD from the normal probability plot: the real values regressed
// on their normal scores (intercept and slope), and the values that stand
// for the small and the big cells from the mean normal score of their ranks.
// The intercept and slope of one scale's plot: its mean and sd.
void regression_line(const ScaleSums& m, double& mean, double& sd) {
    const double n = m.n;
    const double spread = n * m.z2 - m.z * m.z;
    sd = (n * m.dz - m.d * m.z) / spread;
    mean = (m.v * m.z2 - m.vz * m.z) / spread;
}

void set_regression_estimates(const CellSums& m, ColumnSummary& s) {
    regression_line(m.linear, s.mean, s.sd);
    s.small_value = s.n_small > 0
                        ? s.mean + s.sd * mean_normal_score_low(s.n_small, s.n_total)
                        : 0;
    s.big_value = s.n_big > 0
                      ? s.mean + s.sd * mean_normal_score_high(s.n_big, s.n_total)
                      : 0;

    regression_line(m.log, s.mean_log, s.sd_log);
    // Without a positive cell there is no log scale (and F = 0 already made
    // mean_log a NaN); the mean normal score needs at least one rank.
    if (s.n_small_log > 0) {
        s.small_value_log =
            s.n_positive > 0
                ? std::exp(s.mean_log + s.sd_log * mean_normal_score_low(s.n_small_log, s.n_positive))
                : NOT_A_NUMBER;
    } else {
        s.small_value_log = 0;
    }
    s.big_value_log = s.n_big > 0
                          ? std::exp(s.mean_log + s.sd_log * mean_normal_score_high(s.n_big, s.n_positive))
                          : 0;
}

// 100 (1 - r^2), r the correlation of the values with their normal scores;
// r = 0 below four values.
double deviation_from_normal(int count, double sv, double sv2, double sz, double sz2, double svz) {
    double r = 0;
    if (count >= 4) {
        const double k = count;
        r = (k * svz - sv * sz) / (std::sqrt(k * sv2 - sv * sv) * std::sqrt(k * sz2 - sz * sz));
    }
    // Values exactly linear in their scores (a column of two tied groups, say)
    // can give r a rounding beyond +-1; no deviation is below none.
    const double deviation = 100.0 * (1.0 - r * r);
    return deviation < 0.0 ? 0.0 : deviation;
}

// The deviation from normal of the real cells, from their distances to the
// first real value, scaled when they are tiny (values 1e-170 apart gave 0
// where the same values times 1e170 give 1.6473); the correlation does not
// depend on the scale.
double deviation_from_normal_linear(int n_rows, const CellSums& m) {
    const ScaleSums& l = m.linear;
    const int scale = distance_scale(m.largest_dx);
    if (scale == 0) return deviation_from_normal(l.n, l.d, l.d2, l.z, l.z2, l.dz);
    double sv = 0, sv2 = 0, svz = 0;
    for (int r = 0; r < n_rows; ++r) {
        const double x = cell_values[r];
        if (!is_real_value(x)) continue;
        const double v = std::ldexp(x - l.v0, scale);
        sv += v;
        sv2 += v * v;
        svz += v * cell_scores[r];
    }
    return deviation_from_normal(l.n, sv, sv2, l.z, l.z2, svz);
}

// Standard error and 95% limits of a mean from `count` values. A limit
// whose t or sd is not available is not available either.
void set_mean_limits(double mean, double sd, int count, double& sem, double& plus_sem, double& minus_sem,
                     double& upper, double& lower) {
    sem = sd > CELL_MISSING && count >= 2 ? sd / std::sqrt(static_cast<double>(count)) : CELL_MISSING;
    const double t = count >= 3 ? t95_for_df(count - 1) : CELL_MISSING;
    const bool limits = sd > CELL_MISSING && t > CELL_MISSING;
    lower = limits ? mean - t * sem : CELL_MISSING;
    upper = limits ? mean + t * sem : CELL_MISSING;
    minus_sem = limits ? mean - sem : CELL_MISSING;
    plus_sem = limits ? mean + sem : CELL_MISSING;
}

// Counts every present cell, markers by their value, into the lower, middle
// or upper third on both scales. A bound that is not a number puts every
// cell into the lower third. (Counted without branches: the thirds of
// scattered values defeat branch prediction.)
void count_thirds(int n_rows, ColumnSummary& s) {
    double lo = s.mean - THIRD_BOUND * s.sd;
    double hi = s.mean + THIRD_BOUND * s.sd;
    // No spread: both bounds are the mean, which the sum's rounding can put
    // a unit of the last place beside the column's one value (nine cells of
    // 3.7 have the mean 3.6999999999999997), so the bounds are widened to
    // every real value; the markers stay outside.
    if (s.sd == 0) {
        lo = std::nextafter(CELL_SMALL, 0.0);
        hi = std::nextafter(CELL_BIG, 0.0);
    }
    double glo = std::exp(s.mean_log - THIRD_BOUND * s.sd_log);
    double ghi = std::exp(s.mean_log + THIRD_BOUND * s.sd_log);
    // No spread of the logarithms: both bounds are the column's one value,
    // but exp(ln v) rounds to a neighbour of v, so the bounds are widened to
    // every positive real value; values <= 0 and the markers stay outside.
    if (s.sd_log == 0) {
        glo = std::numeric_limits<double>::denorm_min();
        ghi = std::nextafter(CELL_BIG, 0.0);
    }
    int32_t present = 0, lower = 0, upper = 0, lower_log = 0, upper_log = 0;
    for (int r = 0; r < n_rows; ++r) {
        const double v = cell_values[r];
        const int32_t counted = !is_missing_value(v);
        const int32_t below = !(v >= lo);
        const int32_t below_log = !(v >= glo);
        present += counted;
        lower += counted & below;
        upper += counted & (below ^ 1) & (v > hi);
        lower_log += counted & below_log;
        upper_log += counted & (below_log ^ 1) & (v > ghi);
    }
    s.n_lower_third = lower;
    s.n_upper_third = upper;
    s.n_middle_third = present - lower - upper;
    s.n_lower_third_log = lower_log;
    s.n_upper_third_log = upper_log;
    s.n_middle_third_log = present - lower_log - upper_log;
}

// The sums of score_cells over the real cells, from the same terms in the
// same order; those of y = ln x only with `log_scale`, those with the
// normal scores only when SCORED (the plain estimates need no rank).
template <bool SCORED>
CellSums real_cell_sums(int n_rows, bool log_scale) {
    CellSums m;
    for (int r = 0; r < n_rows; ++r) {
        const double x = cell_values[r];
        if (!is_real_value(x)) continue;
        const double z = SCORED ? cell_scores[r] : 0.0;
        if (log_scale)
            add_real_cell<true, SCORED>(m, x, z);
        else
            add_real_cell<false, SCORED>(m, x, z);
    }
    return m;
}

template <typename Row>
void summarize_column(Row* rows, int c, ColumnSummary& s) {
    const int n_rows = used_rows();
    classify_cells(rows, c, n_rows, s);
    rank_from_order(n_rows, s);
    const CellSums m = score_cells(rows, c, n_rows);
    s.n_real = m.linear.n;
    s.n_real_log = m.log.n;

    set_centiles(rows, c, s);

    if (s.n_small + s.n_big > 0)
        set_regression_estimates(m, s);
    else
        set_plain_estimates(m, s);

    s.deviation_from_normal = deviation_from_normal_linear(n_rows, m);
    const ScaleSums& l = m.log;
    s.deviation_from_normal_log = deviation_from_normal(l.n, l.d, l.d2, l.z, l.z2, l.dz);

    set_mean_limits(s.mean, s.sd, m.linear.n, s.sem, s.mean_plus_sem, s.mean_minus_sem, s.ci95_upper,
                    s.ci95_lower);
    set_mean_limits(s.mean_log, s.sd_log, m.log.n, s.sem_log, s.mean_plus_sem_log, s.mean_minus_sem_log,
                    s.ci95_upper_log, s.ci95_lower_log);

    count_thirds(n_rows, s);
}

}  // namespace

void summarize_group(int g, unsigned fields, const int32_t* data_order) {
    if (g < 0 || g >= 2) return;
    ColumnSummary& s = group_summaries[g];
    const int n_rows = used_rows();
    bool markers = false;
    for (int r = 0; r < n_rows; ++r) markers = markers || is_marker(pair_rows[r].value[g]);
    // Ordered before the missing cells are rewritten, as order_pair_columns()
    // orders them before summarize_columns(true).
    const bool ordered = markers || (fields & GROUP_MEDIAN) != 0;
    if (ordered) order_pair_column(g, data_order);
    classify_cells(pair_rows, g, n_rows, s);
    // With small or big cells the estimates come from the normal plot, as
    // set_regression_estimates makes them (the values standing for those
    // cells are not read by a comparison): ranks and normal scores first.
    const bool from_plot = s.n_small + s.n_big > 0;
    const bool log_scale = (fields & GROUP_LOG_ESTIMATES) != 0;
    if (from_plot) rank_from_order(n_rows, s);
    const CellSums m = from_plot ? real_cell_sums<true>(n_rows, log_scale) : real_cell_sums<false>(n_rows, log_scale);
    s.n_real = m.linear.n;
    s.n_real_log = m.log.n;
    if (!from_plot) {
        set_plain_estimates(m, s);
    } else {
        regression_line(m.linear, s.mean, s.sd);
        if (log_scale) regression_line(m.log, s.mean_log, s.sd_log);
    }
    if ((fields & GROUP_MEDIAN) != 0) s.median = centile_of(pair_rows, g, s, 0.5);
}

void summarize_columns(bool groups) {
    if (groups) {
        summarize_column(pair_rows, 0, group_summaries[0]);
        summarize_column(pair_rows, 1, group_summaries[1]);
        return;
    }
    const int columns = used_columns();
    for (int c = 0; c < columns; ++c) summarize_column(data_rows, c, column_summaries[c]);
}

double centile(int column, double fraction, bool groups) {
    assert(column >= 0 && column < (groups ? 2 : MAX_COLUMNS));
    if (groups) {
        if (column < 0 || column >= 2) return CELL_MISSING;
        return centile_of(pair_rows, column, group_summaries[column], fraction);
    }
    if (column < 0 || column >= MAX_COLUMNS) return CELL_MISSING;
    return centile_of(data_rows, column, column_summaries[column], fraction);
}

void reset_column_summaries() {
    std::memset(column_summaries, 0, sizeof column_summaries);
    std::memset(group_summaries, 0, sizeof group_summaries);
}
