// Selection in an implicitly sorted matrix: the differences of two sorted
// samples and the Walsh averages of one. The selection keeps, per row, the
// range of columns still in play. The first two pivots come from a small
// random sample of those entries, on either side of where the wanted rank
// is expected (Floyd and Rivest, "Expected time bounds for selection",
// Comm. ACM 18, 1975); later ones are interpolated between the last two,
// with a margin. The entries below and above a pivot are counted in one
// pass over the rows, which a sorted matrix allows in O(rows + columns)
// (the two-pointer count of J. F. Monahan, "Algorithm 616: fast computation
// of the Hodges-Lehmann location estimator", ACM TOMS 10, 1984). Once few
// entries are left they are gathered and selected directly. The whole is
// O((nx + ny) log(nx ny)) on average and never writes out the matrix.
#include "stats/hodges_lehmann.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr int MAX_SIDE = 1024;
// Entries gathered once the active part is this small.
constexpr long long GATHER_LIMIT = 1024;
constexpr int SAMPLE_SIZE = 127;
// Sample places on each side of the expected one.
constexpr long long SAMPLE_MARGIN = 8;

// Per row: first active column and one past the last.
int32_t row_begin[MAX_SIDE];
int32_t row_end[MAX_SIDE];
// Per row: active columns with a value below the low pivot / up to the high one.
int32_t below_end[MAX_SIDE];
int32_t upto_end[MAX_SIDE];
long long active_before[MAX_SIDE + 1];
double gathered[GATHER_LIMIT];
// The sorted inputs with a sentinel on each side, so that a pointer may
// look one place beyond its range without a test.
double padded_x[MAX_SIDE + 2];
double padded_y[MAX_SIDE + 2];

uint64_t random_state = 0x9E3779B97F4A7C15u;

uint64_t next_random() {
    random_state ^= random_state << 13;
    random_state ^= random_state >> 7;
    random_state ^= random_state << 17;
    return random_state;
}

// Pairwise differences: row i is x[i], column j is y[j]; value y[j] - x[i]
// grows with j and falls with i.
struct Differences {
    const double* x;
    const double* y;
    int rows, columns;
    double value(int i, int j) const { return y[j] - x[i]; }
    int first_column(int) const { return 0; }
    // Per row the columns with a value < v (STRICT) or <= v, by one pointer
    // that only moves right as x grows.
    // Rows first..last-1 only; `start` is no more than the count of row
    // `first` (every column before it holds a value below v).
    template <bool STRICT>
    void count(double v, int32_t* ends, int first, int last, int start) const {
        // y[columns] is +infinity: the pointer never passes it. Two steps
        // without a branch take most rows; the loop the rest.
        int j = start;
        for (int i = first; i < last; ++i) {
            const double xi = x[i];
            j += STRICT ? y[j] - xi < v : y[j] - xi <= v;
            j += STRICT ? y[j] - xi < v : y[j] - xi <= v;
            while (STRICT ? y[j] - xi < v : y[j] - xi <= v) ++j;
            ends[i] = j;
        }
    }
};

// Walsh averages: row i holds columns j = i .. n-1 with (d[i] + d[j]) / 2,
// growing with j and with i.
struct WalshAverages {
    const double* d;
    int rows, columns;
    double value(int i, int j) const { return (d[i] + d[j]) / 2; }
    int first_column(int i) const { return i; }
    // Rows first..last-1 only; `start` is no less than one past the last
    // column of row `first` with a value in range.
    template <bool STRICT>
    void count(double v, int32_t* ends, int first, int last, int start) const {
        // d[-1] is -infinity, so d[j - 1] may be read for j = 0. Two steps
        // without a branch take most rows; the loop the rest.
        int j = start;  // one past the last column with a value in range
        for (int i = first; i < last; ++i) {
            const double di = d[i];
            j -= (j > i) & !(STRICT ? (di + d[j - 1]) / 2 < v : (di + d[j - 1]) / 2 <= v);
            j -= (j > i) & !(STRICT ? (di + d[j - 1]) / 2 < v : (di + d[j - 1]) / 2 <= v);
            while (j > i && !(STRICT ? (di + d[j - 1]) / 2 < v : (di + d[j - 1]) / 2 <= v)) --j;
            ends[i] = j > i ? j : i;
        }
    }
};

