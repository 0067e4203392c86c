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
// An estimate and the two limits of its interval lie close together in
// rank: one first step brackets all three and each selection goes on from
// the entries between its pivots; the median of an even count takes the
// entry after the lower middle from the same selection.
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
// The sample, and its margin, of the first step shared by an estimate and
// its two limits.
constexpr int BAND_SAMPLE_SIZE = 255;
constexpr long long BAND_MARGIN = 12;

// Per row: first active column and one past the last.
int32_t row_begin[MAX_SIDE];
int32_t row_end[MAX_SIDE];
// Per row: active columns with a value below the low pivot / up to the high one.
int32_t below_end[MAX_SIDE];
int32_t upto_end[MAX_SIDE];
long long active_before[MAX_SIDE + 1];
// Per row, the columns between the pivots of that shared first step.
int32_t band_begin[MAX_SIDE];
int32_t band_end[MAX_SIDE];
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

// A value below v (STRICT) or up to v.
template <bool STRICT>
bool counted(double value, double v) {
    return STRICT ? value < v : value <= v;
}

// The first of a[0..n) for which `counted` fails (n when none does), the
// values counted forming a prefix: by halving without a branch on them.
template <typename Counted>
int first_not_counted(const double* a, int n, Counted counted_value) {
    if (n <= 0) return 0;
    const double* base = a;
    for (int left = n; left > 1;) {
        const int half = left / 2;
        base = counted_value(base[half]) ? base + half : base;
        left -= half;
    }
    return static_cast<int>(base - a) + (counted_value(*base) ? 1 : 0);
}

// Pairwise differences: row i is x[i], column j is y[j]; value y[j] - x[i]
// grows with j and falls with i.
struct Differences {
    const double* x;
    const double* y;
    int rows, columns;
    double value(int i, int j) const { return y[j] - x[i]; }
    int first_column(int) const { return 0; }
    // Moves pointer j to the number of columns of row i with a value
    // counted against v. It only moves right as x grows: it must start no
    // further right than that number (as after an earlier row).
    template <bool STRICT>
    void advance(int i, double v, int& j) const {
        // y[columns] is +infinity: the pointer never passes it. Steps of 4,
        // 2 and 1 without a branch (a column counted means all before it
        // are) take moves of up to 7, nearly every row; the loop the rest.
        const double xi = x[i];
        for (int step = 4; step > 0; step /= 2)
            j += counted<STRICT>(y[std::min(j + step - 1, columns)] - xi, v) ? step : 0;
        while (counted<STRICT>(y[j] - xi, v)) ++j;
    }
    // That number for row i alone, by halving.
    template <bool STRICT>
    int pointer_of(int i, double v) const {
        const double xi = x[i];
        return first_not_counted(y, columns, [xi, v](double yj) { return counted<STRICT>(yj - xi, v); });
    }
};

// Walsh averages: row i holds columns j = i .. n-1 with (d[i] + d[j]) / 2,
// growing with j and with i.
struct WalshAverages {
    const double* d;
    int rows, columns;
    double value(int i, int j) const { return (d[i] + d[j]) / 2; }
    int first_column(int i) const { return i; }
    // Moves pointer j to one past the last column of row i with a value
    // counted against v (i or less when there is none). It only moves left
    // as i grows: it must start no further left (as after an earlier row).
    template <bool STRICT>
    void advance(int i, double v, int& j) const {
        // Steps of 4, 2 and 1 without a branch (a column not counted means
        // none after it is) take moves of up to 7, nearly every row; the
        // loop the rest.
        const double di = d[i];
        for (int step = 4; step > 0; step /= 2)
            j -= j - step >= i && !counted<STRICT>((di + d[std::max(j - step, i)]) / 2, v) ? step : 0;
        while (j > i && !counted<STRICT>((di + d[j - 1]) / 2, v)) --j;
    }
    template <bool STRICT>
    int pointer_of(int i, double v) const {
        const double di = d[i];
        return i + first_not_counted(d + i, columns - i,
                                     [di, v](double dj) { return counted<STRICT>((di + dj) / 2, v); });
    }
};

// The rows that may hold active entries: first_row .. last_row - 1.
int first_row = 0;
int last_row = 0;

// Puts every entry of m in play; returns their count.
template <typename Matrix>
long long start_full(const Matrix& m) {
    long long total = 0;
    for (int i = 0; i < m.rows; ++i) {
        row_begin[i] = m.first_column(i);
        row_end[i] = m.columns;
        total += m.columns - row_begin[i];
    }
    first_row = 0;
    last_row = m.rows;
    return total;
}

// Narrows the row range to the rows that hold active entries.
void narrow_rows() {
    while (first_row < last_row && row_begin[first_row] >= row_end[first_row]) ++first_row;
    while (last_row > first_row && row_begin[last_row - 1] >= row_end[last_row - 1]) --last_row;
}

