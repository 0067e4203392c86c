// The worksheet in memory: one process-wide table of double cells (rows by
// columns) with the companion values the statistical core adds per cell, the
// two-column pair table the comparisons and correlations work in, and the
// option flags chosen in the dialog.
//
// Everything here has static capacity; nothing is allocated per worksheet.
// Writers: the clipboard reader fills `value`, `row_count`, `column_count`;
// column ordering writes `sort_pos`; the column summaries write the other
// companion fields and normalise missing cells. From the end of start-up on
// the data table's values are read-only (the rank listing only lowers
// `column_count`).
#pragma once

#include <cstdint>

#include "worksheet/cell_rules.h"

// Rows of the data table and of the pair table. A spreadsheet block larger
// than this is cut to its first MAX_ROWS rows.
constexpr int MAX_ROWS = 1024;

// Columns of the data table. The result cell table has one entry per column,
// so every analysis can lay out at most this many result columns.
constexpr int MAX_COLUMNS = 50;

// One row of the data table; each field has one entry per column.
struct DataRow {
    double value[MAX_COLUMNS];          // cell value or marker
    int32_t sort_pos[MAX_COLUMNS];      // position of this row in the column's ascending order
    double rank[MAX_COLUMNS];           // mid-rank among present cells; 0 when missing
    int32_t tie_count[MAX_COLUMNS];     // present cells equal to this one; 0 when missing
    double rank_position[MAX_COLUMNS];  // plotting position of the rank; 0 when missing
    double normal_score[MAX_COLUMNS];   // normal quantile of the position, or CELL_MISSING
};

// One row of the pair table: entry 0 is x, entry 1 is y.
struct PairRow {
    double value[2];
    int32_t sort_pos[2];
    double rank[2];
    int32_t tie_count[2];
    double rank_position[2];
    double normal_score[2];
};

extern DataRow data_rows[MAX_ROWS];
extern PairRow pair_rows[MAX_ROWS];  // always row_count rows

extern int32_t row_count;     // rows of the used range; 0 or less: no rows
extern int32_t column_count;  // columns of the used range; 0 or less: no columns

// The used range as far as the tables reach: row_count and column_count
// never below 0 and never beyond the capacity, whatever is stored in them.
inline int used_rows() { return row_count <= 0 ? 0 : (row_count < MAX_ROWS ? row_count : MAX_ROWS); }
inline int used_columns() {
    return column_count <= 0 ? 0 : (column_count < MAX_COLUMNS ? column_count : MAX_COLUMNS);
}

// Option flags, set by the dialog and read by the analyses. (The dialog's
// own run state lives beside the dialog, in app/analysis_dialog.h.)
extern int32_t log_transform;  // check box 1000 "Log-transformation"
extern int32_t log_y;          // check box 1001 "Log-transformation y values"
extern int32_t extra_output;   // check box 1002 "Extra output"

// Puts the data table, the pair table, the limit table (limit_table.h) and
// the option flags back into their process-start state (all zero).
void reset_data_table();
