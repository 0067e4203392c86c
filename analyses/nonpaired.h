// The non-paired comparison: the first column holds a group code for every
// row and splits the rows into two groups; every further column is compared
// between them by a pooled-variance t-test (on logarithms with the
// Log-transformation option), the difference of the medians and a
// Mann-Whitney rank-sum test. One result column per compared column.
#pragma once

#include <cstdint>

#include "analyses/report_rows.h"
#include "analyses/report_table.h"
#include "platform/platform.h"

// The report's rows, listed in report_rows.h, as ids and a table.
REPORT_ROW_ENUM(nonpaired_rows, Row, NONPAIRED_REPORT_ROWS(REPORT_ROW_IDS))
REPORT_ROW_TABLE(NONPAIRED_REPORT, nonpaired_rows, NONPAIRED_REPORT_ROWS(REPORT_ROW_ENTRIES));

// Checks the input, compares every column after the first and publishes the
// report. ANALYSIS_TOO_FEW_COLUMNS, ANALYSIS_TOO_FEW_ROWS or
// ANALYSIS_NOT_GROUPABLE after the message box; ANALYSIS_OK once the text is
// on the clipboard, ANALYSIS_PUBLISH_FAILED when it could not be put there.
int run_nonpaired_analysis(platform::WindowHandle owner);

// The two group codes of column 0, ascending: the integer parts (truncated
// toward zero) of its present cells. False unless there are exactly two
// distinct codes.
bool find_group_codes(int32_t& code0, int32_t& code1);

// The group of each used row by its code in the first column into
// groups[row]: 0 for code0, 1 for code1, -1 for a row in neither (its code
// missing or another).
void find_row_groups(int32_t code0, int32_t code1, int8_t* groups);

// Pair table column 0 gets column c's values of the rows of code0, column 1
// those of code1; every other entry is CELL_MISSING.
void build_group_columns(int c, int32_t code0, int32_t code1);

// The statistics of compared column c from the ordered and summarised pair
// table, into result column c, rows 0..11 and 13..22.
void compute_nonpaired_column(int c);


// "NonPaired" and rows 0..11, then with extra output rows 13..22; without
// it the text ends after the last cell of row 11.
void write_nonpaired_report();
