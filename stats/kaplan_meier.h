// The nonparametric centiles of a column whose "<" and ">" cells keep their
// limits: Kaplan-Meier (Kaplan and Meier 1958) when every censored cell lies
// on one side, Turnbull's self-consistent estimate (Turnbull 1976) when both
// sides occur, and the ordinary sample centiles of the same rule when no
// cell is censored. The conventions are those of survival analysis:
//
// - ">x" cells are right-censored at x and, like a censored time, still at
//   risk at x: a measured x lies below ">x".
// - "<x" cells are counted on the flipped values M - v (M above every value
//   and limit), where they are right-censored; the p centile of the values
//   is M minus the (1 - p) centile of the flipped ones.
// - With both sides, "<x" is an interval (-infinity, x] that holds x, ">x"
//   the interval (x, +infinity), a measured x the point x.
// - The p centile is where the curve 1 - S first exceeds p. Where 1 - S
//   lies flat at p (within sqrt(machine epsilon)) it is the midpoint of
//   that flat piece: between its start and the next step down of S, or,
//   after the last step, the largest time of the data. A centile the curve
//   does not reach is NaN.
//
// Turnbull's estimate here is the self-consistent one run to convergence.
// survfit stops its own iteration at a change of 5e-5, so where its curve
// should lie flat at exactly p it may sit just off p and give the step's
// time instead of the midpoint ("5.4 2.9 >4 <3": survfit's median 4.175,
// here 4.15). It also settles on other masses when a "<" cell has no
// measured value below its limit and ">" cells lie beyond the largest
// value ("<3 >10": survfit puts 2/3 at 3, the estimate 1/2). The
// expectations come from survfit's own iteration run on to convergence
// (tools/generate_censored_estimates.py) and hold no column of that second
// kind.
//
// How the report calls it: per column, bounds = column_bounds(column); the
// present rows read with read_censored_cell(row, column, bounds, cell) into
// an array of at most MAX_ROWS cells; then km_centiles(cells, n), printing
// "#n/a" for a NaN. For Nonpaired's "KM median difference" the cells of each
// group go into their own array (bounds still of the whole column), and the
// row is km_centiles(group 1).median - km_centiles(group 0).median: each
// group's estimator is chosen by the sides found in that group alone, and a
// NaN on either side gives "#n/a".
#pragma once

#include "stats/censored_order.h"

// Turnbull's iteration stops when no mass changes by more than this...
constexpr double TURNBULL_TOLERANCE = 1e-9;
// ...or after this many iterations, when every centile is NaN and
// `iteration_cap_reached` is set. Each iteration is a few passes over the
// innermost intervals and the groups of equal cells, so a column of 1024
// cells costs at most a few tens of milliseconds.
constexpr int TURNBULL_MAX_ITERATIONS = 5000;

struct KmCentiles {
    double median;
    double p25;
    double p75;
    bool turnbull;               // both sides occurred
    bool iteration_cap_reached;  // Turnbull stopped at its cap: the centiles are NaN
};

// n <= MAX_ROWS cells in any order; cells read along a column's order (the
// "<" cells, the measured values ascending, the ">" cells) cost no sort
// but of the limits among themselves. NaN centiles for n < 1, n > MAX_ROWS or a cell whose
// value or limit is not finite (a "<" or ">" cell in a column without a
// measured value).
KmCentiles km_centiles(const CensoredCell* cells, int n);
