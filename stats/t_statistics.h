// Tests and intervals built on the t, noncentral t and normal
// distributions: Welch's unequal-variance t-test, the noncentral-t interval
// of a standardised effect, and the two-sided p of a t or a z. Every result
// that cannot be computed is NaN.
#pragma once

// Two-sided p of t with df (> 0, not necessarily whole) degrees of freedom.
double t_two_sided_p(double t, double df);
// The p-quantile of Student's t with df degrees of freedom.
double t_quantile(double p, double df);
// Two-sided p of a standard normal z.
double normal_two_sided_p(double z);

struct WelchTest {
    double t, df, p, low, high;  // the limits are of mean1 - mean0, 95%
};
// Welch's test of mean1 - mean0 from each group's mean, SD and size, with
// the Welch-Satterthwaite degrees of freedom (B. L. Welch, Biometrika 34,
// 1947; F. E. Satterthwaite, Biometrics Bulletin 2, 1946).
WelchTest welch_test(double mean0, double sd0, int n0, double mean1, double sd1, int n1);

struct Interval {
    double low, high;
};
// The 95% interval of the noncentrality parameter of a noncentral t with df
// degrees of freedom whose observed value is t: the parameters at which t
// is the 97.5% and the 2.5% point (G. Cumming and S. Finch, Educational and
// Psychological Measurement 61, 2001, 532-574).
Interval noncentral_t_interval(double t, double df);
