// Column summaries: one record per column with every statistic the analyses
// print about a single column, and on the way each present cell's rank, tie
// count, plotting position and normal score.
//
// Small cells ("<" labels) rank below and big cells (">" labels) above every
// real value but never enter sums. When a column holds any of them, mean and
// SD come from a normal probability plot: the real values regressed on their
// normal scores. Every statistic also exists on the natural-log scale, where
// real values <= 0 join the small cells.
#pragma once

#include <cstdint>

#include "worksheet/data_table.h"

struct ColumnSummary {
    int32_t order[MAX_ROWS];  // row indices in ascending order, missing cells last
    int32_t n_total;          // present cells (real, small and big)
    int32_t n_positive;       // present cells > 0, big cells included
    int32_t n_real;
    int32_t n_real_log;       // real cells > 0
    int32_t n_small;
    int32_t n_small_log;      // small cells and real cells <= 0
    int32_t n_big;
    int32_t n_upper_third;
    int32_t n_middle_third;
    int32_t n_lower_third;
    int32_t n_upper_third_log;
    int32_t n_middle_third_log;
    int32_t n_lower_third_log;
    double min;               // +999999998.999 when there is no real value
    double max;               // -999999998.999 when there is no real value
    double mean;
    double mean_log;          // ln scale
    double small_value;       // stands for each small cell; 0 when none
    double small_value_log;   // back-transformed
    double big_value;
    double big_value_log;     // back-transformed
    double sd;
    double sd_log;
    double sem;
    double sem_log;
    double mean_plus_sem;
    double mean_plus_sem_log;
    double mean_minus_sem;
    double mean_minus_sem_log;
    double ci95_upper;
    double ci95_upper_log;
    double ci95_lower;
    double ci95_lower_log;
    double deviation_from_normal;
    double deviation_from_normal_log;
    double centile_10;
    double centile_25;
    double centile_33;
    double median;
    double centile_67;
    double centile_75;
    double centile_90;
    double median_plus_se;
    double median_minus_se;
};

// One per data-table column, computed at start-up and read-only afterwards.
extern ColumnSummary column_summaries[MAX_COLUMNS];
// One per pair-table column, recomputed whenever an analysis fills the pair table.
extern ColumnSummary group_summaries[2];

// groups false: data-table columns into the column summaries; groups true:
// both pair-table columns into the group summaries. The same set must have
// been ordered first (order_data_columns or order_pair_columns).
void summarize_columns(bool groups);

// What a comparison reads of a group summary, each as summarize_columns(true)
// computes it, to the bit.
enum GroupFields : unsigned {
    GROUP_ESTIMATES = 1,      // mean and sd
    GROUP_LOG_ESTIMATES = 2,  // mean_log and sd_log
    GROUP_MEDIAN = 4,         // median, with the group ordered
};

// Orders (as order_pair_columns() does) and summarises pair-table column g into
// group summary g as far as a comparison reads it: the counts (n_real_log
// with the log estimates), min and max, and the `fields` asked for; `order`
// whenever the median is asked for or the column holds small or big cells.
// The other fields of the summary and the rank fields of the pair table are
// not written. The column is ordered only where its estimates depend on
// ranks, so a column without small and big cells takes one pass when its
// median is not asked for. `data_order` is passed on to order_pair_column.
void summarize_group(int g, unsigned fields, const int32_t* data_order = nullptr);

// Interpolated centile of one column of a set at `fraction`, or CELL_MISSING
// when the column has too few present cells for that fraction or a
// neighbour is not a real value.
double centile(int column, double fraction, bool groups);

// The value a cell of the summarised column stands for where a number is
// needed: a small or big cell becomes small_value / big_value, on the log
// scale small_value_log / big_value_log; any other value is itself.
inline double marker_substitute(double v, const ColumnSummary& s, bool log_scale) {
    if (v == CELL_SMALL) return log_scale ? s.small_value_log : s.small_value;
    if (v == CELL_BIG) return log_scale ? s.big_value_log : s.big_value;
    return v;
}

// Puts both sets back into their process-start state.
void reset_column_summaries();
