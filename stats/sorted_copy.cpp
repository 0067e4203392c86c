// The sorted copy: a least-significant-byte-first radix sort of the keys'
// order bits, or a walk of a given order that merges the few ascending runs
// the keys form in it.
#include "stats/sorted_copy.h"

#include <cstring>
#include <utility>

SortedCopy sorted_copy;

namespace {

// The second buffers of the radix passes and of the merges, and the starts
// of the ascending runs an order walk found (the last entry one past the
// last run), with the merges' second list: valid only inside one sort. The
// marks of the rows an order walk has met: rows met by the current walk
// carry its mark, so no walk needs the marks cleared first.
struct SortWork {
    uint64_t bits_out[MAX_ROWS];
    uint16_t from_out[MAX_ROWS];
    int32_t run_starts[2][MAX_ROWS + 1];
    uint32_t visited[MAX_ROWS];
    uint32_t visit_mark;
};
SortWork work;

// An order walk that meets more ascending runs than this gives up: the
// radix sort is then the quicker.
constexpr int MERGED_RUNS_MAX = 16;

uint64_t order_bits(double key) {
    const double k = key + 0.0;  // -0 becomes +0: equal keys, equal bits
    uint64_t bits = 0;
    std::memcpy(&bits, &k, sizeof bits);
    return (bits >> 63) != 0 ? ~bits : bits | (uint64_t{1} << 63);
}

// Sorts the n keys from sorted_copy.bits[at] on (with `from`) by their
// bytes first..last, least significant first: each pass keeps the order of
// the last among keys with the same byte. `counts` holds the number of
// keys with each value of each of these bytes.
void radix_passes(int at, int n, int first, int last, uint32_t (*counts)[256]) {
    uint64_t* keys = sorted_copy.bits + at;
    uint64_t* keys_out = work.bits_out + at;
    uint16_t* from = sorted_copy.from + at;
    uint16_t* from_out = work.from_out + at;
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
    if (keys != sorted_copy.bits + at) {
        std::memcpy(sorted_copy.bits + at, keys, sizeof(uint64_t) * static_cast<std::size_t>(n));
        std::memcpy(sorted_copy.from + at, from, sizeof(uint16_t) * static_cast<std::size_t>(n));
    }
}

// Sorts the keys from bits[at] on that share their upper four bytes by
// their lower four.
void sort_by_lower_half(int at, int n) {
    uint32_t counts[8][256] = {};
    for (int k = at; k < at + n; ++k) {
        const uint64_t bits = sorted_copy.bits[k];
        ++counts[0][bits & 0xFF];
        ++counts[1][(bits >> 8) & 0xFF];
        ++counts[2][(bits >> 16) & 0xFF];
        ++counts[3][(bits >> 24) & 0xFF];
    }
    radix_passes(at, n, 0, 3, counts);
}

// Sorts bits[at..at+n) (with `from`) by all eight bytes: by the upper four
// first, as measured values nearly always differ there; keys that share
// them (the big and the missing cell, say) are then sorted among
// themselves by the lower four.
void sort_bits(int at, int n) {
    uint32_t counts[8][256] = {};
    const uint64_t* bits_in = sorted_copy.bits;
    for (int k = at; k < at + n; ++k) {
        const uint64_t bits = bits_in[k];
        ++counts[4][(bits >> 32) & 0xFF];
        ++counts[5][(bits >> 40) & 0xFF];
        ++counts[6][(bits >> 48) & 0xFF];
        ++counts[7][bits >> 56];
    }
    radix_passes(at, n, 4, 7, counts);
    const uint64_t* bits = sorted_copy.bits;
    for (int k = at + 1; k < at + n; ++k) {
        if (bits[k - 1] <= bits[k]) continue;
        // An unsorted run of keys with the same upper half: from its first
        // key to its last.
        const uint64_t upper = bits[k] >> 32;
        int first = k - 1;
        while (first > at && bits[first - 1] >> 32 == upper) --first;
        int end = k + 1;
        while (end < at + n && bits[end] >> 32 == upper) ++end;
        sort_by_lower_half(first, end - first);
        k = end - 1;
    }
}

// Sorts bits[0..n) (with `from`), `runs` ascending runs that start at
// work.run_starts[0][0..runs) (and end at n), by merging them pairwise
// until one is left.
void merge_runs(int n, int runs) {
    uint64_t* bits = sorted_copy.bits;
    uint16_t* from = sorted_copy.from;
    int32_t* starts = work.run_starts[0];
    uint64_t* bits_out = work.bits_out;
    uint16_t* from_out = work.from_out;
    int32_t* starts_out = work.run_starts[1];
    while (runs > 1) {
        int merged = 0;
        for (int p = 0; p < runs; p += 2) {
            const int begin = starts[p];
            const int middle = starts[p + 1];
            const int end = p + 2 <= runs ? starts[p + 2] : middle;
            starts_out[merged++] = begin;
            int i = begin, j = middle, out = begin;
            while (i < middle && j < end) {
                const int k = bits[j] < bits[i] ? j++ : i++;
                bits_out[out] = bits[k];
                from_out[out++] = from[k];
            }
            for (; i < middle; ++i, ++out) {
                bits_out[out] = bits[i];
                from_out[out] = from[i];
            }
            for (; j < end; ++j, ++out) {
                bits_out[out] = bits[j];
                from_out[out] = from[j];
            }
        }
        starts_out[merged] = n;
        runs = merged;
        std::swap(bits, bits_out);
        std::swap(from, from_out);
        std::swap(starts, starts_out);
    }
    if (bits != sorted_copy.bits) {
        std::memcpy(sorted_copy.bits, bits, sizeof(uint64_t) * static_cast<std::size_t>(n));
        std::memcpy(sorted_copy.from, from, sizeof(uint16_t) * static_cast<std::size_t>(n));
    }
}

// The keys of missing cells (at or above the missing bound, and above
// every present cell) come last, in bits[present..n): sorted unless they
// are all equal, as they usually are.
void finish(int present, int n) {
    const uint64_t* bits = sorted_copy.bits;
    bool equal = true;
    for (int k = present + 1; k < n; ++k) equal = equal && bits[k] == bits[present];
    if (!equal) sort_bits(present, n - present);
    sorted_copy.count = n;
}

}  // namespace

