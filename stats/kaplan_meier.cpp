// Kaplan-Meier and Turnbull centiles of a column of censored cells.
#include "stats/kaplan_meier.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "worksheet/data_table.h"

namespace {

constexpr int CAPACITY = MAX_ROWS;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();
// A level of 1 - S within this of p is p itself (the products and sums
// behind the curve carry round-off).
const double LEVEL_TOLERANCE = std::sqrt(std::numeric_limits<double>::epsilon());
// Turnbull masses below this are taken as the zeros they converge to, so
// that they add no step to the curve.
constexpr double NEGLIGIBLE_MASS = 1e-6;

// The curve: 1 - S after each step down of S, at the step's time, levels
// strictly increasing.
double step_time[CAPACITY];
double step_level[CAPACITY];

double centile(int steps, double largest_time, double p) {
    for (int i = 0; i < steps; ++i) {
        if (std::fabs(step_level[i] - p) < LEVEL_TOLERANCE)
            return (step_time[i] + (i + 1 < steps ? step_time[i + 1] : largest_time)) / 2;
        if (step_level[i] > p) return step_time[i];
    }
    return NaN;
}

// Kaplan-Meier with right-censoring: a censored time is still at risk at its
// own time. Returns the number of steps.
struct Observation {
    double time;
    bool censored;
};
Observation observations[CAPACITY];

bool by_time(const Observation& a, const Observation& b) { return a.time < b.time; }

int kaplan_meier_steps(int n) {
    std::sort(observations, observations + n, by_time);
    double survival = 1;
    int steps = 0;
    for (int i = 0; i < n;) {
        int j = i;
        int events = 0;
        for (; j < n && observations[j].time == observations[i].time; ++j)
            if (!observations[j].censored) ++events;
        if (events > 0) {
            survival *= 1 - static_cast<double>(events) / (n - i);
            step_time[steps] = observations[i].time;
            step_level[steps] = 1 - survival;
            ++steps;
        }
        i = j;
    }
    return steps;
}

// Turnbull: the innermost intervals, each a pair of a left end immediately
// followed by a right end in the order of all ends. Keys order the ends at
// one value: a closed left end (a measured value, or -infinity) before a
// right end, before an open left end (a ">" limit).
struct End {
    double value;
    int rank;    // 0 closed left, 1 right, 2 open left
    bool left;
};
bool end_before(const End& a, const End& b) { return a.value < b.value || (a.value == b.value && a.rank < b.rank); }

End ends[2 * CAPACITY];
End interval_low[CAPACITY];   // innermost intervals in order
End interval_high[CAPACITY];
int cell_first[CAPACITY];     // the innermost intervals each cell covers
int cell_last[CAPACITY];
double mass[CAPACITY + 1];
double cumulative[CAPACITY + 1];
double weight_change[CAPACITY + 1];

int innermost_intervals(const CensoredCell* cells, int n) {
    int count = 0;
    for (int i = 0; i < n; ++i) {
        const double v = cells[i].value;
        switch (cells[i].side) {
        case SIDE_BELOW:
            ends[count++] = End{-INF, 0, true};
            ends[count++] = End{v, 1, false};
            break;
        case SIDE_ABOVE:
            ends[count++] = End{v, 2, true};
            ends[count++] = End{INF, 1, false};
            break;
        default:
            ends[count++] = End{v, 0, true};
            ends[count++] = End{v, 1, false};
        }
    }
    std::sort(ends, ends + count, end_before);
    int m = 0;
    for (int k = 1; k < count; ++k)
        if (ends[k - 1].left && !ends[k].left) {
            interval_low[m] = ends[k - 1];
            interval_high[m] = ends[k];
            ++m;
        }
    for (int i = 0; i < n; ++i) {
        const double v = cells[i].value;
        if (cells[i].side == SIDE_BELOW) {
            cell_first[i] = 0;
            cell_last[i] = static_cast<int>(std::upper_bound(interval_high, interval_high + m, End{v, 1, false}, end_before) -
                                            interval_high) - 1;
        } else if (cells[i].side == SIDE_ABOVE) {
            cell_first[i] = static_cast<int>(std::lower_bound(interval_low, interval_low + m, End{v, 2, true}, end_before) -
                                             interval_low);
            cell_last[i] = m - 1;
        } else {
            cell_first[i] = static_cast<int>(std::lower_bound(interval_low, interval_low + m, End{v, 0, true}, end_before) -
                                             interval_low);
            cell_last[i] = cell_first[i];
        }
    }
    return m;
}

// The self-consistency iteration: each cell's weight 1/n is shared among
// the innermost intervals it covers in proportion to their masses, and the
// new masses are the shares summed. Returns false at the iteration cap.
bool turnbull_masses(int n, int m) {
    for (int j = 0; j < m; ++j) mass[j] = 1.0 / m;
    for (int iteration = 0; iteration < TURNBULL_MAX_ITERATIONS; ++iteration) {
        cumulative[0] = 0;
        for (int j = 0; j < m; ++j) cumulative[j + 1] = cumulative[j] + mass[j];
        std::fill(weight_change, weight_change + m + 1, 0.0);
        for (int i = 0; i < n; ++i) {
            const double covered = cumulative[cell_last[i] + 1] - cumulative[cell_first[i]];
            weight_change[cell_first[i]] += 1 / covered;
            weight_change[cell_last[i] + 1] -= 1 / covered;
        }
        double weight = 0;
        double largest_change = 0;
        for (int j = 0; j < m; ++j) {
            weight += weight_change[j];
            const double updated = mass[j] * weight / n;
            largest_change = std::max(largest_change, std::fabs(updated - mass[j]));
            mass[j] = updated;
        }
        if (largest_change < TURNBULL_TOLERANCE) return true;
    }
    return false;
}

}  // namespace

