// Distribution values the statistics need: two-sided p-values of normal and
// Student t statistics, normal quantiles, normal scores of ranks and the t
// value of a 95% interval. All are read from constant tables (stats/tables)
// with the clamps and index rules below; all are pure.
#pragma once

// Two-sided p of a standard normal z, from NORMAL_CDF_TABLE; 0.001 beyond
// +-3.1. CELL_MISSING, a NaN or an infinity gives CELL_MISSING.
double p_from_z(double z);

// Normal quantile of lower-tail probability p; CELL_MISSING outside (0, 1).
// From NORMAL_TAIL_Z_TABLE for 0.001 <= p < 0.999, else a rational
// approximation of the extreme tails.
double z_from_p(double p);

// Two-sided p of a Student t with df degrees of freedom, interpolated in
// T_CRITICAL_TABLE. A negative result -x means p is greater than x.
// CELL_MISSING for df <= 0, for CELL_MISSING, NaN or infinite t.
double p_from_t(double t, int df);

// Plotting-position probability of rank r among n; CELL_MISSING for r = 0.
double normal_score_position(double r, int n);

// The part of normal_score_position that depends on n alone, for placing
// many ranks among the same n with one logarithm; the position it gives is
// the very double normal_score_position(r, n) gives.
struct RankPositions {
    double a;            // 0.32749 + 0.016178 ln n
    double denominator;  // n + 1 - 2a
};
RankPositions rank_positions(int n);
double normal_score_position(double r, const RankPositions& positions);

// Mean normal score of the m lowest (highest) ranks among n; the arguments
// are exchanged first when m > n. Callers pass m >= 1.
double mean_normal_score_low(int m, int n);
double mean_normal_score_high(int m, int n);

// Two-sided 95% critical value of Student's t for df degrees of freedom:
// T95_TABLE for 1..1000, the df-1000 value above, CELL_MISSING below 1.
double t95_for_df(int df);
