// Distribution values read from the constant tables: two-sided normal and t
// p-values, normal quantiles, normal scores of ranks, 95% t values.
#include "stats/distributions.h"

#include <cmath>
#include <utility>

#include "stats/tables.h"
#include "worksheet/data_table.h"

namespace {

// A statistic the functions below cannot use: the missing marker, a NaN or
// an infinity.
bool unavailable(double x) { return x == CELL_MISSING || !std::isfinite(x); }

// Beyond this |z| the two-sided normal p is reported as its floor.
constexpr double Z_LIMIT = 3.1;
constexpr double P_BEYOND_Z_LIMIT = 0.001;

// p_from_t above the last row of T_CRITICAL_TABLE (two-sided 0.001 there):
// one fixed value below that row, not an extrapolation; printed p-values
// depend on it, so it stays as the program has always given it.
constexpr double P_BEYOND_T_TABLE = 0.00018;

// Rational approximation of the normal quantile of a tail q < 0.5
// (Abramowitz and Stegun 26.2.23, |error| < 4.5e-4), used only outside the
// range of NORMAL_TAIL_Z_TABLE. Returns the positive quantile.
double tail_quantile(double q) {
    // 1 / q^2 overflows for q below about 1e-154; ln(1 / q^2) = -2 ln q then.
    const double inverse_square = 1.0 / (q * q);
    const double t = std::sqrt(std::isfinite(inverse_square) ? std::log(inverse_square)
                                                             : -2.0 * std::log(q));
    const double numerator = 2.515517 + 0.802853 * t + 0.010328 * t * t;
    const double denominator = 1.0 + 1.432788 * t + 0.189269 * t * t + 0.001308 * t * t * t;
    return t - numerator / denominator;
}

}  // namespace

double p_from_z(double z) {
    if (unavailable(z)) return CELL_MISSING;
    if (z >= Z_LIMIT || z <= -Z_LIMIT) return P_BEYOND_Z_LIMIT;
    // |1000 z + 0.499| < 3101 here. Truncation toward zero puts a negative z
    // one entry lower than the same positive z, and the printed p-values
    // follow that reading of the table.
    int k = static_cast<int>(1000.0 * z + 0.499);
    if (k < 0) k = -k;
    return 2.0 * (1.0 - NORMAL_CDF_TABLE[k]);
}

double z_from_p(double p) {
    if (!(p > 0.0 && p < 1.0)) return CELL_MISSING;  // NaN included
    if (p >= 0.001 && p < 0.999) {
        // c in 1..999; entry c holds the quantile of tail (c - 1) / 1000.
        const int c = static_cast<int>(1000.0 * p + 0.499);
        if (c <= 500) return -NORMAL_TAIL_Z_TABLE[c];
        return NORMAL_TAIL_Z_TABLE[1000 - c];
    }
    const double z = tail_quantile(p <= 0.5 ? p : 1.0 - p);
    return p > 0.5 ? z : -z;
}

double p_from_t(double t, int df) {
    if (df <= 0 || unavailable(t)) return CELL_MISSING;
    // Column 30 holds the normal values and serves every larger df; column 1
    // is scaled by 100 instead of 1000.
    const int d = df > 30 ? 30 : df;
    const double s = std::fabs(t) * (d == 1 ? 100.0 : 1000.0);

    const double first = T_CRITICAL_TABLE[0][d];
    if (s < first) return -2.0 * T_CRITICAL_TABLE[0][0] / 10000.0;
    for (int i = 0; i < T_CRITICAL_ROWS - 1; ++i) {
        const double t_low = T_CRITICAL_TABLE[i][d];
        const double t_high = T_CRITICAL_TABLE[i + 1][d];
        if (t_low <= s && s < t_high) {
            // The tail's logarithm is interpolated linearly in s.
            const double ln_p_low = std::log(static_cast<double>(T_CRITICAL_TABLE[i][0]));
            const double ln_p_high = std::log(static_cast<double>(T_CRITICAL_TABLE[i + 1][0]));
            const double ln_q = ln_p_low + (s - t_low) * (ln_p_high - ln_p_low) / (t_high - t_low);
            return 2.0 * 0.0001 * std::exp(ln_q);
        }
    }
    return P_BEYOND_T_TABLE;
}

// a grows slowly with n (0.345 at n = 3, 0.44 at n = 1000) so that the normal
// quantile of (r - a) / (n + 1 - 2a) comes within 0.01 of the expected r-th
// normal order statistic for n up to 200 (within 0.017 at n = 1024).
RankPositions rank_positions(int n) {
    const double count = static_cast<double>(n);
    const double a = 0.32749 + 0.016178 * std::log(count);
    return {a, count + 1.0 - 2.0 * a};
}

double normal_score_position(double r, const RankPositions& positions) {
    if (r == 0.0) return CELL_MISSING;
    return (r - positions.a) / positions.denominator;
}

double normal_score_position(double r, int n) { return normal_score_position(r, rank_positions(n)); }

namespace {

// Mean of z_from_p(normal_score_position(r, n)) over the count ranks
// r = first, first + 1, ...; callers keep first + count - 1 <= n.
double mean_normal_score(int first, int count, int n) {
    const RankPositions positions = rank_positions(n);
    double sum = 0.0;
    for (int k = 0; k < count; ++k) {
        const double z = z_from_p(normal_score_position(static_cast<double>(first + k), positions));
        if (z == CELL_MISSING) return CELL_MISSING;
        sum += z;
    }
    return sum / static_cast<double>(count);
}

}  // namespace

double mean_normal_score_low(int m, int n) {
    if (m > n) std::swap(m, n);
    if (m < 1) return CELL_MISSING;  // no ranks: no mean
    return mean_normal_score(1, m, n);
}

double mean_normal_score_high(int m, int n) {
    if (m > n) std::swap(m, n);
    if (m < 1) return CELL_MISSING;
    return mean_normal_score(n - m + 1, m, n);
}

double t95_for_df(int df) {
    if (df < 1) return CELL_MISSING;
    if (df >= T95_TABLE_SIZE) return T95_TABLE[T95_TABLE_SIZE - 1];
    return T95_TABLE[df];
}
