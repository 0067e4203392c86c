// What the Pearson and Spearman reports share: the main result cells of one
// coefficient (value, 95% interval, p, pair count), the correlation matrices
// and the matrix lines of the extra output (their input check is in
// analyses/input_checks.h).
#pragma once

#include "analyses/report_rows.h"
#include "analyses/report_table.h"
#include "platform/platform.h"

// The report's rows, listed in report_rows.h, as ids.
REPORT_ROW_ENUM(correlation_rows, Row, CORRELATION_REPORT_ROWS(REPORT_ROW_IDS, , ))

// From this |coefficient| on the correlation is taken as perfect.
constexpr double PERFECT_CORRELATION = 0.999;
// Fisher's z needs more pairs than this for an interval and a p.
constexpr int MAX_PAIRS_WITHOUT_INTERVAL = 10;

// Fills result column `column` of the report `table` from coefficient `r`
// of `pairs` complete pairs. A coefficient that is not a number, or out of [-1, 1], and any
// coefficient of three pairs or fewer, is not available.
void set_correlation_cells(ReportTable table, int column, double r, int pairs);

// Tanh of u as (e^(2u) - 1) / (e^(2u) + 1).
double correlation_tanh(double u);

// The diagonal of both matrices for data column a: 1 and its present cells.
void set_matrix_diagonal(int a);
// Coefficient and pair count of columns a and b into both halves.
void set_matrix_pair(int a, int b, double r, int pairs);

// Appends one matrix line per data column, each ending in a newline.
void append_matrix_lines();

// The report: labels, `title`, the rows of `table`, and with extra output
// the matrix lines.
void write_correlation_report(const char* title, ReportTable table);
