// The Spearman analysis: the rank correlation, corrected for ties, of every
// pair of data columns, laid out as the Pearson report with two more rows
// of tie totals under extra output.
#pragma once

#include <cstdint>

#include "analyses/correlation_report.h"
#include "platform/platform.h"

// The rows of the report.
REPORT_ROW_TABLE(SPEARMAN_REPORT, correlation_rows, CORRELATION_REPORT_ROWS(REPORT_ROW_ENTRIES, "Rho", Extra));

// Checks the input, computes every pair, writes and publishes the report.
// ANALYSIS_TOO_FEW_COLUMNS / ANALYSIS_TOO_FEW_ROWS after their message,
// ANALYSIS_PUBLISH_FAILED when the text could not be put on the clipboard,
// else ANALYSIS_OK.
int run_spearman_analysis(platform::WindowHandle owner);

// Rho from the pair count n, the tie sums q of x and y (the sum of t^3 - t
// over tie groups of size t) and the sum d of squared rank differences over
// the complete pairs; CELL_MISSING when the ranks of x or of y do not vary.
double rho_of(int64_t n, int64_t qx, int64_t qy, double d);

// "Spearman", the main rows, with extra output the tie rows and the matrix.
void write_spearman_report();
