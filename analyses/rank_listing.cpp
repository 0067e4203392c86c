// The rank listing: blocks of one cell per column, block after block, for
// each data row. A cell that has nothing to show is empty (a bare tab; the
// line's very first cell is a single space so that the line never starts
// with a tab).
#include "analyses/rank_listing.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "analyses/analysis_status.h"
#include "analyses/messages.h"
#include "stats/column_summary.h"
#include "worksheet/data_table.h"
#include "worksheet/number_text.h"
#include "worksheet/result_text.h"

namespace {

using namespace rank_blocks;

// The listing's table of blocks (every cell is written here, so the format
// is not read).
REPORT_ROW_TABLE(RANK_LISTING, rank_blocks, RANK_LISTING_BLOCKS(REPORT_ROW_ENTRIES));
constexpr ReportTable TABLE = report_table(RANK_LISTING);

void empty_cell() { append_cell("\t"); }

// "\t" and `value` as "%<width>.<precision>lf", or an empty cell when the
// value is not a finite number.
void value_cell(int precision, int width, double value) {
    if (!std::isfinite(value)) {
        empty_cell();
        return;
    }
    print_fixed(cell_text, CELL_TEXT_CAPACITY, value, precision, width, "\t");
    append_cell(cell_text);
}


void rank_cell(const DataRow& row, int c) {
    const double rank = row.rank[c];
    if (rank == 0 || !std::isfinite(rank)) {
        append_cell(c == 0 ? " " : "\t");
        return;
    }
    print_fixed(cell_text, CELL_TEXT_CAPACITY, rank, 1, 0, c == 0 ? "" : "\t");
    append_cell(cell_text);
}

void percentile_cell(const DataRow& row, int c) {
    const double position = row.rank_position[c];
    if (!(position > 0)) {
        empty_cell();
        return;
    }
    value_cell(1, 0, 100.0 * position);
}

// `value` as value_cell writes it when the condition holds, else an empty
// cell.
void cell_if(bool shown, int precision, int width, double value) {
    if (shown)
        value_cell(precision, width, value);
    else
        empty_cell();
}

void repeats_cell(int32_t ties) {
    if (ties < 1) {
        empty_cell();
        return;
    }
    print_integer(cell_text, CELL_TEXT_CAPACITY, ties, 0, "\t");
    append_cell(cell_text);
}

// The cell of column c in block `block` of a data line.
void block_cell(int block, const DataRow& row, int c) {
    const ColumnSummary& s = column_summaries[c];
    const double z = row.normal_score[c];
    const double v = row.value[c];
    switch (block) {
    case RANK_BLOCK: rank_cell(row, c); break;
    case PERCENTILE_BLOCK: percentile_cell(row, c); break;
    case Z_SCORE_BLOCK: cell_if(is_available(z), 4, 0, z); break;
    case REPEATS_BLOCK: repeats_cell(row.tie_count[c]); break;
    case LINEAR_PREDICTION_BLOCK: cell_if(is_available(z), 4, 8, s.mean + z * s.sd); break;
    case LOG_PREDICTION_BLOCK: cell_if(is_available(z), 4, 8, std::exp(s.mean_log + z * s.sd_log)); break;
    // Markers stand for their column's substitutes (log-scale ones under
    // log transformation).
    case RAW_DATA_BLOCK: cell_if(!is_missing_value(v), 4, 0, marker_substitute(v, s, log_transform != 0)); break;
    default: break;
    }
}

// The label line: each printed block's label after one tab per column of
// the block before it.
void append_label_line() {
    const int columns = used_columns();
    clear_line_text();
    bool first = true;
    for (int block = 0; block < TABLE.count; ++block) {
        if (!is_printed(TABLE.rows[block].printed)) continue;
        for (int c = 0; !first && c < columns; ++c) append_cell("\t");
        append_cell(row_labels[block]);
        first = false;
    }
    append_line_to_result();
}

}  // namespace

void set_rank_labels() { set_report_labels(TABLE); }

void format_rank_row(int row) {
    clear_line_text();
    if (row < 0 || row >= MAX_ROWS) return;
    const DataRow& data = data_rows[row];
    const int columns = used_columns();
    for (int block = 0; block < TABLE.count; ++block) {
        if (!is_printed(TABLE.rows[block].printed)) continue;
        for (int c = 0; c < columns; ++c) block_cell(block, data, c);
    }
    append_newline();
}

void write_rank_listing() {
    set_rank_labels();
    start_result_text("");
    const int rows = used_rows();
    for (int r = 0; r < rows; ++r) {
        format_rank_row(r);
        append_line_to_result();
    }
    append_label_line();
}

int run_rank_listing(platform::WindowHandle owner) {
    if (column_count < 1) {
        platform::show_message(owner, "At least one data columns is required", MESSAGE_CAPTION);
        return ANALYSIS_TOO_FEW_COLUMNS;
    }
    if (row_count < 3) {
        platform::show_message(owner, "At least three data row are required", MESSAGE_CAPTION);
        return ANALYSIS_TOO_FEW_ROWS;
    }
    if (column_count > MAX_RANK_COLUMNS) {
        platform::show_message(owner, "Only up to 5 columns can be handled", MESSAGE_CAPTION);
        column_count = MAX_RANK_COLUMNS;
    }
    write_rank_listing();
    return publish_report(owner);
}