// The rows that may hold active entries: first_row .. last_row - 1.
int first_row = 0;
int last_row = 0;

// The number of active entries, with the running count per row; narrows
// the row range to the rows that hold any.
long long count_active() {
    while (first_row < last_row && row_begin[first_row] >= row_end[first_row]) ++first_row;
    while (last_row > first_row && row_begin[last_row - 1] >= row_end[last_row - 1]) --last_row;
    long long total = 0;
    for (int i = first_row; i < last_row; ++i) {
        active_before[i] = total;
        total += row_end[i] - row_begin[i];
    }
    active_before[last_row] = total;
    return total;
}

// Where the pointer of a count over the row range may start.
int count_start(const Differences&) { return row_begin[first_row]; }
int count_start(const WalshAverages&) { return row_end[first_row]; }

// The active entry at position p of the row-by-row listing.
template <typename Matrix>
double active_entry(const Matrix& m, long long p) {
    const long long* row = std::upper_bound(active_before + first_row, active_before + last_row + 1, p) - 1;
    const int i = static_cast<int>(row - active_before);
    return m.value(i, row_begin[i] + static_cast<int>(p - active_before[i]));
}

// Two pivots from a random sample of the active entries, bracketing the
// place where the wanted rank (`wanted` among `active`) is expected.
template <typename Matrix>
void choose_pivots(const Matrix& m, long long active, long long wanted, double& low, double& high) {
    double sample[SAMPLE_SIZE];
    for (double& s : sample) s = active_entry(m, static_cast<long long>(next_random() % static_cast<uint64_t>(active)));
    std::sort(sample, sample + SAMPLE_SIZE);
    const long long at = wanted * SAMPLE_SIZE / active;
    low = sample[std::max(0LL, at - SAMPLE_MARGIN)];
    high = sample[std::min(static_cast<long long>(SAMPLE_SIZE - 1), at + SAMPLE_MARGIN)];
}

// Per row, the active columns below `low` and those up to `high`, kept
// inside the active range; the totals of each.
template <typename Matrix>
void count_between(const Matrix& m, double low, double high, long long& n_below, long long& n_upto) {
    m.template count<true>(low, below_end, first_row, last_row, count_start(m));
    m.template count<false>(high, upto_end, first_row, last_row, count_start(m));
    n_below = n_upto = 0;
    for (int i = first_row; i < last_row; ++i) {
        const int32_t b = row_begin[i], e = row_end[i];
        below_end[i] = below_end[i] < b ? b : (below_end[i] > e ? e : below_end[i]);
        upto_end[i] = upto_end[i] < b ? b : (upto_end[i] > e ? e : upto_end[i]);
        n_below += below_end[i] - b;
        n_upto += upto_end[i] - b;
    }
}

// Where the pointer of a count over all rows starts.
int full_start(const Differences&) { return 0; }
int full_start(const WalshAverages& m) { return m.columns; }

// The least entry above v: per row the first column past those up to v.
template <typename Matrix>
double next_above(const Matrix& m, double v) {
    m.template count<false>(v, upto_end, 0, m.rows, full_start(m));
    double least = std::numeric_limits<double>::infinity();
    for (int i = 0; i < m.rows; ++i)
        if (upto_end[i] < m.columns) least = std::min(least, m.value(i, upto_end[i]));
    return least;
}

