// The Shapiro-Wilk test of normality for 3 <= n <= 5000, as P. Royston
// gives it: "Remark AS R94: A remark on Algorithm AS 181: the W-test for
// normality", Applied Statistics 44 (1995) 547-551.
#pragma once

struct ShapiroWilk {
    double w;  // NaN when not computable
    double p;  // NaN when not computable
};

// W and its p for the sample x[0..n-1], sorted ascending. Not computable
// for n outside 3..5000 (or beyond this unit's 1024) and for a sample
// without spread.
ShapiroWilk shapiro_wilk(const double* x, int n);
