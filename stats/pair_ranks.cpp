// Pair counts and ranks of the pair table for the correlations.
//
// A pair-table column holds the values of one data column, with the
// markers (and in log mode the values that are not positive) replaced by
// the column's substitutes and the rows of incomplete pairs missing. In
// that data column's ascending order its values therefore form a few
// ascending runs: the small substitute, the values kept, the big
// substitute. A natural merge sort joins the runs in linear time; the ranks
// then follow from the runs of equal values, as in the column summaries.
#include "stats/pair_ranks.h"

#include <cstring>
#include <utility>

#include "stats/column_summary.h"
#include "worksheet/data_table.h"

namespace {

// The present values of the column being ranked with their rows, and the
// second buffer the merges write into.
double keys[MAX_ROWS];
int32_t key_rows[MAX_ROWS];
double merged_keys[MAX_ROWS];
int32_t merged_rows[MAX_ROWS];
// Start of each ascending run, and one past the last.
int32_t run_starts[MAX_ROWS + 1];
int32_t merged_starts[MAX_ROWS + 1];
// Rows met by the current gathering carry its mark.
uint32_t visited[MAX_ROWS];
uint32_t visit_mark = 0;

// Missing cells of column g become exactly CELL_MISSING; returns the
// present cells.
int count_present(int g, int n_rows) {
    int n = 0;
    for (int r = 0; r < n_rows; ++r) {
        double& v = pair_rows[r].value[g];
        if (is_missing_value(v))
            v = CELL_MISSING;
        else
            ++n;
    }
    return n;
}

// Sorts keys[0..n-1] ascending (with key_rows) by merging its ascending
// runs pairwise until one is left.
void merge_runs(int n) {
    int runs = 0;
    for (int k = 0; k < n; ++k)
        if (k == 0 || keys[k] < keys[k - 1]) run_starts[runs++] = k;
    run_starts[runs] = n;

    double* from_keys = keys;
    int32_t* from_rows = key_rows;
    int32_t* from_starts = run_starts;
    double* to_keys = merged_keys;
    int32_t* to_rows = merged_rows;
    int32_t* to_starts = merged_starts;
    while (runs > 1) {
        int merged = 0;
        for (int p = 0; p < runs; p += 2) {
            const int begin = from_starts[p];
            const int middle = from_starts[p + 1];
            const int end = p + 2 <= runs ? from_starts[p + 2] : middle;
            to_starts[merged++] = begin;
            int i = begin, j = middle, out = begin;
            while (i < middle && j < end) {
                if (from_keys[j] < from_keys[i]) {
                    to_keys[out] = from_keys[j];
                    to_rows[out++] = from_rows[j++];
                } else {
                    to_keys[out] = from_keys[i];
                    to_rows[out++] = from_rows[i++];
                }
            }
            for (; i < middle; ++i, ++out) {
                to_keys[out] = from_keys[i];
                to_rows[out] = from_rows[i];
            }
            for (; j < end; ++j, ++out) {
                to_keys[out] = from_keys[j];
                to_rows[out] = from_rows[j];
            }
        }
        to_starts[merged] = n;
        runs = merged;
        std::swap(from_keys, to_keys);
        std::swap(from_rows, to_rows);
        std::swap(from_starts, to_starts);
    }
    if (from_keys != keys) {
        std::memcpy(keys, from_keys, sizeof(double) * static_cast<std::size_t>(n));
        std::memcpy(key_rows, from_rows, sizeof(int32_t) * static_cast<std::size_t>(n));
    }
}

// Gathers the present values of pair-table column g with their rows,
// visiting the rows in `order`; missing cells get their marker, rank 0 and
// tie count 0. Returns the number gathered, or -1 when `order` does not
// list every row exactly once.
int gather_present(int g, const int32_t* order, int n_rows) {
    if (++visit_mark == 0) {  // the marks wrapped around: start them afresh
        std::memset(visited, 0, sizeof visited);
        visit_mark = 1;
    }
    int n = 0;
    for (int k = 0; k < n_rows; ++k) {
        const int32_t r = order != nullptr ? order[k] : k;
        if (r < 0 || r >= n_rows || visited[r] == visit_mark) return -1;
        visited[r] = visit_mark;
        PairRow& row = pair_rows[r];
        const double v = row.value[g];
        if (is_missing_value(v)) {
            row.value[g] = CELL_MISSING;
            row.rank[g] = 0;
            row.tie_count[g] = 0;
            continue;
        }
        keys[n] = v;
        key_rows[n] = r;
        ++n;
    }
    return n;
}

// Ranks and tie counts of pair-table column g, visiting its rows in
// `order`, or row by row when that is not an order of the rows.
int rank_column(int g, const int32_t* order, int n_rows) {
    int n = gather_present(g, order, n_rows);
    if (n < 0) n = gather_present(g, nullptr, n_rows);
    merge_runs(n);

    // Every cell of a run of equal values has `start` present cells below
    // it and `n - end` above it: the counts of comparing it with them all.
    int start = 0;
    while (start < n) {
        int end = start + 1;
        while (end < n && keys[end] == keys[start]) ++end;
        const int less = start;
        const int greater = n - end;
        const int32_t ties = n - less - greater;
        const double rank = static_cast<double>(n + less - greater + 1) / 2.0;
        for (int k = start; k < end; ++k) {
            PairRow& row = pair_rows[key_rows[k]];
            row.rank[g] = rank;
            row.tie_count[g] = ties;
        }
        start = end;
    }
    return n;
}

}  // namespace

void summarize_pair_counts() {
    const int n_rows = used_rows();
    group_summaries[0].n_total = count_present(0, n_rows);
    group_summaries[1].n_total = count_present(1, n_rows);
}

void summarize_pair_ranks(const int32_t* order_x, const int32_t* order_y) {
    const int n_rows = used_rows();
    group_summaries[0].n_total = rank_column(0, order_x, n_rows);
    group_summaries[1].n_total = rank_column(1, order_y, n_rows);
}
