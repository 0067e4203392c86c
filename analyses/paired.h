// The paired comparison: every column after the first against the first,
// row by row, by a paired t-test and a Wilcoxon signed-rank test on the
// differences, or with the Log-transformation option (ratio mode) on the
// ratios, the t-test then on their logarithms. One result column per
// compared column.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Result rows of the report. Row 5 is never printed.
constexpr int PAIRED_LAST_MAIN_ROW = 4;
constexpr int PAIRED_FIRST_EXTRA_ROW = 6;
constexpr int PAIRED_LAST_EXTRA_ROW = 10;

// Largest number of non-zero differences whose signed-rank p comes from the
// critical values; above it the normal approximation is used.
constexpr int WILCOXON_TABLE_MAX_N = 25;

// Per n = 0..25, the largest rank sum T that is significant (two-sided) at
// 0.05, 0.02 and 0.01, in that order. Rows below 7 hold no bound.
extern const int32_t WILCOXON_CRITICAL[WILCOXON_TABLE_MAX_N + 1][3];

// Checks the input, compares every column after the first with the first
// and publishes the report. ANALYSIS_TOO_FEW_COLUMNS or
// ANALYSIS_TOO_FEW_ROWS after the message box; ANALYSIS_OK once the text is
// on the clipboard, ANALYSIS_PUBLISH_FAILED when it could not be put there.
int run_paired_analysis(platform::WindowHandle owner);

// Pair table column 0 gets the signed value of each row (y - x, in ratio
// mode y / x), column 1 its magnitude; markers are replaced by their
// column's substitute values first. A pair with no usable value is
// CELL_MISSING in both columns.
void build_paired_differences(int c);

// The t-test and the signed-rank test of compared column c from the ordered
// and summarised pair table, into result column c, rows 0..4 and 6..10.
void compute_paired_column(int c);

// The p code of the signed-rank sum T of n non-zero differences, n 6..25: a
// negative -a means p is below a; a value >= 0 is p itself. CELL_MISSING for
// other n (five or fewer differences reach no two-sided level) and for a T
// that is not a number.
double wilcoxon_table_p(double T, int n);

// Labels of rows 0..4 and 6..10; rows 0 and 7 depend on ratio mode.
void set_paired_labels();

// "Paired" and rows 0..4, then with extra output rows 6..10; without it the
// text ends after the last cell of row 4.
void write_paired_report();
