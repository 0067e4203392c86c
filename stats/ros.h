// Robust regression on order statistics (Helsel's robust ROS, lognormal;
// Helsel, Statistics for Censored Environmental Data Using Minitab and R,
// 2nd ed., 2012): the mean, SD and median of a column whose "<" cells keep
// their limits.
//
// - Plotting positions by the Hirsch-Stedinger method for several limits:
//   for limits L1 < ... < Lm, working down from the largest, the
//   exceedance probability Pe_j = Pe_{j+1} + A_j / (A_j + B_j) (1 - Pe_{j+1})
//   with Pe_{m+1} = 0, where A_j counts the measured values in [L_j, L_{j+1})
//   and B_j the measured values below L_j and the "<" cells whose limit is
//   at most L_j. A measured value equal to a limit is at or above it.
// - The A measured values of interval j (ranked r = 1..A) lie at
//   (1 - Pe_j) + (Pe_j - Pe_{j+1}) r / (A + 1), those below L1 at
//   (1 - Pe_1) r / (A + 1); the C "<L_j" cells at (1 - Pe_j) r / (C + 1).
// - ln of the measured values is fitted by least squares to the normal
//   quantiles of their positions; each "<" cell gets exp(line) at its
//   position, even above the largest measured value.
// - Mean, SD (n - 1) and median over the measured and imputed values.
// - ">" cells alone through reciprocals: ">x" is "<1/x", ROS runs on 1/v,
//   and the imputed values are turned back before the statistics.
// - NaN (printed "#n/a") for cells on both sides, fewer than 3 measured
//   values, a value or limit <= 0 among censored data, a value that is not
//   finite, or n > MAX_ROWS. Without "<" and ">" cells: the plain mean, SD
//   (n - 1) and median (SD NaN for one value).
//
// How the report calls it: per column, bounds = column_bounds(column); the
// present rows read with read_censored_cell(row, column, bounds, cell) into
// an array of at most MAX_ROWS cells; then ros_estimates(cells, n), printing
// "#n/a" for a NaN. Sorting makes it n log n; no allocation.
#pragma once

#include "stats/censored_order.h"

struct RosResult {
    double mean;
    double sd;
    double median;
};

RosResult ros_estimates(const CensoredCell* cells, int n);
