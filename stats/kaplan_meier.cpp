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
    // The levels increase: those at most p - 2 tolerances are neither near p
    // nor above it, and are passed by.
    const int first =
        static_cast<int>(std::upper_bound(step_level, step_level + steps, p - 2 * LEVEL_TOLERANCE) - step_level);
    for (int i = first; i < steps; ++i) {
        if (std::fabs(step_level[i] - p) < LEVEL_TOLERANCE)
            return (step_time[i] + (i + 1 < steps ? step_time[i + 1] : largest_time)) / 2;
        if (step_level[i] > p) return step_time[i];
    }
    return NaN;
}

// The 25, 50 and 75 centiles of the curve into `result`.
void set_centiles(KmCentiles& result, int steps, double largest_time) {
    result.p25 = centile(steps, largest_time, 0.25);
    result.median = centile(steps, largest_time, 0.5);
    result.p75 = centile(steps, largest_time, 0.75);
}

// The cells by side, each part ascending: the measured values and the
// limits of the "<" and of the ">" cells. A column read along its order
// arrives with them sorted, and each part is sorted here only if it is not.
double measured[CAPACITY];
double below_limits[CAPACITY];
double above_limits[CAPACITY];
int measured_count;
int below_count;
int above_count;

void sort_unless_sorted(double* v, int n) {
    if (!std::is_sorted(v, v + n)) std::sort(v, v + n);
}

// Kaplan-Meier with right-censoring, from the times of the events and of
// the censored observations, each ascending: a censored time is still at
// risk at its own time. Returns the number of steps.
int kaplan_meier_steps(const double* event_times, int events_count, const double* censored_times, int censored_count) {
    const int n = events_count + censored_count;
    double survival = 1;
    int steps = 0;
    int e = 0;
    int c = 0;
    while (e < events_count || c < censored_count) {
        const double time =
            c == censored_count || (e < events_count && event_times[e] <= censored_times[c]) ? event_times[e] : censored_times[c];
        const int at_risk = n - e - c;
        const int first_event = e;
        while (e < events_count && event_times[e] == time) ++e;
        while (c < censored_count && censored_times[c] == time) ++c;
        if (e > first_event) {
            survival *= 1 - static_cast<double>(e - first_event) / at_risk;
            step_time[steps] = time;
            step_level[steps] = 1 - survival;
            ++steps;
        }
    }
    return steps;
}

// The flipped times M - v of the "<" side, ascending.
double flipped_events[CAPACITY];
double flipped_censored[CAPACITY];

// Turnbull: the innermost intervals, each a pair of a left end immediately
// followed by a right end in the order of all ends. At one value x the
// ends come as a closed left end (a measured x), the right ends (a measured
// x, a "<x" limit), an open left end (a ">x" limit). Every "<" cell also has
// the left end -infinity, before all, and every ">" cell the right end
// +infinity, after all.
double interval_low[CAPACITY];   // innermost intervals in order
double interval_high[CAPACITY];
// The "<" and ">" cells collapsed into groups of equal cells: the innermost
// intervals a group covers and its number of cells. The measured cells are
// counted at their point.
int group_first[CAPACITY];
int group_last[CAPACITY];
double group_count[CAPACITY];
int group_total;
int above_first[CAPACITY];    // the ">" groups' first intervals, until the last is known
double above_group_count[CAPACITY];
double point_count[CAPACITY];
double mass[CAPACITY + 1];
double cumulative[CAPACITY + 1];
double weight_change[CAPACITY + 1];

void add_group(int first, int last, double count) {
    if (group_total > 0 && group_first[group_total - 1] == first && group_last[group_total - 1] == last) {
        group_count[group_total - 1] += count;
        return;
    }
    group_first[group_total] = first;
    group_last[group_total] = last;
    group_count[group_total] = count;
    ++group_total;
}

// The ends in order, from the sorted parts, one value at a time; with them
// the intervals each cell covers: a "<" cell those from the first up to the
// last that ends at or below its limit, a ">" cell those from the first
// that starts above its limit on, a measured value its point. The groups
// are the "<" ones by limit, then the ">" ones by limit.
int innermost_intervals() {
    int m = 0;
    bool last_left = below_count > 0;
    double last = -INF;
    auto right_end = [&](double right) {
        if (last_left) {
            interval_low[m] = last;
            interval_high[m] = right;
            point_count[m] = 0;
            ++m;
        }
        last_left = false;
    };
    group_total = 0;
    int above_groups = 0;
    for (int a = 0, b = 0, c = 0; a < measured_count || b < below_count || c < above_count;) {
        double x = INF;
        if (a < measured_count) x = measured[a];
        if (b < below_count && below_limits[b] < x) x = below_limits[b];
        if (c < above_count && above_limits[c] < x) x = above_limits[c];
        int points = 0;
        for (; a < measured_count && measured[a] == x; ++a) ++points;
        int below = 0;
        for (; b < below_count && below_limits[b] == x; ++b) ++below;
        int above = 0;
        for (; c < above_count && above_limits[c] == x; ++c) ++above;
        if (points > 0) {
            last = x;
            last_left = true;
            right_end(x);
            point_count[m - 1] = points;
        } else if (below > 0) {
            right_end(x);
        }
        if (below > 0) add_group(0, m - 1, below);
        if (above > 0) {
            last = x;
            last_left = true;
            if (above_groups > 0 && above_first[above_groups - 1] == m) {
                above_group_count[above_groups - 1] += above;
            } else {
                above_first[above_groups] = m;
                above_group_count[above_groups] = above;
                ++above_groups;
            }
        }
    }
    if (above_count > 0) right_end(INF);
    for (int g = 0; g < above_groups; ++g) add_group(above_first[g], m - 1, above_group_count[g]);
    return m;
}

