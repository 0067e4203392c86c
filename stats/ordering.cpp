// Column ordering: sorts each column's keys with a Hoare-partition quicksort
// and records the ascending order of its rows (`order`) and each row's place
// in it (`sort_pos`). A sorted copy of the keys (stats/sorted_copy.h) spares
// the quicksort every sub-range whose result cannot depend on the order of
// equal keys.
#include "stats/ordering.h"

#include <cassert>
#include <cstring>

#include "stats/column_summary.h"
#include "stats/sorted_copy.h"

SortArrays sort_arrays;

namespace {

// The keys and rows being sorted, as the partition loop names them.
double* const sort_keys = sort_arrays.keys;
int32_t* const sort_index = sort_arrays.index;

// What the quicksort keeps beside the arrays it sorts, for one call of
// sort_with_copy: whether a sorted copy of the range's keys is at hand and
// where the range starts (`base`); the copy's keys and rows by place from
// that start, and per place the places before it whose key equals a
// neighbour's (valid while `copy_valid`); and the keys and rows of one range
// of equal keys as the quicksort finds them (valid inside sort_equal_keys).
struct QuicksortState {
    bool copy_valid;
    int base;
    double copy_keys[MAX_ROWS];
    int32_t copy_rows[MAX_ROWS];
    int32_t tied_before[MAX_ROWS + 1];
    double equal_keys[MAX_ROWS];
    int32_t equal_rows[MAX_ROWS];
};
QuicksortState state;

// Small cells first, then real values, then big cells, then missing cells:
// a missing value v <= -999999999.999 sorts as -v, above everything present.
// A NaN is missing too, and sorts as a missing cell would.
double sort_key(double v) {
    if (v != v) return MISSING_BOUND;
    // v or -v, chosen without a branch: a pair-table column can be half
    // missing cells, in no order.
    const double flipped = -v;
    uint64_t kept = 0, negated = 0;
    std::memcpy(&kept, &v, sizeof kept);
    std::memcpy(&negated, &flipped, sizeof negated);
    const uint64_t keep = uint64_t{0} - static_cast<uint64_t>(v > -MISSING_BOUND);
    const uint64_t bits = (kept & keep) | (negated & ~keep);
    double key = 0;
    std::memcpy(&key, &bits, sizeof key);
    return key;
}

void exchange(int a, int b) {
    const double key = sort_keys[a];
    sort_keys[a] = sort_keys[b];
    sort_keys[b] = key;
    const int32_t index = sort_index[a];
    sort_index[a] = sort_index[b];
    sort_index[b] = index;
}

// Keys compared per block when looking for the partition's stops ahead.
constexpr int SCAN_BLOCK = 16;

// One Hoare partition of sort_keys[lo..hi] around `pivot`: from i = lo and
// j = hi, i moves up to a key that is not below the pivot, j down to one
// that is not above it; unless they have crossed, the two keys are
// exchanged (also when equal, and when i == j: the order among equal
// values is the one this produces) and both move on; until i > j.
//
// The keys between i and j are not touched until both scans have passed
// them, so the positions where the scans stop can be found ahead of time.
// While the unscanned middle holds two blocks, a block on each side is
// scanned by comparing every key without a branch, and the k-th stop on
// the left is exchanged with the k-th stop on the right: the exchanges of
// the plain loop, in its sequence, without the mispredicted branch at every
// stop. The plain loop finishes the last few keys from the state after the
// last exchange. Returns the final i and j.
void partition(int lo, int hi, double pivot, int& i_end, int& j_end) {
    int i = lo, j = hi;               // the loop's state after the last exchange
    int left = lo, right = hi;        // the unscanned middle
    int left_base = lo, right_base = hi;
    int32_t left_stops[SCAN_BLOCK];   // stops as offsets from left_base (up)
    int32_t right_stops[SCAN_BLOCK];  // and from right_base (down)
    int left_next = 0, left_count = 0, right_next = 0, right_count = 0;
    for (;;) {
        const int needed = (left_count == 0 ? SCAN_BLOCK : 0) + (right_count == 0 ? SCAN_BLOCK : 0);
        if (right - left + 1 < needed) break;
        if (left_count == 0) {
            left_base = left;
            left_next = 0;
            for (int t = 0; t < SCAN_BLOCK; ++t) {
                left_stops[left_count] = t;
                left_count += !(sort_keys[left + t] < pivot);
            }
            left += SCAN_BLOCK;
        }
        if (right_count == 0) {
            right_base = right;
            right_next = 0;
            for (int t = 0; t < SCAN_BLOCK; ++t) {
                right_stops[right_count] = t;
                right_count += !(sort_keys[right - t] > pivot);
            }
            right -= SCAN_BLOCK;
        }
        const int pairs = left_count < right_count ? left_count : right_count;
        for (int k = 0; k < pairs; ++k)
            exchange(left_base + left_stops[left_next + k], right_base - right_stops[right_next + k]);
        if (pairs > 0) {
            i = left_base + left_stops[left_next + pairs - 1] + 1;
            j = right_base - right_stops[right_next + pairs - 1] - 1;
        }
        left_next += pairs;
        left_count -= pairs;
        right_next += pairs;
        right_count -= pairs;
    }
    if (i <= j) {
        do {
            while (i < hi && sort_keys[i] < pivot) ++i;
            while (j > lo && sort_keys[j] > pivot) --j;
            if (i > j) break;
            exchange(i, j);
            ++i;
            --j;
        } while (i <= j);
    }
    i_end = i;
    j_end = j;
}

// The sorted copy of the keys of the range being ordered: where it tells
// the quicksort nothing can differ, the quicksort takes its result instead
// of working the range out itself (see sort_range).
//
// The quicksort's own result is sorted; the order among equal keys is
// what only the quicksort itself can tell. A key that no other key of the
// range equals sits in the same place in every sorted arrangement, with
// its own row. A sub-range the quicksort reaches holds exactly the keys
// that end up in its positions (partitioning never moves a key out of its
// sub-range again), so when none of the keys at those positions of the
// sorted copy has an equal, the quicksort would end there with exactly the
// sorted copy's keys and rows, and these are taken. Every sub-range that
// holds equal keys is partitioned as before, so their order is unchanged.

// Writes to sort_keys/sort_index from `out` on what the quicksort makes of
// the n entries first, first + step, ... of the state's equal keys and rows
// (step 1 or -1): every key stops both scans, so the partition exchanges
// the first with the last, the second with the one before the last, and so
// on, until the scans cross in the middle (exchanging the middle key with
// itself when the count is odd); then both halves are sorted the same way.
// Each entry is written once, at its final place.
void place_equal_keys(int out, int first, int step, int n) {
    while (n > 1) {
        // The partition reverses the range...
        first += step * (n - 1);
        step = -step;
        // ...and leaves the middle entry of an odd count where it is.
        const int half = n / 2;
        if (n % 2 != 0) {
            const int middle = first + step * half;
            sort_keys[out + half] = state.equal_keys[middle];
            sort_index[out + half] = state.equal_rows[middle];
        }
        place_equal_keys(out, first, step, half);
        const int skip = half + n % 2;
        out += skip;
        first += step * skip;
        n -= skip;
    }
    if (n == 1) {
        sort_keys[out] = state.equal_keys[first];
        sort_index[out] = state.equal_rows[first];
    }
}

// What the quicksort does to sort_keys[lo..hi] when all its keys are equal,
// worked out without comparing them.
void sort_equal_keys(int lo, int hi) {
    const int n = hi - lo + 1;
    std::memcpy(state.equal_keys, sort_keys + lo, sizeof(double) * static_cast<std::size_t>(n));
    std::memcpy(state.equal_rows, sort_index + lo, sizeof(int32_t) * static_cast<std::size_t>(n));
    place_equal_keys(lo, 0, 1, n);
}

// The quicksort of sort_keys[lo..hi], taking the sorted copy's keys and
// rows for every sub-range without equal keys, and working out a sub-range
// of equal keys without comparing them.
void sort_range(int lo, int hi) {
    while (lo < hi) {
        const int first = lo - state.base;
        const int last = hi - state.base;
        if (state.copy_valid && state.tied_before[last + 1] == state.tied_before[first]) {
            const std::size_t count = static_cast<std::size_t>(hi - lo + 1);
            std::memcpy(sort_keys + lo, state.copy_keys + first, count * sizeof(double));
            std::memcpy(sort_index + lo, state.copy_rows + first, count * sizeof(int32_t));
            return;
        }
        // The sorted copy's first and last key of the range are equal: so
        // are all the keys between.
        if (state.copy_valid && sorted_copy.bits[first] == sorted_copy.bits[last]) {
            sort_equal_keys(lo, hi);
            return;
        }
        // The value is copied: the partition moves the key it came from.
        const double pivot = sort_keys[lo + (hi - lo) / 2];
        int i = lo;
        int j = hi;
        partition(lo, hi, pivot, i, j);
        if (lo < j) sort_range(lo, j);
        // The right part by iteration, so the recursion only ever goes left.
        lo = i;
    }
}

// Below this many keys the quicksort takes less time than the copy saves.
constexpr int SORTED_COPY_MIN = 256;

// The sorted copy of sort_keys[lo..hi], its keys and rows by place into the
// state, with the places of its tied keys: read off `data_order` (an order
// of rows 0..hi, with lo = 0) where that is one, else radix-sorted; false
// when there is none.
bool make_sorted_copy(int lo, int hi, const int32_t* data_order) {
    const int n = hi - lo + 1;
    if (n < SORTED_COPY_MIN || lo < 0 || hi >= MAX_ROWS) return false;
    const bool sorted = (data_order != nullptr && lo == 0 && sort_copy_in_order(sort_keys, data_order, n)) ||
                        sort_copy(sort_keys + lo, n);
    if (!sorted) return false;
    const uint64_t* bits = sorted_copy.bits;
    int tied = 0;
    for (int k = 0; k < n; ++k) {
        state.tied_before[k] = tied;
        const bool below = k > 0 && bits[k] == bits[k - 1];
        const bool above = k + 1 < n && bits[k] == bits[k + 1];
        tied += below || above ? 1 : 0;
        state.copy_keys[k] = sort_keys[lo + sorted_copy.from[k]];
        state.copy_rows[k] = sort_index[lo + sorted_copy.from[k]];
    }
    state.tied_before[n] = tied;
    return true;
}

// The quicksort of sort_keys[lo..hi], with a sorted copy of its keys when
// the range is long enough to repay it.
void sort_with_copy(int lo, int hi, const int32_t* data_order) {
    if (hi <= lo) return;
    state.base = lo;
    state.copy_valid = make_sorted_copy(lo, hi, data_order);
    sort_range(lo, hi);
    state.copy_valid = false;
}

// Records the order of column c of `rows` from sort_index into `order`, and
// each row's place in it into the row's sort_pos.
template <typename Row>
void record_order(Row* rows, int32_t* order, int c, int n) {
    for (int k = 0; k < n; ++k) order[k] = sort_index[k];
    for (int k = 0; k < n; ++k) rows[order[k]].sort_pos[c] = k;
}

// Puts column c of `rows` (the data table's or the pair table's) into
// sort_keys, its rows into sort_index; false for a column outside the row.
template <typename Row>
bool fill_sort_keys(const Row* rows, int c, int n) {
    constexpr int columns = static_cast<int>(sizeof rows->value / sizeof rows->value[0]);
    if (c < 0 || c >= columns) return false;
    for (int i = 0; i < n; ++i) {
        sort_index[i] = i;
        sort_keys[i] = sort_key(rows[i].value[c]);
    }
    return true;
}

}  // namespace

void quicksort_keys(int lo, int hi) { sort_with_copy(lo, hi, nullptr); }

void order_pair_column(int g, const int32_t* data_order) {
    const int n = used_rows();
    // Callers pass a column of the pair table, never one from input.
    assert(g >= 0 && g < 2);
    if (!fill_sort_keys(pair_rows, g, n)) return;
    sort_with_copy(0, n - 1, data_order);
    record_order(pair_rows, group_summaries[g].order, g, n);
}

void order_data_column(int c) {
    const int n = used_rows();
    // Callers pass a column of the data table, never one from input.
    assert(c >= 0 && c < MAX_COLUMNS);
    if (!fill_sort_keys(data_rows, c, n)) return;
    quicksort_keys(0, n - 1);
    record_order(data_rows, column_summaries[c].order, c, n);
}

void order_data_columns() {
    const int columns = used_columns();
    for (int c = 0; c < columns; ++c) order_data_column(c);
}

void order_pair_columns() {
    order_pair_column(0);
    order_pair_column(1);
}
