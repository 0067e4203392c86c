// The correlations' working copy of the data table: each column as one
// contiguous array of the values a pair table built from it would hold,
// with masks of the rows where they are present. A pair of columns is then
// a pass over two arrays and a few mask words, where building, counting and
// ranking a pair table reads two columns of the whole data table row by
// row. What a correlation computes from them is what it computes from the
// pair table, to the bit.
#pragma once

#include <cstdint>

#include "analyses/analysis_status.h"
#include "analyses/correlation_report.h"
#include "analyses/input_checks.h"
#include "worksheet/data_table.h"

// One bit per row of the data table, 64 to a word.
constexpr int ROW_MASK_WORDS = MAX_ROWS / 64;
static_assert(MAX_ROWS % 64 == 0, "rows fill whole mask words");

struct RowMask {
    uint64_t word[ROW_MASK_WORDS];
};

inline bool has_row(const RowMask& mask, int r) { return (mask.word[r / 64] >> (r % 64) & 1) != 0; }
inline void add_row(RowMask& mask, int r) { mask.word[r / 64] |= uint64_t{1} << (r % 64); }

// Rows whose cell is present, per data column (found by find_present_cells).
extern RowMask cell_present[MAX_COLUMNS];
void find_present_cells(int columns);

// One data column as one side of a pair table: the value each present cell
// takes there (build_pair_values: markers and, in log mode, values that are
// not positive replaced by the column's substitutes), and the rows where
// that value is present (not missing) and where it is real. A row whose
// partner is missing is missing in the pair table, whatever this says.
struct PairColumn {
    RowMask present;
    RowMask real;
    double value[MAX_ROWS];  // MISSING_BOUND where not present
};
void fill_pair_column(int c, bool log_mode, PairColumn& out);

// One data column as one side of the pair table of a rank correlation: its
// present pair values ranked among themselves, once for every pair of
// columns it is in. A pair drops the rows whose partner cell is missing;
// the ranks among the rows kept follow from how many rows are dropped
// before each run of equal values (see spearman.cpp).
struct RankColumn {
    RowMask present;             // rows whose pair value is present
    RowMask tied;                // rows in a run of two or more equal values
    int32_t count;               // present rows
    int16_t position[MAX_ROWS];  // per present row: its place in ascending order of value
    int16_t run_start[MAX_ROWS]; // per present row: the first place of its run of equal values
    int16_t run_end[MAX_ROWS];   // and one past the last
    int32_t tied_runs;           // runs of two or more equal values
    int16_t tied_rows[MAX_ROWS]; // their rows, run after run
    int16_t tied_end[MAX_ROWS];  // per tied run: one past its last entry in tied_rows
};
// Ranks the present pair values of data column c (as fill_pair_column
// finds them) among themselves.
void rank_pair_column(int c, bool log_mode, RankColumn& out);

// Set bits of a mask word.
inline int count_rows(uint64_t bits) { return __builtin_popcountll(bits); }
// The lowest set bit of a word that has one.
inline int lowest_row(uint64_t bits) { return __builtin_ctzll(bits); }

// The pair count of a pair table, one side of it x: the present x values
// whose partner cell is present.
inline int pair_count(const RowMask& x_present, const RowMask& partner_present) {
    int pairs = 0;
    for (int w = 0; w < ROW_MASK_WORDS; ++w) pairs += count_rows(x_present.word[w] & partner_present.word[w]);
    return pairs;
}

// Whether the pair table of columns a and b, one side of it x, the other
// y, has a coefficient at all: a missing substitute on either side of a row
// with both cells present leaves none.
inline bool pair_table_available(int a, int b, const RowMask& x_present, const RowMask& y_present) {
    uint64_t lacking = 0;
    for (int w = 0; w < ROW_MASK_WORDS; ++w)
        lacking |= cell_present[a].word[w] & cell_present[b].word[w] & ~(x_present.word[w] & y_present.word[w]);
    return lacking == 0;
}

// Every pair of data columns a < b of a correlation, with the matrices'
// diagonal set on the way. Each column is copied once as y (under log_y)
// by `fill(c, log_mode, copy)`, and once more as x (under log_transform)
// when the two log modes differ; `pair(a, b, x, y, available)` then has
// the pair's copies and whether its pair table has a coefficient.
template <typename Column, typename Fill, typename Pair>
void for_each_column_pair(Column (&y_columns)[MAX_COLUMNS], Column& x_column, Fill fill, Pair pair) {
    const int columns = used_columns();
    const bool log_x = log_transform != 0;
    const bool log_columns = log_y != 0;
    find_present_cells(columns);
    for (int c = 0; c < columns; ++c) fill(c, log_columns, y_columns[c]);
    for (int a = 0; a < columns; ++a) {
        set_matrix_diagonal(a);
        const Column* x = &y_columns[a];
        if (log_x != log_columns) {
            fill(a, log_x, x_column);
            x = &x_column;
        }
        for (int b = a + 1; b < columns; ++b)
            pair(a, b, *x, y_columns[b], pair_table_available(a, b, x->present, y_columns[b].present));
    }
}

// A correlation analysis from its input check to the clipboard: every
// column pair as for_each_column_pair visits it, then `write()` puts the
// report into result_text and it is published. The status is the input
// check's when that fails, else publish_report's.
template <typename Column, typename Fill, typename Pair>
int run_correlation(platform::WindowHandle owner, Column (&y_columns)[MAX_COLUMNS], Column& x_column, Fill fill,
                    Pair pair, void (*write)()) {
    const int checked = check_two_column_input(owner);
    if (checked != ANALYSIS_OK) return checked;
    for_each_column_pair(y_columns, x_column, fill, pair);
    write();
    return publish_report(owner);
}
