// Shapiro-Wilk W by Royston's approximation to the coefficients and his
// normalising transformations of W (Royston 1995, Algorithm AS R94, after
// Royston, "Approximating the Shapiro-Wilk W-test for non-normality",
// Statistics and Computing 2, 1992, 117-119):
//   m_i = Phi^-1((i - 3/8) / (n + 1/4)), the coefficients a = m / |m| with
//   the two most extreme replaced by polynomials in 1/sqrt(n) and the rest
//   rescaled so that the a_i squared sum to 1;
//   W = (sum a_i x_(i))^2 / sum (x_i - mean)^2;
//   p: n = 3 exact; 4..11 from -ln(gamma - ln(1 - W)) and n >= 12 from
//   ln(1 - W), each taken as normal with a mean and a log SD polynomial in n
//   (or ln n).
#include "stats/shapiro_wilk.h"

#include <cmath>

#include "stats/boost_math.h"

namespace {

constexpr int MAX_N = 1024;
// The coefficients of the lower half; the upper half mirrors them. They
// depend on n alone and stay filled for the next sample of that size.
double half_coefficients[MAX_N / 2];
int coefficients_n = 0;

// c[0] + c[1] x + ... + c[count-1] x^(count-1).
double poly(const double* c, int count, double x) {
    double sum = 0;
    for (int i = count - 1; i >= 0; --i) sum = sum * x + c[i];
    return sum;
}

const double C1[] = {0.0, 0.221157, -0.147981, -2.071190, 4.434685, -2.706056};
const double C2[] = {0.0, 0.042981, -0.293762, -1.752461, 5.682633, -3.582633};
const double C3[] = {0.5440, -0.39978, 0.025054, -6.714e-4};
const double C4[] = {1.3822, -0.77857, 0.062767, -0.0020322};
const double C5[] = {-1.5861, -0.31082, -0.083751, 0.0038915};
const double C6[] = {-0.4803, -0.082676, 0.0030302};
const double G[] = {-2.273, 0.459};

// a_1 .. a_(n/2), positive, for the differences x_(n+1-i) - x_(i).
void fill_coefficients(int n) {
    if (n == coefficients_n) return;
    coefficients_n = n;
    const int half = n / 2;
    if (n == 3) {
        half_coefficients[0] = std::sqrt(0.5);
        return;
    }
    const boost::math::normal standard;
    double sum_m2 = 0;
    for (int i = 0; i < half; ++i) {
        const double m = boost::math::quantile(standard, (i + 1 - 0.375) / (n + 0.25));
        half_coefficients[i] = m;  // the lower half of m, negative
        sum_m2 += m * m;
    }
    sum_m2 *= 2;
    const double root = std::sqrt(sum_m2);
    const double u = 1 / std::sqrt(static_cast<double>(n));
    const double m1 = half_coefficients[0];
    const double a1 = poly(C1, 6, u) - m1 / root;
    int rescaled_from = 1;
    double fac;
    if (n > 5) {
        const double m2 = half_coefficients[1];
        const double a2 = poly(C2, 6, u) - m2 / root;
        fac = std::sqrt((sum_m2 - 2 * m1 * m1 - 2 * m2 * m2) / (1 - 2 * a1 * a1 - 2 * a2 * a2));
        half_coefficients[1] = a2;
        rescaled_from = 2;
    } else {
        fac = std::sqrt((sum_m2 - 2 * m1 * m1) / (1 - 2 * a1 * a1));
    }
    half_coefficients[0] = a1;
    for (int i = rescaled_from; i < half; ++i) half_coefficients[i] = -half_coefficients[i] / fac;
}

double w_of(const double* x, int n) {
    double mean = 0;
    for (int i = 0; i < n; ++i) mean += x[i];
    mean /= n;
    double ss = 0;
    for (int i = 0; i < n; ++i) ss += (x[i] - mean) * (x[i] - mean);
    double numerator = 0;
    for (int i = 0; i < n / 2; ++i) numerator += half_coefficients[i] * (x[n - 1 - i] - x[i]);
    if (!(ss > 0)) return std::nan("");
    const double w = numerator * numerator / ss;
    return w < 1 ? w : 1;
}

double p_of(double w, int n) {
    const double pi = 3.14159265358979323846;
    if (n == 3) {
        const double p = 6 / pi * (std::asin(std::sqrt(w)) - std::asin(std::sqrt(0.75)));
        return p > 0 ? p : 0;
    }
    const double w1 = std::log1p(-w);
    const double an = n;
    double y, m, s;
    if (n <= 11) {
        const double gamma = poly(G, 2, an);
        if (w1 >= gamma) return 0;  // beyond every value the approximation covers
        y = -std::log(gamma - w1);
        m = poly(C3, 4, an);
        s = std::exp(poly(C4, 4, an));
    } else {
        const double ln_n = std::log(an);
        y = w1;
        m = poly(C5, 4, ln_n);
        s = std::exp(poly(C6, 3, ln_n));
    }
    return boost::math::cdf(boost::math::complement(boost::math::normal(), (y - m) / s));
}

}  // namespace

ShapiroWilk shapiro_wilk(const double* x, int n) {
    const double na = std::nan("");
    if (n < 3 || n > MAX_N) return {na, na};
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(x[i])) return {na, na};
    fill_coefficients(n);
    const double w = w_of(x, n);
    if (std::isnan(w)) return {na, na};
    return {w, p_of(w, n)};
}
