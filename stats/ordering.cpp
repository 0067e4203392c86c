// Column ordering: sorts each column's keys with a Hoare-partition quicksort
// and records the ascending order of its rows (`order`) and each row's place
// in it (`sort_pos`).
#include "stats/ordering.h"

#include <cassert>

#include "stats/column_summary.h"

double sort_keys[MAX_ROWS];
int32_t sort_index[MAX_ROWS];

namespace {

// Small cells first, then real values, then big cells, then missing cells:
// a missing value v <= -999999999.999 sorts as -v, above everything present.
// A NaN is missing too, and sorts as a missing cell would.
double sort_key(double v) {
    if (v != v) return MISSING_BOUND;
    return v > -MISSING_BOUND ? v : -v;
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

}  // namespace

void quicksort_keys(int lo, int hi) {
    while (lo < hi) {
        // The value is copied: the partition moves the key it came from.
        const double pivot = sort_keys[lo + (hi - lo) / 2];
        int i = lo;
        int j = hi;
        partition(lo, hi, pivot, i, j);
        if (lo < j) quicksort_keys(lo, j);
        // The right part by iteration, so the recursion only ever goes left.
        lo = i;
    }
}

void order_column(int c, int mode) {
    const int n = used_rows();
    // Callers pass a column of the table they order, never one from input.
    assert(c >= 0 && c < (mode == 0 ? MAX_COLUMNS : 2));
    if (mode == 0) {
        if (c < 0 || c >= MAX_COLUMNS) return;
        for (int i = 0; i < n; ++i) {
            sort_index[i] = i;
            sort_keys[i] = sort_key(data_rows[i].value[c]);
        }
    } else {
        if (c < 0 || c >= 2) return;
        for (int i = 0; i < n; ++i) {
            sort_index[i] = i;
            sort_keys[i] = sort_key(pair_rows[i].value[c]);
        }
    }
    quicksort_keys(0, n - 1);

    int32_t* order = mode == 0 ? column_summaries[c].order : group_summaries[c].order;
    for (int k = 0; k < n; ++k) order[k] = sort_index[k];
    for (int k = 0; k < n; ++k) {
        if (mode == 0)
            data_rows[order[k]].sort_pos[c] = k;
        else
            pair_rows[order[k]].sort_pos[c] = k;
    }
}

void order_columns(int mode) {
    if (mode == 0) {
        const int columns = used_columns();
        for (int c = 0; c < columns; ++c) order_column(c, 0);
    } else {
        order_column(0, 1);
        order_column(1, 1);
    }
}
