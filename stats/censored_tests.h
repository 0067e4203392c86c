// Tests and counts for columns whose "<" and ">" cells keep their limits,
// as environmental and clinical statistics treat such data (Helsel,
// Statistics for Censored Environmental Data Using Minitab and R, 2nd ed.,
// 2012). Every one works on arrays of CensoredCell (censored_order.h) and
// compares cells only by the order known between them, counting known
// orders on integer codes of the cells' bounds (bound_codes), so a column
// of n cells costs n log n at most.
//
// How the report calls them: it reads the present cells with
// read_censored_cell() into arrays of at most MAX_ROWS cells, for the sign
// test the rows where both columns are present, in step. For Gehan's test
// and Kendall's tau it codes each column once along its order
// (bound_codes) and passes the codes of the rows it compares
// (gehan_test_codes, censored_kendall_codes). It prints "#n/a" where a
// statistic is CELL_MISSING.
#pragma once

#include <cstdint>

#include "stats/censored_order.h"

// The descriptive counts of a column's cells: "N below a limit", "N above a
// limit", and "Distinct limits", the different (side, limit) pairs among
// the cells whose limit was written ("<5" and ">5" are two; "<" without a
// number counts in none).
struct CensoredCounts {
    int below;
    int above;
    int distinct_limits;
};
CensoredCounts censored_counts(const CensoredCell* cells, int n);

// Gehan's generalised Wilcoxon test (Gehan 1965) with Mantel's scores and
// permutation variance (Mantel 1967). Each cell i of both groups gets the
// score U_i = (cells known to be smaller than i) - (cells known to be larger
// than i); W = sum of U_i over group 1; Var W = n0 n1 sum U_i^2 / (N (N - 1))
// over all N cells; z = W / sqrt(Var W); p two-sided from the normal
// distribution. Without "<" and ">" cells it is the Mann-Whitney test with
// the tie-corrected variance and no continuity correction. z and p are
// CELL_MISSING when Var W is 0 (or N < 2).
struct GehanResult {
    double w;
    double variance;
    double z;
    double p;
};
GehanResult gehan_test(const CensoredCell* group0, int n0, const CensoredCell* group1, int n1);

// The sign test for paired cells (x[i], y[i]): a pair counts when y - x is
// known to be positive (x known to be smaller than y) or known to be
// negative. p is the exact two-sided binomial p of the positive count among
// the counted pairs with probability 1/2 (Helsel 2012, the sign test for
// censored data); CELL_MISSING when no pair counts.
struct SignResult {
    int pairs;     // "Pairs with a known sign"
    int positive;  // of them, y known to be larger
    double p;
};
SignResult censored_sign_test(const CensoredCell* x, const CensoredCell* y, int n);

// Kendall's tau between paired cells where some orders are unknown: over
// all pairs of rows, concordant when both orders are known and agree,
// discordant when both are known and disagree. S = C - D,
// tau = S / (n (n - 1) / 2), z = S / sqrt(n (n - 1) (2n + 5) / 18), p
// two-sided from the normal distribution (Kendall 1938; for censored data,
// Helsel 2012). Without "<", ">" and ties, tau is Kendall's tau-a.
// tau, z and p are CELL_MISSING for n < 2.
struct KendallResult {
    double concordant;
    double discordant;
    double tau;
    double z;
    double p;
};
KendallResult censored_kendall(const CensoredCell* x, const CensoredCell* y, int n);

// The known order as integer codes: the bounds of cells[0..n-1] (n at most
// MAX_ROWS) as upper[i] and lower[i] in 0 .. codes-1, such that cell i is
// known to be smaller than cell j exactly when upper[i] < lower[j]. Returns
// the number of codes (at most 2n). Linear but for sorting the censored
// cells when the measured cells come in ascending order, as read along a
// column's order; n log n otherwise.
int bound_codes(const CensoredCell* cells, int n, int* upper, int* lower);

// gehan_test on cells coded by one bound_codes call, cell i in group
// group[i] (0 or 1).
GehanResult gehan_test_codes(const int* upper, const int* lower, int codes, const int8_t* group, int n);

// censored_kendall on the codes of two columns, each from one bound_codes
// call (which may have coded more cells than the n rows in step here), so
// that a column compared with many others is coded once.
KendallResult censored_kendall_codes(const int* x_upper, const int* x_lower, int x_codes, const int* y_upper,
                                     const int* y_lower, int y_codes, int n);