// The self-consistency iteration: each cell's weight 1/n is shared among
// the innermost intervals it covers in proportion to their masses, and the
// new masses are the shares summed. A measured cell's share is all of its
// weight: interval j receives (point_count[j] + mass[j] W_j) / n, W_j the sum
// over the groups of "<" and ">" cells covering j of count / covered mass.
// W is constant between the ends of the groups, and the covered masses are
// differences of the cumulative mass at those ends, so only there is either
// kept. Returns false at the iteration cap.
bool is_group_end[CAPACITY + 1];
int group_ends[CAPACITY + 1];  // ascending, 0 and m included

bool turnbull_masses(int n, int m) {
    std::fill(is_group_end, is_group_end + m + 1, false);
    is_group_end[0] = is_group_end[m] = true;
    for (int g = 0; g < group_total; ++g) is_group_end[group_first[g]] = is_group_end[group_last[g] + 1] = true;
    int ends_count = 0;
    for (int j = 0; j <= m; ++j)
        if (is_group_end[j]) group_ends[ends_count++] = j;

    double running = 0;
    for (int j = 0; j < m; ++j) {
        if (is_group_end[j]) cumulative[j] = running;
        mass[j] = 1.0 / m;
        running += mass[j];
    }
    cumulative[m] = running;
    // Each pass leaves the changes it read at zero for the next.
    std::fill(weight_change, weight_change + m + 1, 0.0);
    for (int iteration = 0; iteration < TURNBULL_MAX_ITERATIONS; ++iteration) {
        for (int g = 0; g < group_total; ++g) {
            const double share = group_count[g] / (cumulative[group_last[g] + 1] - cumulative[group_first[g]]);
            weight_change[group_first[g]] += share;
            weight_change[group_last[g] + 1] -= share;
        }
        double weight = 0;
        double largest_change = 0;
        running = 0;
        for (int e = 0; e + 1 < ends_count; ++e) {
            const int from = group_ends[e];
            weight += weight_change[from];
            weight_change[from] = 0;
            cumulative[from] = running;
            for (int j = from; j < group_ends[e + 1]; ++j) {
                const double updated = (point_count[j] + mass[j] * weight) / n;
                largest_change = std::max(largest_change, std::fabs(updated - mass[j]));
                mass[j] = updated;
                running += updated;
            }
        }
        cumulative[m] = running;
        weight_change[m] = 0;
        if (largest_change < TURNBULL_TOLERANCE) return true;
    }
    return false;
}

}  // namespace

KmCentiles km_centiles(const CensoredCell* cells, int n) {
    KmCentiles result{NaN, NaN, NaN, false, false};
    if (n < 1 || n > CAPACITY) return result;
    measured_count = below_count = above_count = 0;
    double largest = -INF;
    for (int i = 0; i < n; ++i) {
        const double v = cells[i].value;
        if (!std::isfinite(v)) return result;
        if (cells[i].side == SIDE_BELOW)
            below_limits[below_count++] = v;
        else if (cells[i].side == SIDE_ABOVE)
            above_limits[above_count++] = v;
        else
            measured[measured_count++] = v;
        largest = std::max(largest, v);
    }
    sort_unless_sorted(measured, measured_count);
    sort_unless_sorted(below_limits, below_count);
    sort_unless_sorted(above_limits, above_count);
    result.turnbull = below_count > 0 && above_count > 0;
    if (below_count == 0) {
        set_centiles(result, kaplan_meier_steps(measured, measured_count, above_limits, above_count), largest);
        return result;
    }
    if (above_count == 0) {
        // Flipped about M, "<" cells become right-censored.
        const double flip = largest + 1;
        for (int i = 0; i < measured_count; ++i) flipped_events[i] = flip - measured[measured_count - 1 - i];
        for (int i = 0; i < below_count; ++i) flipped_censored[i] = flip - below_limits[below_count - 1 - i];
        double flipped_largest = flipped_censored[below_count - 1];
        if (measured_count > 0) flipped_largest = std::max(flipped_largest, flipped_events[measured_count - 1]);
        const int steps = kaplan_meier_steps(flipped_events, measured_count, flipped_censored, below_count);
        result.p25 = flip - centile(steps, flipped_largest, 0.75);
        result.median = flip - centile(steps, flipped_largest, 0.5);
        result.p75 = flip - centile(steps, flipped_largest, 0.25);
        return result;
    }
    const int m = innermost_intervals();
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
        if (interval_high[j] == INF || mass[j] < NEGLIGIBLE_MASS) continue;
        const double low = interval_low[j];
        const double high = interval_high[j];
        step_time[steps] = low == -INF || low == high ? high : (low + high) / 2;
        step_level[steps] = level;
        ++steps;
    }
    set_centiles(result, steps, largest);
    return result;
}
