// Robust ROS with Hirsch-Stedinger plotting positions.
#include "stats/ros.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "stats/boost_math.h"
#include "worksheet/data_table.h"

namespace {

constexpr int CAPACITY = MAX_ROWS;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

double measured[CAPACITY];  // ascending
double limits[CAPACITY];    // of the "<" cells, ascending
double values[CAPACITY];    // measured and imputed

// A column read along its order arrives sorted; only what is not gets sorted.
void sort_unless_sorted(double* v, int n) {
    if (!std::is_sorted(v, v + n)) std::sort(v, v + n);
}

RosResult summary(int n) {
    RosResult r{NaN, NaN, NaN};
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += values[i];
    r.mean = sum / n;
    if (n > 1) {
        double squares = 0;
        for (int i = 0; i < n; ++i) squares += (values[i] - r.mean) * (values[i] - r.mean);
        r.sd = std::sqrt(squares / (n - 1));
    }
    sort_unless_sorted(values, n);
    r.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return r;
}

double normal_quantile(double p) { return boost::math::quantile(boost::math::normal_distribution<double>(), p); }

}  // namespace

RosResult ros_estimates(const CensoredCell* cells, int n) {
    const RosResult none{NaN, NaN, NaN};
    if (n < 1 || n > CAPACITY) return none;
    bool below = false;
    bool above = false;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(cells[i].value)) return none;
        below = below || cells[i].side == SIDE_BELOW;
        above = above || cells[i].side == SIDE_ABOVE;
    }
    if (!below && !above) {
        for (int i = 0; i < n; ++i) values[i] = cells[i].value;
        return summary(n);
    }
    if (below && above) return none;
    // Every value and limit is positive from here on, so that ">" cells may
    // be turned into "<" cells of the reciprocals.
    int detects = 0;
    int censored = 0;
    for (int i = 0; i < n; ++i) {
        if (!(cells[i].value > 0)) return none;
        const double v = above ? 1 / cells[i].value : cells[i].value;
        if (cells[i].side == SIDE_MEASURED)
            measured[detects++] = v;
        else
            limits[censored++] = v;
    }
    if (detects < 3) return none;
    sort_unless_sorted(measured, detects);
    sort_unless_sorted(limits, censored);

    // The distinct limits, from the largest down: Pe of each, then the
    // positions of the cells at that limit and of the measured values at or
    // above it up to the next larger limit. `next_pe` is Pe_{j+1}.
    double next_pe = 0;
    double next_limit = std::numeric_limits<double>::infinity();
    int filled = 0;
    // The regression over the measured values' positions, and the "<"
    // cells' positions kept in `values` after the measured values until
    // the line is known.
    double sz = 0, sy = 0, szz = 0, szy = 0;
    auto add_measured = [&](int first, int end, double low, double high) {
        for (int r = 1; first + r - 1 < end; ++r) {
            const double z = normal_quantile(low + (high - low) * r / (end - first + 1));
            const double y = std::log(measured[first + r - 1]);
            sz += z;
            sy += y;
            szz += z * z;
            szy += z * y;
            values[filled++] = measured[first + r - 1];
        }
    };
    int imputed = n;  // imputed positions go into values[imputed..n-1]
    for (int top = censored; top > 0;) {
        const double limit = limits[top - 1];
        const int at_limit_start = static_cast<int>(std::lower_bound(limits, limits + top, limit) - limits);
        const int at_limit = top - at_limit_start;
        const int from = static_cast<int>(std::lower_bound(measured, measured + detects, limit) - measured);
        const int to = static_cast<int>(std::lower_bound(measured, measured + detects, next_limit) - measured);
        const double a = to - from;
        const double b = from + top;  // measured below the limit, "<" cells at or below it
        const double pe = next_pe + a / (a + b) * (1 - next_pe);
        add_measured(from, to, 1 - pe, 1 - next_pe);
        for (int r = 1; r <= at_limit; ++r) values[--imputed] = (1 - pe) * r / (at_limit + 1);
        next_pe = pe;
        next_limit = limit;
        top = at_limit_start;
    }
    const int lowest = static_cast<int>(std::lower_bound(measured, measured + detects, next_limit) - measured);
    add_measured(0, lowest, 0, 1 - next_pe);

    const double k = detects;
    const double slope = (szy - sz * sy / k) / (szz - sz * sz / k);
    const double intercept = (sy - slope * sz) / k;
    for (int i = imputed; i < n; ++i) values[i] = std::exp(intercept + slope * normal_quantile(values[i]));
    if (above)
        for (int i = 0; i < n; ++i) values[i] = 1 / values[i];
    return summary(n);
}
