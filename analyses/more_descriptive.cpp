// "More statistics" of the descriptive report, one cell per column: the
// Shapiro-Wilk test on the column's measured values (their logarithms, of
// the positive ones, under Log-transformation), as the deviation from
// normality takes them; and the distribution-free interval of the median
// from the order statistics of all present cells, "<" and ">" cells ranked
// below and above every measured value (a limit that falls on one of them
// is not known). When a column holds a "<" or ">" cell, every column also
// gets the rows of its cells with their kept limits: the counts below and
// above a limit, and of the distinct limits.
#include <cmath>

#include "analyses/more_rows.h"
#include "stats/censored_tests.h"
#include "stats/kaplan_meier.h"
#include "stats/median_interval.h"
#include "stats/ros.h"
#include "stats/shapiro_wilk.h"

namespace {

// The rows in order; those of values beyond a limit from N_BELOW on. The
// estimates of a column's distribution from its cells with their limits
// (stats/kaplan_meier.h, stats/ros.h) take the commented lines: each row
// is its line here and its cell in write_censored_column.
#define DESCRIPTIVE_ROWS(X)                        \
    X(W, "Shapiro-Wilk W", Estimate)               \
    X(W_P, "Shapiro-Wilk p", PValue)               \
    X(MEDIAN_LOW, "Median 95%CI low", Estimate)    \
    X(MEDIAN_HIGH, "Median 95%CI high", Estimate)  \
    X(BEYOND_LIMIT, "N beyond a limit", Count)     \
    X(N_BELOW, "N below a limit", Count)           \
    X(N_ABOVE, "N above a limit", Count)           \
    X(DISTINCT_LIMITS, "Distinct limits", Count)   \
    X(KM_MEDIAN, "KM median", Estimate)            \
    X(KM_25, "KM 25 centile", Estimate)            \
    X(KM_75, "KM 75 centile", Estimate)            \
    X(ROS_MEAN, "ROS mean", Estimate)              \
    X(ROS_SD, "ROS SD", Estimate)                  \
    X(ROS_MEDIAN, "ROS median", Estimate)

enum Row : int { DESCRIPTIVE_ROWS(MORE_ROW_ID) ROW_COUNT };
const MoreRow ROWS[ROW_COUNT] = {DESCRIPTIVE_ROWS(MORE_ROW_ENTRY)};
constexpr int PLAIN_ROW_COUNT = N_BELOW;

double values[MAX_ROWS];
CensoredCell cells[MAX_ROWS];

void write_column(int c) {
    const bool log = log_transform != 0;
    const ColumnSummary& s = column_summaries[c];
    set_more_cell(BEYOND_LIMIT, c, s.n_small + s.n_big);

    const int n = ordered_column_values(
        c, [log](int, double v) { return is_real_value(v) && (!log || v > 0); }, values, nullptr);
    if (log)
        for (int i = 0; i < n; ++i) values[i] = std::log(values[i]);
    const ShapiroWilk sw = shapiro_wilk(values, n);
    set_more_cell(W, c, sw.w);
    set_more_cell(W_P, c, sw.p);

    const int present = ordered_column_values(c, [](int, double) { return true; }, values, nullptr);
    const int k = median_interval_rank(present);
    if (k < 1) return;
    const double low = values[k - 1], high = values[present - k];
    if (is_real_value(low)) set_more_cell(MEDIAN_LOW, c, low);
    if (is_real_value(high)) set_more_cell(MEDIAN_HIGH, c, high);
}

// The rows of values beyond a limit, from the column's present cells.
void write_censored_column(int c) {
    int n = 0;
    for (int r = 0; r < used_rows(); ++r)
        if (read_censored_cell(r, c, more_column_bounds(c), cells[n])) ++n;
    const CensoredCounts counts = censored_counts(cells, n);
    set_more_cell(N_BELOW, c, counts.below);
    set_more_cell(N_ABOVE, c, counts.above);
    set_more_cell(DISTINCT_LIMITS, c, counts.distinct_limits);
    // The estimates of the distribution from the same cells; a NaN prints
    // "#n/a" (a centile not reached, ROS where it does not apply).
    const KmCentiles km = km_centiles(cells, n);
    set_more_cell(KM_MEDIAN, c, km.median);
    set_more_cell(KM_25, c, km.p25);
    set_more_cell(KM_75, c, km.p75);
    const RosResult ros = ros_estimates(cells, n);
    set_more_cell(ROS_MEAN, c, ros.mean);
    set_more_cell(ROS_SD, c, ros.sd);
    set_more_cell(ROS_MEDIAN, c, ros.median);
}

}  // namespace

bool fill_more_descriptive() {
    if (used_columns() < 1) return false;
    const bool censored = find_censored_columns(0);
    start_more_rows(ROWS, censored ? ROW_COUNT : PLAIN_ROW_COUNT, 0);
    for (int c = 0; c < used_columns(); ++c) {
        write_column(c);
        if (censored) write_censored_column(c);
    }
    return true;
}
