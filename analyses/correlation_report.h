// What the Pearson and Spearman reports share: the main result cells of one
// coefficient (value, 95% interval, p, pair count), the correlation matrices
// and the matrix lines of the extra output (their input check is in
// analyses/input_checks.h).
#pragma once

#include "analyses/report_table.h"
#include "platform/platform.h"

// The rows of a correlation report, in result-row order (see
// report_table.h): the coefficient of every column against the first under
// the analysis's own label, its interval, p and pair count, and the tie
// counts that only Spearman prints.
#define CORRELATION_REPORT_ROWS(X, coefficient_label, ties_printed) \
    X(COEFFICIENT_ROW, coefficient_label, nullptr, Always, Value)   \
    X(CI_LOW_ROW, "95CI low", nullptr, Always, Value)               \
    X(CI_HIGH_ROW, "95CI high", nullptr, Always, Value)             \
    X(P_VALUE_ROW, "p value", nullptr, Always, Value)               \
    X(PAIR_COUNT_ROW, "N", nullptr, Always, Count)                  \
    X(UNUSED_ROW, "", nullptr, Never, Value)                        \
    X(TIES_X_ROW, "Ties x", nullptr, ties_printed, Value)           \
    X(TIES_Y_ROW, "Ties y", nullptr, ties_printed, Value)

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
