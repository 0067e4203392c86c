// Kendall's tau-b of paired observations, with ties, in O(n log n) by
// W. R. Knight's method ("A computer method for calculating Kendall's tau
// with ungrouped data", Journal of the American Statistical Association 61,
// 1966, 436-439), and its p: exact for untied samples of up to
// EXACT_RANK_MAX_N pairs, else normal with the tie-corrected variance of
// the score S = concordant - discordant (M. G. Kendall, Rank Correlation
// Methods, 4th ed., 1970, chapter 4), without continuity correction.
#pragma once

struct KendallTau {
    double tau_b;  // NaN when not computable
    double p;      // NaN when not computable
    bool exact;    // p from the exact distribution
};

// x[i], y[i] for i < n (n <= 1024), finite values.
KendallTau kendall_tau(const double* x, const double* y, int n);