template <typename Matrix>
double select_kth(const Matrix& m, long long k) {
    for (int i = 0; i < m.rows; ++i) {
        row_begin[i] = m.first_column(i);
        row_end[i] = m.columns;
    }
    first_row = 0;
    last_row = m.rows;
    long long below = 0;  // entries known to lie below the active ones
    long long last_active = -1;
    double low = 0, high = 0;  // the last pivots, around the active entries
    for (;;) {
        const long long active = count_active();
        const long long wanted = k - below - 1;  // 0-based among the active
        if (active <= GATHER_LIMIT) {
            long long n = 0;
            for (int i = first_row; i < last_row; ++i)
                for (int j = row_begin[i]; j < row_end[i]; ++j) gathered[n++] = m.value(i, j);
            std::nth_element(gathered, gathered + wanted, gathered + n);
            return gathered[wanted];
        }
        if (last_active < 0 || active >= last_active || !(low < high) || !std::isfinite(high - low)) {
            choose_pivots(m, active, wanted, low, high);
        } else {
            // Between the last pivots the entries are spread about evenly:
            // interpolate where the wanted one lies, with a margin.
            const double place = (static_cast<double>(wanted) + 0.5) / static_cast<double>(active);
            const double margin = 0.03 + 2 / std::sqrt(static_cast<double>(active));
            const double span = high - low;
            const double new_low = place - margin > 0 ? low + span * (place - margin) : low;
            high = place + margin < 1 ? low + span * (place + margin) : high;
            low = new_low;
        }
        last_active = active;
        long long n_below = 0, n_upto = 0;
        count_between(m, low, high, n_below, n_upto);
        if (wanted < n_below) {  // below the low pivot
            for (int i = first_row; i < last_row; ++i) row_end[i] = below_end[i];
            high = low;
            low = -std::numeric_limits<double>::infinity();
        } else if (wanted >= n_upto) {  // above the high pivot
            for (int i = first_row; i < last_row; ++i) row_begin[i] = upto_end[i];
            below += n_upto;
            low = high;
            high = std::numeric_limits<double>::infinity();
        } else if (low == high) {  // every entry between them equals both
            return low;
        } else {  // between the pivots, both included
            for (int i = first_row; i < last_row; ++i) {
                row_begin[i] = below_end[i];
                row_end[i] = upto_end[i];
            }
            below += n_below;
        }
        // A step that leaves every entry in play is followed by sampled
        // pivots, which are entries: each branch but the last then drops at
        // least one, and the last keeps all only when the pivots are the
        // least and the greatest entry, which the next sample changes.
    }
}

const double INF = std::numeric_limits<double>::infinity();

Differences padded_differences(const double* x, int nx, const double* y, int ny) {
    std::copy(x, x + nx, padded_x);
    std::copy(y, y + ny, padded_y);
    padded_y[ny] = INF;
    return Differences{padded_x, padded_y, nx, ny};
}

WalshAverages padded_walsh(const double* d, int n) {
    padded_x[0] = -INF;
    std::copy(d, d + n, padded_x + 1);
    return WalshAverages{padded_x + 1, n, n};
}

// The median of the `count` entries of m, count even, whose lower middle
// entry `low` is already selected: the mean of it and the entry after it.
template <typename Matrix>
double even_median(const Matrix& m, long long count, double low) {
    m.template count<false>(low, upto_end, 0, m.rows, full_start(m));
    long long upto = 0;
    for (int i = 0; i < m.rows; ++i) upto += upto_end[i] - m.first_column(i);
    return (low + (upto > count / 2 ? low : next_above(m, low))) / 2;
}

}  // namespace

double kth_pairwise_difference(const double* x, int nx, const double* y, int ny, long long k) {
    if (nx < 1 || ny < 1 || nx > MAX_SIDE || ny > MAX_SIDE || k < 1 || k > static_cast<long long>(nx) * ny)
        return std::nan("");
    return select_kth(padded_differences(x, nx, y, ny), k);
}

double kth_walsh_average(const double* d, int n, long long k) {
    if (n < 1 || n > MAX_SIDE || k < 1 || k > static_cast<long long>(n) * (n + 1) / 2) return std::nan("");
    return select_kth(padded_walsh(d, n), k);
}

double median_pairwise_difference(const double* x, int nx, const double* y, int ny) {
    const long long count = static_cast<long long>(nx) * ny;
    const double low = kth_pairwise_difference(x, nx, y, ny, (count + 1) / 2);
    if (count % 2 == 1 || std::isnan(low)) return low;
    return even_median(padded_differences(x, nx, y, ny), count, low);
}

double median_walsh_average(const double* d, int n) {
    const long long count = static_cast<long long>(n) * (n + 1) / 2;
    const double low = kth_walsh_average(d, n, (count + 1) / 2);
    if (count % 2 == 1 || std::isnan(low)) return low;
    return even_median(padded_walsh(d, n), count, low);
}
