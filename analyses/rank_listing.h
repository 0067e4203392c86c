// The rank listing: for every data row and each of up to five columns, the
// cell's tie-adjusted rank and percentile, and with extra output its
// rank-based z score, the size of its tie group, the values a normal and a
// log-normal fit of the column predict at that rank, and the cell itself.
// It reads only what start-up computed. No title line: one line per data
// row, then a line of block labels, each above its block's first column.
#pragma once

#include "analyses/report_rows.h"
#include "analyses/report_table.h"
#include "platform/platform.h"

// The report's rows, listed in report_rows.h, as ids.
REPORT_ROW_ENUM(rank_blocks, Block, RANK_LISTING_BLOCKS(REPORT_ROW_IDS))

// Columns the listing can lay out side by side.
constexpr int MAX_RANK_COLUMNS = 5;

// Checks the input (no column, fewer than three rows: message and status),
// caps the columns at MAX_RANK_COLUMNS with a message, writes and publishes
// the listing. ANALYSIS_PUBLISH_FAILED when the text could not be put on the
// clipboard, else ANALYSIS_OK.
int run_rank_listing(platform::WindowHandle owner);

// The listing into result_text: the labels, every data row, the label line.
void write_rank_listing();
// line_text becomes the line of data row `row`, newline included.
void format_rank_row(int row);
// The block labels into the row label table, by block id.
void set_rank_labels();
