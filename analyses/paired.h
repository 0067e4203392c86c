// The paired comparison: every column after the first against the first,
// row by row, by a paired t-test and a Wilcoxon signed-rank test on the
// differences, or with the Log-transformation option (ratio mode) on the
// ratios, the t-test then on their logarithms. One result column per
// compared column.
#pragma once

#include "analyses/report_rows.h"
#include "analyses/report_table.h"
#include "platform/platform.h"

// The report's rows, listed in report_rows.h, as ids and a table.
REPORT_ROW_ENUM(paired_rows, Row, PAIRED_REPORT_ROWS(REPORT_ROW_IDS))
REPORT_ROW_TABLE(PAIRED_REPORT, paired_rows, PAIRED_REPORT_ROWS(REPORT_ROW_ENTRIES));

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

// The t-test's estimates from the summary of the differences (group
// summary 0), on the test's scale (the log scale in ratio mode):
// CELL_MISSING where one is not available. One difference has a mean but
// no spread, and so no SE, t or limits.
struct PairedMean {
    int n;
    double mean, se, t, lower, upper;
};
PairedMean paired_mean(bool ratio);

// The t-test and the signed-rank test of compared column c from the ordered
// and summarised pair table, into result column c, rows 0..4 and 6..10.
void compute_paired_column(int c);

// The p code of the signed-rank sum T of n non-zero differences, n 6..25: a
// negative -a means p is below a; a value >= 0 is p itself. CELL_MISSING for
// other n (five or fewer differences reach no two-sided level) and for a T
// that is not a number.
double wilcoxon_table_p(double T, int n);


// "Paired" and rows 0..4, then with extra output rows 6..10; without it the
// text ends after the last cell of row 4.
void write_paired_report();
