// Welch's test, the noncentral-t interval and the two-sided p values, on
// Boost.Math's t, noncentral t and normal distributions.
#include "stats/t_statistics.h"

#include <cmath>

#include "stats/boost_math.h"

namespace {

const double NA = std::nan("");

// The cdf of the noncentral t at t, as a function of the noncentrality.
double noncentral_cdf(double t, double df, double ncp) {
    return boost::math::cdf(boost::math::non_central_t(df, ncp), t);
}

// The noncentrality at which the cdf of t is `level`. The cdf falls as the
// noncentrality grows. The search starts from the normal approximation
// ncp = t - z sqrt(1 + t^2 / (2 df)), which for the sample sizes here is
// close already, brackets the root and closes it by the Illinois variant of
// regula falsi to a relative 1e-12.
double noncentrality_for(double t, double df, double level) {
    const double z = boost::math::quantile(boost::math::normal(), level);
    const double spread = std::sqrt(1 + t * t / (2 * df));
    double a = t - z * spread;
    double step = 0.05 * spread + 0.01;
    double fa = noncentral_cdf(t, df, a) - level;
    double b = fa > 0 ? a + step : a - step;
    double fb = noncentral_cdf(t, df, b) - level;
    for (int i = 0; i < 60 && fa * fb > 0; ++i) {  // widen until bracketed
        step *= 2;
        a = b;
        fa = fb;
        b = fa > 0 ? b + step : b - step;
        fb = noncentral_cdf(t, df, b) - level;
    }
    if (!(fa * fb <= 0)) return NA;
    for (int i = 0; i < 100; ++i) {
        const double c = b - fb * (b - a) / (fb - fa);
        const double fc = noncentral_cdf(t, df, c) - level;
        if (fc * fb < 0) {
            a = b;
            fa = fb;
        } else {
            fa /= 2;  // Illinois: the end kept twice counts half
        }
        b = c;
        fb = fc;
        if (fc == 0 || std::fabs(b - a) <= 1e-12 * (1 + std::fabs(b))) return b;
    }
    return b;
}

}  // namespace

double t_two_sided_p(double t, double df) {
    if (std::isnan(t) || !(df > 0) || !std::isfinite(df)) return NA;
    if (std::isinf(t)) return 0;
    const double p = 2 * boost::math::cdf(boost::math::complement(boost::math::students_t(df), std::fabs(t)));
    return p < 1 ? p : 1;
}

double t_quantile(double p, double df) {
    if (!(p > 0 && p < 1) || !(df > 0) || !std::isfinite(df)) return NA;
    return boost::math::quantile(boost::math::students_t(df), p);
}

double normal_two_sided_p(double z) {
    if (std::isnan(z)) return NA;
    if (std::isinf(z)) return 0;
    const double p = 2 * boost::math::cdf(boost::math::complement(boost::math::normal(), std::fabs(z)));
    return p < 1 ? p : 1;
}

WelchTest welch_test(double mean0, double sd0, int n0, double mean1, double sd1, int n1) {
    WelchTest r{NA, NA, NA, NA, NA};
    if (n0 < 2 || n1 < 2 || !std::isfinite(mean0 + mean1 + sd0 + sd1)) return r;
    const double v0 = sd0 * sd0 / n0;
    const double v1 = sd1 * sd1 / n1;
    const double se2 = v0 + v1;
    if (!(se2 > 0)) return r;
    const double se = std::sqrt(se2);
    const double d = mean1 - mean0;
    r.t = d / se;
    r.df = se2 * se2 / (v0 * v0 / (n0 - 1) + v1 * v1 / (n1 - 1));
    r.p = t_two_sided_p(r.t, r.df);
    const double q = t_quantile(0.975, r.df);
    r.low = d - q * se;
    r.high = d + q * se;
    return r;
}

Interval noncentral_t_interval(double t, double df) {
    if (!std::isfinite(t) || !(df > 0) || !std::isfinite(df)) return {NA, NA};
    return {noncentrality_for(t, df, 0.975), noncentrality_for(t, df, 0.025)};
}
