// The order statistics of the median's 95% interval, from the binomial
// (n, 1/2) distribution.
#include "stats/median_interval.h"

#include <cmath>

#include "stats/boost_math.h"

int median_interval_rank(int n) {
    if (n < 1) return 0;
    const boost::math::binomial_distribution<double> b(n, 0.5);
    const auto at_most = [&b](int k) { return boost::math::cdf(b, static_cast<double>(k)); };
    // Start next to the normal approximation n/2 - 1.96 sqrt(n)/2 (n <= a
    // few thousand, so the guess fits an int), then step to the exact k.
    const double guess = n / 2.0 - 0.98 * std::sqrt(static_cast<double>(n));
    int k = guess > 0 ? static_cast<int>(guess) : 0;
    while (k > 0 && at_most(k - 1) > 0.025) --k;
    while (k < n && at_most(k) <= 0.025) ++k;
    return k;
}
