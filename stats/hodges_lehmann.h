// Order statistics of the two sets the Hodges-Lehmann estimators are
// medians of, without writing either set out: the n0 * n1 differences
// y[j] - x[i] of two samples, and the n (n + 1) / 2 Walsh averages
// (d[i] + d[j]) / 2, i <= j, of one sample. Both inputs are sorted
// ascending, so each set is a matrix sorted along its rows and columns.
#pragma once

// The k-th smallest (k = 1 .. nx * ny) of y[j] - x[i]; NaN when k is out of
// range. nx, ny <= 1024.
double kth_pairwise_difference(const double* x, int nx, const double* y, int ny, long long k);

// The k-th smallest (k = 1 .. n (n + 1) / 2) of (d[i] + d[j]) / 2 over
// i <= j; NaN when k is out of range. n <= 1024.
double kth_walsh_average(const double* d, int n, long long k);

// A set's median (the mean of the middle two for an even count) with the
// ends of an interval from ranks: its k-th smallest and k-th largest
// entries, NaN when k is not 1 .. the count (all NaN when a sample is empty
// or too large). Quicker than the three alone.
struct HodgesLehmann {
    double estimate, low, high;
};
HodgesLehmann pairwise_difference_estimate(const double* x, int nx, const double* y, int ny, long long k);
HodgesLehmann walsh_average_estimate(const double* d, int n, long long k);
