// "More statistics" of the descriptive report, one cell per column: the
// Shapiro-Wilk test on the column's measured values (their logarithms, of
// the positive ones, under Log-transformation), as the deviation from
// normality takes them; and the distribution-free interval of the median
// from the order statistics of all present cells, "<" and ">" cells ranked
// below and above every measured value (a limit that falls on one of them
// is not known).
#include <cmath>

#include "analyses/more_rows.h"
#include "stats/median_interval.h"
#include "stats/shapiro_wilk.h"

namespace {

enum Row : int { W, W_P, MEDIAN_LOW, MEDIAN_HIGH, BEYOND_LIMIT, ROW_COUNT };

const MoreRow ROWS[ROW_COUNT] = {
    {"Shapiro-Wilk W", MoreFormat::Estimate},    {"Shapiro-Wilk p", MoreFormat::PValue},
    {"Median 95%CI low", MoreFormat::Estimate},  {"Median 95%CI high", MoreFormat::Estimate},
    {"N beyond a limit", MoreFormat::Count},
};

double values[MAX_ROWS];

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

}  // namespace

bool fill_more_descriptive() {
    if (used_columns() < 1) return false;
    start_more_rows(ROWS, ROW_COUNT, 0);
    for (int c = 0; c < used_columns(); ++c) write_column(c);
    return true;
}
