// The Pearson analysis: the product-moment correlation of every pair of
// data columns; the report gives each column's coefficient with the first
// column, its 95% interval, p and pair count, and with extra output the
// matrix of coefficients and pair counts.
#pragma once

#include "analyses/correlation_report.h"
#include "platform/platform.h"

// The rows of the report.
REPORT_ROW_TABLE(PEARSON_REPORT, correlation_rows, CORRELATION_REPORT_ROWS(REPORT_ROW_ENTRIES, "Pearson R", Never));

// Checks the input, computes every pair, writes and publishes the report.
// ANALYSIS_TOO_FEW_COLUMNS / ANALYSIS_TOO_FEW_ROWS after their message,
// ANALYSIS_PUBLISH_FAILED when the text could not be put on the clipboard,
// else ANALYSIS_OK.
int run_pearson_analysis(platform::WindowHandle owner);

// "Pearson", the main rows and with extra output the matrix, into result_text.
void write_pearson_report();
