// Mid-ranks of a sample: ranks 1..n in ascending order of value, each run
// of equal values sharing the mean of its ranks, given doubled so that they
// are whole numbers.
#pragma once

// ranks2[i] = twice the mid-rank of v[i] (n <= 1024); returns the tie sum
// sum (t^3 - t) over the runs of t equal values.
double doubled_mid_ranks(const double* v, int n, int* ranks2);
// The tie sum of the ascending values sorted[0..n-1]: sum (t^3 - t) over
// the runs of t equal values, the runs added in order.
double tie_sum(const double* sorted, int n);
