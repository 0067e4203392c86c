// Column ordering: sorts each column's keys with a Hoare-partition quicksort
// and records the ascending order of its rows (`order`) and each row's place
// in it (`sort_pos`). A radix-sorted copy of the keys spares the quicksort
// every sub-range whose result cannot depend on the order of equal keys.
#include "stats/ordering.h"

#include <cassert>
#include <cstring>
#include <utility>

#include "stats/column_summary.h"

double sort_keys[MAX_ROWS];
int32_t sort_index[MAX_ROWS];

namespace {

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

}  // namespace

// A sorted copy of the keys of the range being ordered, found by a radix
// sort, which takes no data-dependent branch. Where it tells the quicksort
// nothing can differ, the quicksort takes its result instead of working
// the range out itself (see sort_range).
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
namespace {

// Keys as unsigned integers in the same order (-0 and +0 as one), the
// positions they came from, and the buffers the radix passes write into.
uint64_t radix_keys[MAX_ROWS];
uint64_t radix_keys_out[MAX_ROWS];
uint16_t radix_from[MAX_ROWS];
uint16_t radix_from_out[MAX_ROWS];

// The sorted copy: keys and rows by position from the range's start, and
// per position the number of positions before it whose key equals a
// neighbour's.
double sorted_keys[MAX_ROWS];
int32_t sorted_index[MAX_ROWS];
int32_t tied_before[MAX_ROWS + 1];

// Below this many keys the quicksort takes less time than the copy saves.
constexpr int SORTED_COPY_MIN = 256;

// Set while the sorted copy describes the range being sorted.
bool sorted_copy_valid = false;
int sorted_base = 0;

uint64_t order_bits(double key) {
    const double k = key + 0.0;  // -0 becomes +0: equal keys, equal bits
    uint64_t bits = 0;
    std::memcpy(&bits, &k, sizeof bits);
    return (bits >> 63) != 0 ? ~bits : bits | (uint64_t{1} << 63);
}

// Sorts the n keys from radix_keys[at] on (with radix_from) by their bytes
// first..last, least significant first: each pass keeps the order of the
// last among keys with the same byte. `counts` holds the number of keys
// with each value of each of these bytes.
void radix_passes(int at, int n, int first, int last, uint32_t (*counts)[256]) {
    uint64_t* keys = radix_keys + at;
    uint64_t* keys_out = radix_keys_out + at;
    uint16_t* from = radix_from + at;
    uint16_t* from_out = radix_from_out + at;
    for (int b = first; b <= last; ++b) {
        const unsigned shift = 8u * static_cast<unsigned>(b);
        uint32_t* count = counts[b];
        // A byte every key shares leaves the order as it is.
        if (count[(keys[0] >> shift) & 0xFF] == static_cast<uint32_t>(n)) continue;
        uint32_t start = 0;
        for (int d = 0; d < 256; ++d) {
            const uint32_t c = count[d];
            count[d] = start;
            start += c;
        }
        for (int k = 0; k < n; ++k) {
            const uint64_t bits = keys[k];
            const uint32_t to = count[(bits >> shift) & 0xFF]++;
            keys_out[to] = bits;
            from_out[to] = from[k];
        }
        std::swap(keys, keys_out);
        std::swap(from, from_out);
    }
    if (keys != radix_keys + at) {
        std::memcpy(radix_keys + at, keys, sizeof(uint64_t) * static_cast<std::size_t>(n));
        std::memcpy(radix_from + at, from, sizeof(uint16_t) * static_cast<std::size_t>(n));
    }
}

// Sorts the keys from radix_keys[at] on that share their upper four bytes
// by their lower four.
void sort_by_lower_half(int at, int n) {
    uint32_t counts[8][256] = {};
    for (int k = at; k < at + n; ++k) {
        const uint64_t bits = radix_keys[k];
        ++counts[0][bits & 0xFF];
        ++counts[1][(bits >> 8) & 0xFF];
        ++counts[2][(bits >> 16) & 0xFF];
        ++counts[3][(bits >> 24) & 0xFF];
    }
    radix_passes(at, n, 0, 3, counts);
}

// Sorts radix_keys[at..at+n) (with radix_from) by all eight bytes: by the
// upper four first, as measured values nearly always differ there; keys
// that share them (the big and the missing cell, say) are then sorted among
// themselves by the lower four.
void sort_radix_keys(int at, int n) {
    uint32_t counts[8][256] = {};
    for (int k = at; k < at + n; ++k) {
        const uint64_t bits = radix_keys[k];
        ++counts[4][(bits >> 32) & 0xFF];
        ++counts[5][(bits >> 40) & 0xFF];
        ++counts[6][(bits >> 48) & 0xFF];
        ++counts[7][bits >> 56];
    }
    radix_passes(at, n, 4, 7, counts);
    for (int k = at + 1; k < at + n; ++k) {
        if (radix_keys[k - 1] <= radix_keys[k]) continue;
        // An unsorted run of keys with the same upper half: from its first
        // key to its last.
        const uint64_t upper = radix_keys[k] >> 32;
        int first = k - 1;
        while (first > at && radix_keys[first - 1] >> 32 == upper) --first;
        int end = k + 1;
        while (end < at + n && radix_keys[end] >> 32 == upper) ++end;
        sort_by_lower_half(first, end - first);
        k = end - 1;
    }
}

// The positions of the sorted copy after radix_keys and radix_from hold
// its keys in order: which are tied, and the keys and rows themselves.
void finish_sorted_copy(int lo, int n) {
    int tied = 0;
    for (int k = 0; k < n; ++k) {
        tied_before[k] = tied;
        const bool below = k > 0 && radix_keys[k] == radix_keys[k - 1];
        const bool above = k + 1 < n && radix_keys[k] == radix_keys[k + 1];
        tied += below || above ? 1 : 0;
        sorted_keys[k] = sort_keys[lo + radix_from[k]];
        sorted_index[k] = sort_index[lo + radix_from[k]];
    }
    tied_before[n] = tied;
}

// The keys of missing cells (at or above the missing bound, and above
// every present cell) come last, in radix_keys[present..n): sorted unless
// they are all equal, as they usually are.
void sort_missing_keys(int present, int n) {
    bool equal = true;
    for (int k = present + 1; k < n; ++k) equal = equal && radix_keys[k] == radix_keys[present];
    if (!equal) sort_radix_keys(present, n - present);
}

// Fills the sorted copy of sort_keys[lo..hi]; false when a key is not a
// number (the quicksort's result is then no sorted arrangement).
bool make_sorted_copy(int lo, int hi) {
    const int n = hi - lo + 1;
    // The missing cells' keys are set apart at the end, back to front: they
    // are often half of a pair-table column.
    int present = 0;
    int missing = 0;
    for (int k = 0; k < n; ++k) {
        const double key = sort_keys[lo + k];
        if (key != key) return false;
        const bool high = key >= MISSING_BOUND;
        const int to = high ? n - 1 - missing : present;
        present += high ? 0 : 1;
        missing += high ? 1 : 0;
        radix_keys[to] = order_bits(key);
        radix_from[to] = static_cast<uint16_t>(k);
    }
    sort_radix_keys(0, present);
    sort_missing_keys(present, n);
    finish_sorted_copy(lo, n);
    return true;
}

// Rows met by the current walk of a given order carry its mark.
uint32_t visited[MAX_ROWS];
uint32_t visit_mark = 0;

// The sorted copy of sort_keys[0..n-1], which hold the keys of rows 0..n-1,
// from `rows`, all n rows in an order in which the present keys ascend;
// false (and nothing sorted) when `rows` is not such an order.
bool sorted_copy_from_order(const int32_t* rows, int n) {
    if (++visit_mark == 0) {  // the marks wrapped around: start them afresh
        std::memset(visited, 0, sizeof visited);
        visit_mark = 1;
    }
    int present = 0;
    int missing = 0;
    for (int k = 0; k < n; ++k) {
        const int32_t row = rows[k];
        if (row < 0 || row >= n || visited[row] == visit_mark) return false;
        visited[row] = visit_mark;
        const double key = sort_keys[row];
        if (key != key) return false;
        const uint64_t bits = order_bits(key);
        // Missing cells to the end, back to front, without a branch.
        const bool high = key >= MISSING_BOUND;
        const uint64_t previous = radix_keys[present > 0 ? present - 1 : 0];
        const bool descends = static_cast<int>(!high) & static_cast<int>(present > 0) & static_cast<int>(bits < previous);
        if (descends) return false;
        const int to = high ? n - 1 - missing : present;
        present += high ? 0 : 1;
        missing += high ? 1 : 0;
        radix_keys[to] = bits;
        radix_from[to] = static_cast<uint16_t>(row);
    }
    sort_missing_keys(present, n);
    finish_sorted_copy(0, n);
    return true;
}

// The keys and rows of a range of equal keys as the quicksort finds them.
double equal_keys_in[MAX_ROWS];
int32_t equal_rows_in[MAX_ROWS];

// Writes to sort_keys/sort_index from `out` on what the quicksort makes of
// the n entries first, first + step, ... of equal_keys_in/equal_rows_in
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
            sort_keys[out + half] = equal_keys_in[middle];
            sort_index[out + half] = equal_rows_in[middle];
        }
        place_equal_keys(out, first, step, half);
        const int skip = half + n % 2;
        out += skip;
        first += step * skip;
        n -= skip;
    }
    if (n == 1) {
        sort_keys[out] = equal_keys_in[first];
        sort_index[out] = equal_rows_in[first];
    }
}

