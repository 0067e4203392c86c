// Welch's test, the noncentral-t interval and the two-sided p values, on
// Boost.Math's t, noncentral t and normal distributions.
#include "stats/t_statistics.h"

#include <cmath>

#include "stats/boost_math.h"

namespace {

const double NA = std::nan("");

// The root of the falling function f near `start`: bracketed by steps
// that double, then closed by the Illinois method. NaN when not bracketed.
template <typename F>
double bracketed_root(F f, double start, double spread) {
    double a = start;
    double step = 0.05 * spread + 0.01;
    double fa = f(a);
    double b = fa > 0 ? a + step : a - step;
    double fb = f(b);
    for (int i = 0; i < 60 && fa * fb > 0; ++i) {
        step *= 2;
        a = b;
        fa = fb;
        b = fa > 0 ? b + step : b - step;
        fb = f(b);
    }
    if (!(fa * fb <= 0)) return NA;
    for (int i = 0; i < 100; ++i) {
        const double c = b - fb * (b - a) / (fb - fa);
        const double fc = f(c);
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

// The cdf of the noncentral t at t, as a function of the noncentrality.
double noncentral_cdf(double t, double df, double ncp) {
    return boost::math::cdf(boost::math::non_central_t(df, ncp), t);
}

// The noncentrality at which the cdf of t is `level`; the cdf falls as the
// noncentrality grows. The normal approximation
// ncp = t - z sqrt(1 + t^2 / (2 df)) is close for the sizes here, and its
// slope there, -phi(z) / sqrt(1 + t^2 / (2 df)), gives a Newton step from
// it; the secant method from those two points usually converges in a few
// steps; should it not, the root is bracketed and closed by the Illinois
// variant of regula falsi. Both stop at a relative 1e-12.
double noncentrality_for(double t, double df, double level) {
    const boost::math::normal standard;
    const double z = boost::math::quantile(standard, level);
    const double spread = std::sqrt(1 + t * t / (2 * df));
    const auto f = [&](double ncp) { return noncentral_cdf(t, df, ncp) - level; };
    double a = t - z * spread;
    double fa = f(a);
    const double newton = fa * spread / boost::math::pdf(standard, z);
    double b = std::isfinite(newton) && newton != 0 ? a + newton : a + 1e-3 * spread;
    double fb = f(b);
    for (int i = 0; i < 12 && std::isfinite(fa) && std::isfinite(fb) && fb != fa; ++i) {
        const double c = b - fb * (b - a) / (fb - fa);
        a = b;
        fa = fb;
        b = c;
        fb = f(b);
        if (fb == 0 || std::fabs(b - a) <= 1e-12 * (1 + std::fabs(b))) return b;
    }
    return bracketed_root(f, t - z * spread, spread);
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
