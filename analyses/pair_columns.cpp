// The correlations' column copies of the data table.
#include "analyses/pair_columns.h"

#include <cstring>
#include <utility>

#include "analyses/pair_values.h"
#include "stats/column_summary.h"

RowMask cell_present[MAX_COLUMNS];

void find_present_cells(int columns) {
    const int rows = used_rows();
    for (int c = 0; c < columns; ++c) cell_present[c] = RowMask{};
    for (int r = 0; r < rows; ++r) {
        const DataRow& row = data_rows[r];
        const uint64_t bit = uint64_t{1} << (r % 64);
        for (int c = 0; c < columns; ++c)
            if (!is_missing_value(row.value[c])) cell_present[c].word[r / 64] |= bit;
    }
}

void fill_pair_column(int c, bool log_mode, PairColumn& out) {
    out.present = RowMask{};
    out.real = RowMask{};
    if (c < 0 || c >= MAX_COLUMNS) return;
    const int rows = used_rows();
    for (int r = 0; r < rows; ++r) {
        const double v = data_rows[r].value[c];
        if (is_missing_value(v)) continue;
        const double x = pair_value(v, c, log_mode);
        out.value[r] = x;
        const uint64_t bit = uint64_t{1} << (r % 64);
        if (!is_missing_value(x)) out.present.word[r / 64] |= bit;
        if (is_real_value(x)) out.real.word[r / 64] |= bit;
    }
}

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

// Gathers the present pair values of `column` with their rows, visiting
// the rows in `order`. Returns the number gathered, or -1 when `order` does
// not list every row exactly once.
int gather_present(const PairColumn& column, const int32_t* order, int n_rows) {
    if (++visit_mark == 0) {  // the marks wrapped around: start them afresh
        std::memset(visited, 0, sizeof visited);
        visit_mark = 1;
    }
    int n = 0;
    for (int k = 0; k < n_rows; ++k) {
        const int32_t r = order != nullptr ? order[k] : k;
        if (r < 0 || r >= n_rows || visited[r] == visit_mark) return -1;
        visited[r] = visit_mark;
        if (!has_row(column.present, r)) continue;
        keys[n] = column.value[r];
        key_rows[n] = r;
        ++n;
    }
    return n;
}

PairColumn ranked_column;

}  // namespace

// In the start-up order of the data column, its pair values form a few
// ascending runs: the small substitute, the values kept, the big
// substitute. A natural merge sort joins them in linear time; any other
// order only takes longer.
void rank_pair_column(int c, bool log_mode, RankColumn& out) {
    fill_pair_column(c, log_mode, ranked_column);
    out.present = ranked_column.present;
    out.tied = RowMask{};
    out.tied_runs = 0;
    const int n_rows = used_rows();
    const int32_t* order = c >= 0 && c < MAX_COLUMNS ? column_summaries[c].order : nullptr;
    int n = gather_present(ranked_column, order, n_rows);
    if (n < 0) n = gather_present(ranked_column, nullptr, n_rows);
    merge_runs(n);
    out.count = n;

    int tied = 0;
    int start = 0;
    while (start < n) {
        int end = start + 1;
        while (end < n && keys[end] == keys[start]) ++end;
        for (int k = start; k < end; ++k) {
            const int row = key_rows[k];
            out.position[row] = static_cast<int16_t>(k);
            out.run_start[row] = static_cast<int16_t>(start);
            out.run_end[row] = static_cast<int16_t>(end);
            if (end - start > 1) {
                out.tied_rows[tied++] = static_cast<int16_t>(row);
                add_row(out.tied, row);
            }
        }
        if (end - start > 1) out.tied_end[out.tied_runs++] = static_cast<int16_t>(tied);
        start = end;
    }
}