KmCentiles km_centiles(const CensoredCell* cells, int n) {
    KmCentiles result{NaN, NaN, NaN, false, false};
    if (n < 1 || n > CAPACITY) return result;
    bool below = false;
    bool above = false;
    double largest = -INF;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(cells[i].value)) return result;
        below = below || cells[i].side == SIDE_BELOW;
        above = above || cells[i].side == SIDE_ABOVE;
        largest = std::max(largest, cells[i].value);
    }
    result.turnbull = below && above;
    if (!below) {
        for (int i = 0; i < n; ++i) observations[i] = Observation{cells[i].value, cells[i].side == SIDE_ABOVE};
        const int steps = kaplan_meier_steps(n);
        result.p25 = centile(steps, largest, 0.25);
        result.median = centile(steps, largest, 0.5);
        result.p75 = centile(steps, largest, 0.75);
        return result;
    }
    if (!above) {
        // Flipped about M, "<" cells become right-censored.
        const double flip = largest + 1;
        double flipped_largest = -INF;
        for (int i = 0; i < n; ++i) {
            observations[i] = Observation{flip - cells[i].value, cells[i].side == SIDE_BELOW};
            flipped_largest = std::max(flipped_largest, observations[i].time);
        }
        const int steps = kaplan_meier_steps(n);
        result.p25 = flip - centile(steps, flipped_largest, 0.75);
        result.median = flip - centile(steps, flipped_largest, 0.5);
        result.p75 = flip - centile(steps, flipped_largest, 0.25);
        return result;
    }
    const int m = innermost_intervals(cells, n);
    if (!turnbull_masses(n, m)) {
        result.iteration_cap_reached = true;
        return result;
    }
    // The curve steps at each finite innermost interval with a mass: at its
    // point, at its midpoint when it has a width, at its right end when it
    // reaches down to -infinity. Mass beyond every finite end is never
    // reached.
    int steps = 0;
    double level = 0;
    for (int j = 0; j < m; ++j) {
        level += mass[j];
        if (interval_high[j].value == INF || mass[j] < NEGLIGIBLE_MASS) continue;
        const double low = interval_low[j].value;
        const double high = interval_high[j].value;
        step_time[steps] = low == -INF || low == high ? high : (low + high) / 2;
        step_level[steps] = level;
        ++steps;
    }
    result.p25 = centile(steps, largest, 0.25);
    result.median = centile(steps, largest, 0.5);
    result.p75 = centile(steps, largest, 0.75);
    return result;
}