bool sort_copy(const double* keys, int n) {
    // The missing cells' keys are set apart at the end, back to front: they
    // are often half of a pair-table column.
    int present = 0;
    int missing = 0;
    for (int k = 0; k < n; ++k) {
        const double key = keys[k];
        if (key != key) return false;
        const bool high = key >= MISSING_BOUND;
        const int to = high ? n - 1 - missing : present;
        present += high ? 0 : 1;
        missing += high ? 1 : 0;
        sorted_copy.bits[to] = order_bits(key);
        sorted_copy.from[to] = static_cast<uint16_t>(k);
    }
    sort_bits(0, present);
    finish(present, n);
    return true;
}

bool sort_copy_in_order(const double* keys, const int32_t* order, int n) {
    if (++work.visit_mark == 0) {  // the marks wrapped around: start them afresh
        std::memset(work.visited, 0, sizeof work.visited);
        work.visit_mark = 1;
    }
    int32_t* starts = work.run_starts[0];
    int runs = 0;
    int present = 0;
    int missing = 0;
    for (int k = 0; k < n; ++k) {
        const int32_t row = order[k];
        if (row < 0 || row >= n || work.visited[row] == work.visit_mark) return false;
        work.visited[row] = work.visit_mark;
        const double key = keys[row];
        if (key != key) return false;
        const uint64_t bits = order_bits(key);
        // Missing cells to the end, back to front, without a branch; a
        // present key below the one before it starts a run.
        const bool high = key >= MISSING_BOUND;
        const uint64_t previous = sorted_copy.bits[present > 0 ? present - 1 : 0];
        if (!high && (present == 0 || bits < previous)) {
            if (runs == MERGED_RUNS_MAX) return false;
            starts[runs++] = present;
        }
        const int to = high ? n - 1 - missing : present;
        present += high ? 0 : 1;
        missing += high ? 1 : 0;
        sorted_copy.bits[to] = bits;
        sorted_copy.from[to] = static_cast<uint16_t>(row);
    }
    starts[runs] = present;
    if (runs > 1) merge_runs(present, runs);
    finish(present, n);
    return true;
}
