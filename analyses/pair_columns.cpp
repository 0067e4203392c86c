// The correlations' column copies of the data table.
#include "analyses/pair_columns.h"

#include "analyses/pair_values.h"
#include "stats/column_summary.h"
#include "stats/sorted_copy.h"

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
        out.value[r] = MISSING_BOUND;
        const double v = data_rows[r].value[c];
        if (is_missing_value(v)) continue;
        const double x = pair_value(v, c, log_mode);
        if (is_missing_value(x)) continue;
        out.value[r] = x;
        const uint64_t bit = uint64_t{1} << (r % 64);
        out.present.word[r / 64] |= bit;
        if (is_real_value(x)) out.real.word[r / 64] |= bit;
    }
}

namespace {

// The column being ranked (valid inside rank_pair_column): its values are
// the keys the sorted copy orders.
PairColumn ranked_column;

}  // namespace

// In the start-up order of the data column, its pair values form a few
// ascending runs: the small substitute, the values kept, the big
// substitute. The sorted copy merges them in linear time; any other order
// only takes longer.
void rank_pair_column(int c, bool log_mode, RankColumn& out) {
    PairColumn& column = ranked_column;
    fill_pair_column(c, log_mode, column);
    out.present = column.present;
    out.tied = RowMask{};
    out.tied_runs = 0;
    const int n_rows = used_rows();
    const int32_t* order = c >= 0 && c < MAX_COLUMNS ? column_summaries[c].order : nullptr;
    if (order == nullptr || !sort_copy_in_order(column.value, order, n_rows)) sort_copy(column.value, n_rows);
    int n = 0;
    for (int w = 0; w < ROW_MASK_WORDS; ++w) n += count_rows(column.present.word[w]);
    out.count = n;

    // The present values come first in the copy, ascending.
    const uint16_t* rows = sorted_copy.from;
    int tied = 0;
    int start = 0;
    while (start < n) {
        const double v = column.value[rows[start]];
        int end = start + 1;
        while (end < n && column.value[rows[end]] == v) ++end;
        for (int k = start; k < end; ++k) {
            const int row = rows[k];
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
