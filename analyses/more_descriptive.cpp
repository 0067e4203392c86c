// "More statistics" of the descriptive report, one cell per column: the
// Shapiro-Wilk test on the column's measured values (their logarithms, of
// the positive ones, under Log-transformation), as the deviation from
// normality takes them; and the distribution-free interval of the median
// from the order statistics of all present cells, "<" and ">" cells ranked
// below and above every measured value (a limit that falls on one of them
// is not known). When a column holds a "<" or ">" cell, every column also
// gets the rows of its cells with their kept limits: the counts below and
// above a limit, and of the distinct limits.
#include <algorithm>
#include <cmath>

#include "analyses/more_rows.h"
#include "stats/censored_tests.h"
#include "stats/kaplan_meier.h"
#include "stats/median_interval.h"
#include "stats/ros.h"
#include "stats/shapiro_wilk.h"

namespace {

enum Row : int { MORE_DESCRIPTIVE_ROWS(MORE_ROW_ID) ROW_COUNT };
const MoreRow ROWS[ROW_COUNT] = {MORE_DESCRIPTIVE_ROWS(MORE_ROW_ENTRY)};
constexpr int PLAIN_ROW_COUNT = N_BELOW;

// A column's present cells in ascending order (markers by their value),
// read once along its start-up order and shared by every row.
double present[MAX_ROWS];
int present_rows[MAX_ROWS];
double values[MAX_ROWS];
CensoredCell cells[MAX_ROWS];
int by_size[MAX_COLUMNS];

int read_present(int c) { return ordered_column_values(c, [](int, double) { return true; }, present, present_rows); }

void write_column(int c, int present_count) {
    const bool log = log_transform != 0;
    const ColumnSummary& s = column_summaries[c];
    set_more_cell(BEYOND_LIMIT, c, s.n_small + s.n_big);

    int n = 0;
    for (int i = 0; i < present_count; ++i)
        if (is_real_value(present[i]) && (!log || present[i] > 0)) values[n++] = log ? std::log(present[i]) : present[i];
    const ShapiroWilk sw = shapiro_wilk(values, n);
    set_more_cell(W, c, sw.w);
    set_more_cell(W_P, c, sw.p);

    const int k = median_interval_rank(present_count);
    if (k < 1) return;
    const double low = present[k - 1], high = present[present_count - k];
    if (is_real_value(low)) set_more_cell(MEDIAN_LOW, c, low);
    if (is_real_value(high)) set_more_cell(MEDIAN_HIGH, c, high);
}

// The rows of values beyond a limit, from the column's present cells in
// their order: "<" cells, the measured values ascending, ">" cells.
void write_censored_column(int c, int present_count) {
    const ColumnBounds bounds = column_bounds(c);
    int n = 0;
    for (int i = 0; i < present_count; ++i)
        if (read_censored_cell(present_rows[i], c, bounds, cells[n])) ++n;
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
    const int columns = std::min(used_columns(), MAX_COLUMNS);
    // The column summaries count each column's "<" and ">" cells.
    bool censored = false;
    for (int c = 0; c < columns; ++c) censored = censored || column_summaries[c].n_small + column_summaries[c].n_big > 0;
    start_more_rows(ROWS, censored ? ROW_COUNT : PLAIN_ROW_COUNT, 0);
    // Columns with as many values for Shapiro-Wilk share its coefficients,
    // so they are taken one after the other.
    for (int c = 0; c < columns; ++c) by_size[c] = c;
    const bool log = log_transform != 0;
    std::stable_sort(by_size, by_size + columns, [log](int a, int b) {
        const ColumnSummary& x = column_summaries[a];
        const ColumnSummary& y = column_summaries[b];
        return (log ? x.n_real_log : x.n_real) < (log ? y.n_real_log : y.n_real);
    });
    for (int k = 0; k < columns; ++k) {
        const int c = by_size[k];
        const int present_count = read_present(c);
        write_column(c, present_count);
        if (censored) write_censored_column(c, present_count);
    }
    return true;
}