// The active entry at position p of the row-by-row listing, active_before
// holding the running count per row.
template <typename Matrix>
double active_entry(const Matrix& m, long long p) {
    // The last row whose running count is at most p, by halving without a
    // branch on the data.
    const long long* row = active_before + first_row;
    for (long long n = last_row - first_row; n > 1;) {
        const long long half = n / 2;
        row = row[half] <= p ? row + half : row;
        n -= half;
    }
    const int i = static_cast<int>(row - active_before);
    return m.value(i, row_begin[i] + static_cast<int>(p - active_before[i]));
}

// Places the k-th smallest (0-based) of a[0..n) at a[k], the smaller ones
// before it and the others after, and returns it. Quickselect with a
// partition that takes no branch on the values (each value is swapped to
// the boundary and the boundary moves by the comparison): the gathered
// values come in no order, and the usual partition mispredicts about every
// other comparison.
double select_gathered(double* a, long long n, long long k) {
    long long lo = 0, hi = n;
    while (hi - lo > 16) {
        const double x = a[lo], y = a[lo + (hi - lo) / 2], z = a[hi - 1];
        const double pivot = std::max(std::min(x, y), std::min(std::max(x, y), z));  // the median of three
        long long store = lo;
        for (long long i = lo; i < hi; ++i) {
            const double v = a[i];
            a[i] = a[store];
            a[store] = v;
            store += v < pivot;
        }
        if (k < store) {
            hi = store;
            continue;
        }
        // The values from `store` on are at least the pivot; those equal to
        // it (the pivot among them) go first.
        long long equal_end = store;
        for (long long i = store; i < hi; ++i) {
            const double v = a[i];
            a[i] = a[equal_end];
            a[equal_end] = v;
            equal_end += v <= pivot;
        }
        if (equal_end == store) break;  // no order (a value not a number)
        if (k < equal_end) return a[k];
        lo = equal_end;
    }
    std::nth_element(a + lo, a + k, a + hi);
    return a[k];
}

// Two pivots from a random sample of `size` of the `active` entries: the
// low one `margin` sample places below where rank `from` (0-based among
// them) is expected, the high one as far above where rank `to` is.
template <typename Matrix>
void choose_pivots(const Matrix& m, long long active, long long from, long long to, int size, long long margin,
                   double& low, double& high) {
    long long total = 0;
    for (int i = first_row; i < last_row; ++i) {
        active_before[i] = total;
        total += row_end[i] - row_begin[i];
    }
    active_before[last_row] = total;
    double sample[BAND_SAMPLE_SIZE];
    for (int s = 0; s < size; ++s)
        sample[s] = active_entry(m, static_cast<long long>(next_random() % static_cast<uint64_t>(active)));
    const long long low_at = std::max(0LL, from * size / active - margin);
    const long long high_at = std::min(static_cast<long long>(size - 1), to * size / active + margin);
    high = select_gathered(sample, size, high_at);
    low = select_gathered(sample, high_at + 1, low_at);  // among those up to the high one
}

// The least entry above v: per row the first column past those up to v.
template <typename Matrix>
double next_above(const Matrix& m, double v) {
    double least = std::numeric_limits<double>::infinity();
    int j = m.template pointer_of<false>(0, v);
    for (int i = 0; i < m.rows; ++i) {
        m.template advance<false>(i, v, j);
        const int past = std::max(j, m.first_column(i));
        if (past < m.columns) least = std::min(least, m.value(i, past));
    }
    return least;
}

// Per row the active columns below `low` and up to `high` (below_end,
// upto_end), with their totals. The pointers of the two counts walk the
// rows in CHAINS runs side by side, each from its first row's own
// pointers: the runs do not wait on each other.
template <typename Matrix>
void count_between(const Matrix& m, double low, double high, long long& n_below, long long& n_upto) {
    constexpr int CHAINS = 4;
    const int length = (last_row - first_row + CHAINS - 1) / CHAINS;
    int a[CHAINS], b[CHAINS];
    for (int c = 0; c < CHAINS; ++c) {
        const int i = std::min(first_row + c * length, last_row - 1);
        a[c] = m.template pointer_of<true>(i, low);
        b[c] = m.template pointer_of<false>(i, high);
    }
    long long below = 0, upto = 0;
    for (int k = 0; k < length; ++k) {
        for (int c = 0; c < CHAINS; ++c) {
            const int i = first_row + c * length + k;
            if (i >= last_row) break;
            m.template advance<true>(i, low, a[c]);
            m.template advance<false>(i, high, b[c]);
            const int32_t rb = row_begin[i], re = row_end[i];
            const int32_t ea = a[c] < rb ? rb : (a[c] > re ? re : a[c]);
            const int32_t eb = b[c] < rb ? rb : (b[c] > re ? re : b[c]);
            below_end[i] = ea;
            upto_end[i] = eb;
            below += ea - rb;
            upto += eb - rb;
        }
    }
    n_below = below;
    n_upto = upto;
}

const double INF = std::numeric_limits<double>::infinity();

