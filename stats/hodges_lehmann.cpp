// Selection in an implicitly sorted matrix: the differences of two sorted
// samples and the Walsh averages of one. The selection keeps, per row, the
// range of columns still in play; a pivot is drawn from a small random
// sample of those entries, placed where the wanted rank is expected
// (Floyd and Rivest, "Expected time bounds for selection", Comm. ACM 18,
// 1975), and the entries below and above it are counted in one pass over
// the rows, which a sorted matrix allows in O(rows + columns) (the
// two-pointer count of J. F. Monahan, "Algorithm 616: fast computation of
// the Hodges-Lehmann location estimator", ACM TOMS 10, 1984). Once few
// entries are left they are gathered and selected directly. The whole is
// O((nx + ny) log(nx ny)) on average and never writes out the matrix.
#include "stats/hodges_lehmann.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr int MAX_SIDE = 1024;
// Entries gathered once the active part is this small.
constexpr long long GATHER_LIMIT = 2048;
constexpr int SAMPLE_SIZE = 15;

// Per row: first active column and one past the last.
int32_t row_begin[MAX_SIDE];
int32_t row_end[MAX_SIDE];
// Per row: active columns with a value below / not above the pivot.
int32_t below_end[MAX_SIDE];
int32_t upto_end[MAX_SIDE];
long long active_before[MAX_SIDE + 1];
double gathered[GATHER_LIMIT];

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
    // Per row the columns with a value < v (strict) or <= v, by one pointer
    // that only moves right as x grows.
    void count(double v, bool strict, int32_t* ends) const {
        int j = 0;
        for (int i = 0; i < rows; ++i) {
            while (j < columns && (strict ? value(i, j) < v : value(i, j) <= v)) ++j;
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
    void count(double v, bool strict, int32_t* ends) const {
        int j = columns;  // one past the last column with a value in range
        for (int i = 0; i < rows; ++i) {
            while (j > i && !(strict ? value(i, j - 1) < v : value(i, j - 1) <= v)) --j;
            ends[i] = j > i ? j : i;
        }
    }
};

// The number of active entries, with the running count per row.
long long count_active(int rows) {
    long long total = 0;
    for (int i = 0; i < rows; ++i) {
        active_before[i] = total;
        total += row_end[i] - row_begin[i];
    }
    active_before[rows] = total;
    return total;
}

// The active entry at position p of the row-by-row listing.
template <typename Matrix>
double active_entry(const Matrix& m, long long p) {
    const long long* row = std::upper_bound(active_before, active_before + m.rows + 1, p) - 1;
    const int i = static_cast<int>(row - active_before);
    return m.value(i, row_begin[i] + static_cast<int>(p - active_before[i]));
}

// A pivot where the wanted rank (`wanted` among `active`) is expected.
template <typename Matrix>
double choose_pivot(const Matrix& m, long long active, long long wanted) {
    double sample[SAMPLE_SIZE];
    for (double& s : sample) s = active_entry(m, static_cast<long long>(next_random() % static_cast<uint64_t>(active)));
    std::sort(sample, sample + SAMPLE_SIZE);
    const long long at = wanted * SAMPLE_SIZE / active;
    return sample[at < SAMPLE_SIZE ? at : SAMPLE_SIZE - 1];
}

template <typename Matrix>
double select_kth(const Matrix& m, long long k) {
    for (int i = 0; i < m.rows; ++i) {
        row_begin[i] = m.first_column(i);
        row_end[i] = m.columns;
    }
    long long below = 0;  // entries known to lie below the active ones
    for (;;) {
        const long long active = count_active(m.rows);
        const long long wanted = k - below - 1;  // 0-based among the active
        if (active <= GATHER_LIMIT) {
            long long n = 0;
            for (int i = 0; i < m.rows; ++i)
                for (int j = row_begin[i]; j < row_end[i]; ++j) gathered[n++] = m.value(i, j);
            std::nth_element(gathered, gathered + wanted, gathered + n);
            return gathered[wanted];
        }
        const double pivot = choose_pivot(m, active, wanted);
        m.count(pivot, true, below_end);
        m.count(pivot, false, upto_end);
        long long n_below = 0, n_upto = 0;
        for (int i = 0; i < m.rows; ++i) {
            below_end[i] = std::clamp(below_end[i], row_begin[i], row_end[i]);
            upto_end[i] = std::clamp(upto_end[i], row_begin[i], row_end[i]);
            n_below += below_end[i] - row_begin[i];
            n_upto += upto_end[i] - row_begin[i];
        }
        // The pivot is an active entry, so each branch drops at least it.
        if (wanted < n_below) {
            for (int i = 0; i < m.rows; ++i) row_end[i] = below_end[i];
        } else if (wanted < n_upto) {
            return pivot;
        } else {
            for (int i = 0; i < m.rows; ++i) row_begin[i] = upto_end[i];
            below += n_upto;
        }
    }
}

}  // namespace

double kth_pairwise_difference(const double* x, int nx, const double* y, int ny, long long k) {
    if (nx < 1 || ny < 1 || nx > MAX_SIDE || ny > MAX_SIDE || k < 1 || k > static_cast<long long>(nx) * ny)
        return std::nan("");
    return select_kth(Differences{x, y, nx, ny}, k);
}

double kth_walsh_average(const double* d, int n, long long k) {
    if (n < 1 || n > MAX_SIDE || k < 1 || k > static_cast<long long>(n) * (n + 1) / 2) return std::nan("");
    return select_kth(WalshAverages{d, n, n}, k);
}

double median_pairwise_difference(const double* x, int nx, const double* y, int ny) {
    const long long count = static_cast<long long>(nx) * ny;
    const double low = kth_pairwise_difference(x, nx, y, ny, (count + 1) / 2);
    if (count % 2 == 1) return low;
    return (low + kth_pairwise_difference(x, nx, y, ny, count / 2 + 1)) / 2;
}

double median_walsh_average(const double* d, int n) {
    const long long count = static_cast<long long>(n) * (n + 1) / 2;
    const double low = kth_walsh_average(d, n, (count + 1) / 2);
    if (count % 2 == 1) return low;
    return (low + kth_walsh_average(d, n, count / 2 + 1)) / 2;
}
