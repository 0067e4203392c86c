// Column summaries: counts by cell class, ranks with normal scores, centiles,
// mean and spread (plain, or by normal-plot regression when a column holds
// small or big cells) on the linear and the log scale, the values standing
// for small and big cells, deviation from normal, standard errors with 95%
// intervals, and the thirds.
//
// The sums are accumulated over rows in row order, one term at a time, so
// that every run gives the same bits.
#include "stats/column_summary.h"

#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>

#include "stats/distributions.h"

ColumnSummary column_summaries[MAX_COLUMNS];
ColumnSummary group_summaries[2];

namespace {

// min and max of a column without a real value.
constexpr double NO_MIN = +999999998.999;
constexpr double NO_MAX = -999999998.999;

// +-0.43 SD bounds the middle third of a normal distribution.
constexpr double THIRD_BOUND = 0.43;

const double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

// A value that enters the sums: strictly between the small and big markers.
bool is_real(double v) { return v > CELL_SMALL && v < CELL_BIG; }

int rows_to_visit() {
    if (row_count <= 0) return 0;
    return row_count < MAX_ROWS ? row_count : MAX_ROWS;
}

// Sums of the ranking pass: x over real cells, y = ln x and the primed
// z sums over real cells x > 0.
struct RankSums {
    int j = 0;
    double x = 0, x2 = 0, z = 0, z2 = 0, xz = 0;
    int f = 0;
    double y = 0, y2 = 0, zl = 0, zl2 = 0, zy = 0;
};

template <typename Row>
void classify_cells(Row* rows, int c, int n_rows, ColumnSummary& s) {
    s.n_total = 0;
    s.n_positive = 0;
    s.n_small = 0;
    s.n_small_log = 0;
    s.n_big = 0;
    s.min = NO_MIN;
    s.max = NO_MAX;
    for (int r = 0; r < n_rows; ++r) {
        const double v = rows[r].value[c];
        if (is_missing_value(v)) {
            rows[r].value[c] = CELL_MISSING;
            continue;
        }
        ++s.n_total;
        if (v > 0) ++s.n_positive;
        if (v == CELL_SMALL) {
            ++s.n_small;
            ++s.n_small_log;
        } else {
            if (v <= 0) ++s.n_small_log;
            if (v == CELL_BIG) {
                ++s.n_big;
            } else {
                if (v < s.min) s.min = v;
                if (v > s.max) s.max = v;
            }
        }
    }
}

// Tie counts and mid-ranks from the column's order, in which the n_total
// present cells come first, ascending. Equal values form one run; every
// cell of a run has `start` cells below it and `n - end` above it, the very
// counts a comparison with every present cell would give.
template <typename Row>
void rank_from_order(Row* rows, int c, int n_rows, const ColumnSummary& s) {
    const int n = s.n_total;
    int start = 0;
    while (start < n) {
        const int first = s.order[start];
        if (first < 0 || first >= n_rows) return;  // not ordered: nothing sane to read
        const double v = rows[first].value[c];
        int end = start + 1;
        while (end < n) {
            const int row = s.order[end];
            if (row < 0 || row >= n_rows || !(rows[row].value[c] == v)) break;
            ++end;
        }
        const int less = start;
        const int greater = n - end;
        for (int k = start; k < end; ++k) {
            const int row = s.order[k];
            assert(!is_missing_value(rows[row].value[c]));
            rows[row].tie_count[c] = n - less - greater;
            rows[row].rank[c] = static_cast<double>(n + less - greater + 1) / 2.0;
        }
        start = end;
    }
}

// Plotting positions and normal scores of every cell, and the sums over
// real cells, visiting the rows in order.
template <typename Row>
RankSums score_cells(Row* rows, int c, int n_rows, int n) {
    RankSums m;
    for (int r = 0; r < n_rows; ++r) {
        Row& row = rows[r];
        const double x = row.value[c];
        if (is_missing_value(x)) {
            row.rank[c] = 0;
            row.tie_count[c] = 0;
            row.rank_position[c] = 0;
            row.normal_score[c] = CELL_MISSING;
            continue;
        }
        const double position = normal_score_position(row.rank[c], n);
        const double z = position > 0 ? z_from_p(position) : CELL_MISSING;
        row.rank_position[c] = position;
        row.normal_score[c] = z;
        if (!is_real(x)) continue;
        ++m.j;
        m.x += x;
        m.x2 += x * x;
        m.z += z;
        m.z2 += z * z;
        m.xz += x * z;
        if (x > 0) {
            const double y = std::log(x);
            ++m.f;
            m.y += y;
            m.y2 += y * y;
            m.zl += z;
            m.zl2 += z * z;
            m.zy += z * y;
        }
    }
    return m;
}

template <typename Row>
double centile_of(const Row* rows, int c, const ColumnSummary& s, double fraction) {
    const int n = s.n_total;
    if (n < 3 || n > MAX_ROWS) return CELL_MISSING;
    if (!(fraction >= 0.0 && fraction <= 1.0)) return CELL_MISSING;
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
    if (lower_row < 0 || lower_row >= MAX_ROWS || upper_row < 0 || upper_row >= MAX_ROWS)
        return CELL_MISSING;
    const double a = rows[lower_row].value[c];
    const double b = rows[upper_row].value[c];
    if (!is_real(a) || !is_real(b)) return CELL_MISSING;
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

void set_plain_estimates(const RankSums& m, ColumnSummary& s) {
    const double j = m.j;
    s.mean = m.x / j;
    s.sd = std::sqrt((j * m.x2 - m.x * m.x) / (j * (j - 1)));
    const double f = m.f;
    s.mean_log = m.y / f;
    s.sd_log = std::sqrt((f * m.y2 - m.y * m.y) / (f * (f - 1)));
    s.small_value = 0;
    s.small_value_log = 0;
    s.big_value = 0;
    s.big_value_log = 0;
}

// Mean and SD from the normal probability plot: the real values regressed
// on their normal scores (intercept and slope), and the values that stand
// for the small and the big cells from the mean normal score of their ranks.
void set_regression_estimates(const RankSums& m, ColumnSummary& s) {
    const double j = m.j;
    const double d = j * m.z2 - m.z * m.z;
    s.sd = (j * m.xz - m.x * m.z) / d;
    s.mean = (m.x * m.z2 - m.xz * m.z) / d;
    s.small_value = s.n_small > 0
                        ? s.mean + s.sd * mean_normal_score_low(s.n_small, s.n_total)
                        : 0;
    s.big_value = s.n_big > 0
                      ? s.mean + s.sd * mean_normal_score_high(s.n_big, s.n_total)
                      : 0;

    const double f = m.f;
    const double dl = f * m.zl2 - m.zl * m.zl;
    s.sd_log = (f * m.zy - m.y * m.zl) / dl;
    s.mean_log = (m.y * m.zl2 - m.zy * m.zl) / dl;
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
double deviation_from_normal(int count, double sv, double sv2, double sz, double sz2,
                             double svz) {
    double r = 0;
    if (count >= 4) {
        const double k = count;
        r = (k * svz - sv * sz) / (std::sqrt(k * sv2 - sv * sv) * std::sqrt(k * sz2 - sz * sz));
    }
    return 100.0 * (1.0 - r * r);
}

struct Limits {
    double sem, plus_sem, minus_sem, upper, lower;
};

// Standard error and 95% limits of a mean from `count` values. A limit
// whose t or sd is not available is not available either.
Limits mean_limits(double mean, double sd, int count) {
    Limits l;
    l.sem = sd > CELL_MISSING && count >= 2 ? sd / std::sqrt(static_cast<double>(count))
                                            : CELL_MISSING;
    const double t = count >= 3 ? t95_for_df(count - 1) : CELL_MISSING;
    if (sd > CELL_MISSING && t > CELL_MISSING) {
        l.lower = mean - t * l.sem;
        l.upper = mean + t * l.sem;
        l.minus_sem = mean - l.sem;
        l.plus_sem = mean + l.sem;
    } else {
        l.lower = CELL_MISSING;
        l.upper = CELL_MISSING;
        l.minus_sem = CELL_MISSING;
        l.plus_sem = CELL_MISSING;
    }
    return l;
}

// Counts every present cell, markers by their value, into the lower, middle
// or upper third on both scales. A bound that is not a number puts every
// cell into the lower third.
template <typename Row>
void count_thirds(const Row* rows, int c, int n_rows, ColumnSummary& s) {
    const double lo = s.mean - THIRD_BOUND * s.sd;
    const double hi = s.mean + THIRD_BOUND * s.sd;
    const double glo = std::exp(s.mean_log - THIRD_BOUND * s.sd_log);
    const double ghi = std::exp(s.mean_log + THIRD_BOUND * s.sd_log);
    s.n_upper_third = 0;
    s.n_middle_third = 0;
    s.n_lower_third = 0;
    s.n_upper_third_log = 0;
    s.n_middle_third_log = 0;
    s.n_lower_third_log = 0;
    for (int r = 0; r < n_rows; ++r) {
        const double v = rows[r].value[c];
        if (is_missing_value(v)) continue;
        if (!(v >= lo))
            ++s.n_lower_third;
        else if (v > hi)
            ++s.n_upper_third;
        else
            ++s.n_middle_third;
        if (!(v >= glo))
            ++s.n_lower_third_log;
        else if (v > ghi)
            ++s.n_upper_third_log;
        else
            ++s.n_middle_third_log;
    }
}

template <typename Row>
void summarize_column(Row* rows, int c, ColumnSummary& s) {
    const int n_rows = rows_to_visit();
    classify_cells(rows, c, n_rows, s);
    rank_from_order(rows, c, n_rows, s);
    const RankSums m = score_cells(rows, c, n_rows, s.n_total);
    s.n_real = m.j;
    s.n_real_log = m.f;

    set_centiles(rows, c, s);

    if (s.n_small + s.n_big > 0)
        set_regression_estimates(m, s);
    else
        set_plain_estimates(m, s);

    s.deviation_from_normal = deviation_from_normal(m.j, m.x, m.x2, m.z, m.z2, m.xz);
    s.deviation_from_normal_log = deviation_from_normal(m.f, m.y, m.y2, m.zl, m.zl2, m.zy);

    const Limits linear = mean_limits(s.mean, s.sd, m.j);
    s.sem = linear.sem;
    s.mean_plus_sem = linear.plus_sem;
    s.mean_minus_sem = linear.minus_sem;
    s.ci95_upper = linear.upper;
    s.ci95_lower = linear.lower;
    const Limits log = mean_limits(s.mean_log, s.sd_log, m.f);
    s.sem_log = log.sem;
    s.mean_plus_sem_log = log.plus_sem;
    s.mean_minus_sem_log = log.minus_sem;
    s.ci95_upper_log = log.upper;
    s.ci95_lower_log = log.lower;

    count_thirds(rows, c, n_rows, s);
}

}  // namespace

void summarize_columns(bool groups) {
    if (groups) {
        summarize_column(pair_rows, 0, group_summaries[0]);
        summarize_column(pair_rows, 1, group_summaries[1]);
        return;
    }
    const int columns = column_count < MAX_COLUMNS ? column_count : MAX_COLUMNS;
    for (int c = 0; c < columns; ++c) summarize_column(data_rows, c, column_summaries[c]);
}

double centile(int column, double fraction, bool groups) {
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