// The k-th smallest entry of m, where the `active` entries in play (per row
// row_begin .. row_end, over the row range) are all those between the
// pivots `low` and `high` and lie above `below` others. With `interpolate`
// the next pivots are interpolated between those two, else drawn. With
// `next`, also the entry that follows the k-th in order.
template <typename Matrix>
double select_in_play(const Matrix& m, long long k, long long below, long long active, double low, double high,
                      bool interpolate, double* next) {
    for (;;) {
        narrow_rows();
        const long long wanted = k - below - 1;  // 0-based among the active
        if (active <= GATHER_LIMIT) {
            long long n = 0;
            for (int i = first_row; i < last_row; ++i)
                for (int j = row_begin[i]; j < row_end[i]; ++j) gathered[n++] = m.value(i, j);
            const double v = select_gathered(gathered, n, wanted);
            // The active entries are all those with a value in a range, so
            // the one after the k-th is among them or the least above it.
            if (next != nullptr)
                *next = wanted + 1 < n ? *std::min_element(gathered + wanted + 1, gathered + n) : next_above(m, v);
            return v;
        }
        if (!interpolate || !(low < high) || !std::isfinite(high - low)) {
            choose_pivots(m, active, wanted, wanted, SAMPLE_SIZE, SAMPLE_MARGIN, low, high);
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
        long long n_below = 0, n_upto = 0;
        count_between(m, low, high, n_below, n_upto);
        const long long previous = active;
        if (wanted < n_below) {  // below the low pivot
            for (int i = first_row; i < last_row; ++i) row_end[i] = below_end[i];
            active = n_below;
            high = low;
            low = -INF;
        } else if (wanted >= n_upto) {  // above the high pivot
            for (int i = first_row; i < last_row; ++i) row_begin[i] = upto_end[i];
            below += n_upto;
            active -= n_upto;
            low = high;
            high = INF;
        } else if (low == high) {  // every entry between them equals both
            if (next != nullptr) *next = wanted + 1 < n_upto ? low : next_above(m, low);
            return low;
        } else {  // between the pivots, both included
            for (int i = first_row; i < last_row; ++i) {
                row_begin[i] = below_end[i];
                row_end[i] = upto_end[i];
            }
            below += n_below;
            active = n_upto - n_below;
        }
        // A step that leaves every entry in play is followed by sampled
        // pivots, which are entries: each branch but the last then drops at
        // least one, and the last keeps all only when the pivots are the
        // least and the greatest entry, which the next sample changes.
        interpolate = active < previous;
    }
}

template <typename Matrix>
double select_kth(const Matrix& m, long long k) {
    const long long count = start_full(m);
    return select_in_play(m, k, 0, count, 0, 0, false, nullptr);
}

// The median (the mean of the middle two for an even count) and the k-th
// smallest and k-th largest entries, when 1 <= k <= count. Their ranks lie
// close together, so one larger sample first gives two pivots around all
// three; each selection then starts from the entries between those (or
// from all, should its rank fall outside).
template <typename Matrix>
HodgesLehmann estimate_with_limits(const Matrix& m, long long k) {
    const double NA = std::nan("");
    const long long count = start_full(m);
    const long long middle = (count + 1) / 2;
    double after = 0;
    double* const next = count % 2 == 0 ? &after : nullptr;
    HodgesLehmann r{NA, NA, NA};
    const bool limits = k >= 1 && k <= count;
    if (!limits || count <= GATHER_LIMIT) {
        const double v = select_in_play(m, middle, 0, count, 0, 0, false, next);
        r.estimate = next != nullptr ? (v + after) / 2 : v;
        if (limits) {
            r.low = select_kth(m, k);
            r.high = select_kth(m, count + 1 - k);
        }
        return r;
    }
    double low = 0, high = 0;
    choose_pivots(m, count, std::min(k, count + 1 - k) - 1, std::max(k, count + 1 - k) - 1, BAND_SAMPLE_SIZE,
                  BAND_MARGIN, low, high);
    long long n_below = 0, n_upto = 0;
    count_between(m, low, high, n_below, n_upto);
    std::copy(below_end, below_end + m.rows, band_begin);
    std::copy(upto_end, upto_end + m.rows, band_end);
    const auto select = [&](long long rank, double* following) {
        if (rank > n_below && rank <= n_upto) {
            std::copy(band_begin, band_begin + m.rows, row_begin);
            std::copy(band_end, band_end + m.rows, row_end);
            first_row = 0;
            last_row = m.rows;
            return select_in_play(m, rank, n_below, n_upto - n_below, low, high, true, following);
        }
        return select_in_play(m, rank, 0, start_full(m), 0, 0, false, following);
    };
    const double v = select(middle, next);
    r.estimate = next != nullptr ? (v + after) / 2 : v;
    r.low = select(k, nullptr);
    r.high = select(count + 1 - k, nullptr);
    return r;
}

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

HodgesLehmann pairwise_difference_estimate(const double* x, int nx, const double* y, int ny, long long k) {
    if (nx < 1 || ny < 1 || nx > MAX_SIDE || ny > MAX_SIDE) return {std::nan(""), std::nan(""), std::nan("")};
    return estimate_with_limits(padded_differences(x, nx, y, ny), k);
}

HodgesLehmann walsh_average_estimate(const double* d, int n, long long k) {
    if (n < 1 || n > MAX_SIDE) return {std::nan(""), std::nan(""), std::nan("")};
    return estimate_with_limits(padded_walsh(d, n), k);
}