// What the quicksort does to sort_keys[lo..hi] when all its keys are equal,
// worked out without comparing them.
void sort_equal_keys(int lo, int hi) {
    const int n = hi - lo + 1;
    std::memcpy(equal_keys_in, sort_keys + lo, sizeof(double) * static_cast<std::size_t>(n));
    std::memcpy(equal_rows_in, sort_index + lo, sizeof(int32_t) * static_cast<std::size_t>(n));
    place_equal_keys(lo, 0, 1, n);
}

// The quicksort of sort_keys[lo..hi], taking the sorted copy's keys and
// rows for every sub-range without equal keys, and working out a sub-range
// of equal keys without comparing them.
void sort_range(int lo, int hi) {
    while (lo < hi) {
        const int first = lo - sorted_base;
        const int last = hi - sorted_base;
        if (sorted_copy_valid && tied_before[last + 1] == tied_before[first]) {
            const std::size_t count = static_cast<std::size_t>(hi - lo + 1);
            std::memcpy(sort_keys + lo, sorted_keys + first, count * sizeof(double));
            std::memcpy(sort_index + lo, sorted_index + first, count * sizeof(int32_t));
            return;
        }
        // The sorted copy's first and last key of the range are equal: so
        // are all the keys between.
        if (sorted_copy_valid && radix_keys[first] == radix_keys[last]) {
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

// The quicksort of sort_keys[lo..hi], with a sorted copy of its keys when
// the range is long enough to repay it: taken from `data_order` (an order
// of rows 0..hi, with lo = 0) where that is one, else radix-sorted.
void sort_with_copy(int lo, int hi, const int32_t* data_order) {
    if (hi <= lo) return;
    sorted_base = lo;
    sorted_copy_valid = hi - lo + 1 >= SORTED_COPY_MIN && lo >= 0 && hi < MAX_ROWS &&
                        ((data_order != nullptr && lo == 0 && sorted_copy_from_order(data_order, hi + 1)) ||
                         make_sorted_copy(lo, hi));
    sort_range(lo, hi);
    sorted_copy_valid = false;
}

// Records the order of column c of the table of `mode` from sort_index.
void record_order(int c, int mode, int n) {
    int32_t* order = mode == 0 ? column_summaries[c].order : group_summaries[c].order;
    for (int k = 0; k < n; ++k) order[k] = sort_index[k];
    for (int k = 0; k < n; ++k) {
        if (mode == 0)
            data_rows[order[k]].sort_pos[c] = k;
        else
            pair_rows[order[k]].sort_pos[c] = k;
    }
}

// Puts column c of the data table (mode 0) or of the pair table (mode 1)
// into sort_keys, its rows into sort_index; false for a column outside the
// table.
bool fill_sort_keys(int c, int mode, int n) {
    if (c < 0 || c >= (mode == 0 ? MAX_COLUMNS : 2)) return false;
    if (mode == 0) {
        for (int i = 0; i < n; ++i) {
            sort_index[i] = i;
            sort_keys[i] = sort_key(data_rows[i].value[c]);
        }
    } else {
        for (int i = 0; i < n; ++i) {
            sort_index[i] = i;
            sort_keys[i] = sort_key(pair_rows[i].value[c]);
        }
    }
    return true;
}

}  // namespace

void quicksort_keys(int lo, int hi) { sort_with_copy(lo, hi, nullptr); }

void order_pair_column(int g, const int32_t* data_order) {
    const int n = used_rows();
    // Callers pass a column of the pair table, never one from input.
    assert(g >= 0 && g < 2);
    if (!fill_sort_keys(g, 1, n)) return;
    sort_with_copy(0, n - 1, data_order);
    record_order(g, 1, n);
}

void order_data_column(int c) {
    const int n = used_rows();
    // Callers pass a column of the data table, never one from input.
    assert(c >= 0 && c < MAX_COLUMNS);
    if (!fill_sort_keys(c, 0, n)) return;
    quicksort_keys(0, n - 1);
    record_order(c, 0, n);
}

void order_data_columns() {
    const int columns = used_columns();
    for (int c = 0; c < columns; ++c) order_data_column(c);
}

void order_pair_columns() {
    order_pair_column(0);
    order_pair_column(1);
}
