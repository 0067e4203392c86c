// The distribution-free interval of a median from order statistics: with
// n values sorted, [x_(k), x_(n+1-k)] covers the median with probability
// 1 - 2 P(B <= k - 1), B binomial (n, 1/2) (W. J. Conover, Practical
// Nonparametric Statistics, 3rd ed., 1999, section 3.2).
#pragma once

// The largest k with P(B <= k - 1) <= 0.025, so that the interval covers
// at least 95%; 0 when no k does (n < 6).
int median_interval_rank(int n);
