// What the Pearson and Spearman reports share: the input checks, the main
// result cells of one coefficient (value, 95% interval, p, pair count), the
// correlation matrices and the matrix lines of the extra output.
#pragma once

#include "platform/platform.h"

// Result rows of a coefficient against the first column.
constexpr int COEFFICIENT_ROW = 0;
constexpr int CI_LOW_ROW = 1;
constexpr int CI_HIGH_ROW = 2;
constexpr int P_VALUE_ROW = 3;
constexpr int PAIR_COUNT_ROW = 4;

// From this |coefficient| on the correlation is taken as perfect.
constexpr double PERFECT_CORRELATION = 0.999;
// Fisher's z needs more pairs than this for an interval and a p.
constexpr int MAX_PAIRS_WITHOUT_INTERVAL = 10;

// Fills result column `column` from coefficient `r` of `pairs` complete
// pairs. A coefficient that is not a number, or out of [-1, 1], and any
// coefficient of three pairs or fewer, is not available.
void set_correlation_cells(int column, double r, int pairs);

// Tanh of u as (e^(2u) - 1) / (e^(2u) + 1).
double correlation_tanh(double u);

// The diagonal of both matrices for data column a: 1 and its present cells.
void set_matrix_diagonal(int a);
// Coefficient and pair count of columns a and b into both halves.
void set_matrix_pair(int a, int b, double r, int pairs);

// Appends the main rows 0 .. 4; the last has its newline only with extra output.
void append_main_rows();
// Appends one matrix line per data column, each ending in a newline.
void append_matrix_lines();
