// The descriptive report. It computes nothing new: it chooses rows, formats
// the column summaries' values and lays out the table. No title line; each
// line holds one cell per column and then the label, so that pasting it next
// to the data puts every statistic under its column with its name at the end.
#include "analyses/descriptive.h"

#include <cmath>
#include <cstdio>

#include "analyses/report_table.h"
#include "stats/column_summary.h"
#include "worksheet/data_table.h"
#include "worksheet/number_text.h"
#include "worksheet/result_text.h"

namespace {

// How a row's cell is written from the column summary. A shown value is
// "%12.4lf" and a tab, or a bare tab when it is not a finite number; a
// value not shown is a bare tab.
enum class Cell {
    Real,            // the value when it is a real value
    Available,       // the value when it is available
    LogAvailable,    // exp of the log-scale value when it is available
    AboveSmall,      // the value when it is above CELL_SMALL (the mean)
    MedianSe,        // the value when above CELL_SMALL and the median below CELL_BIG
    CountedEstimate, // the value when its count of cells is above 0
    Count,           // the count, "%d" and a tab
    Total,           // the count, or a bare tab when it is 0
};

using S = ColumnSummary;

// Where a row's cell comes from: how it is shown, and the fields it reads.
struct CellSource {
    Cell cell;
    double S::*value;
    int32_t S::*count;
};

// The report's table of rows (every cell is written here, so the format
// is not read) and, by row id, where each cell comes from.
#define DESCRIPTIVE_ROW_ENTRIES(id, label, printed, cell, value, count) \
    REPORT_ROW_ENTRIES(id, label, nullptr, printed, Value)
#define DESCRIPTIVE_CELL_SOURCES(id, label, printed, cell, value, count) CellSource{Cell::cell, value, count},

REPORT_ROW_TABLE(DESCRIPTIVE_REPORT, descriptive_rows, DESCRIPTIVE_REPORT_ROWS(DESCRIPTIVE_ROW_ENTRIES));
constexpr ReportTable TABLE = report_table(DESCRIPTIVE_REPORT);
const CellSource CELL_SOURCES[] = {DESCRIPTIVE_REPORT_ROWS(DESCRIPTIVE_CELL_SOURCES)};
static_assert(sizeof CELL_SOURCES / sizeof CELL_SOURCES[0] == descriptive_rows::COUNT, "one source per row");

// The cell of report row `row` for one column's summary.
void build_cell(const CellSource& row, const ColumnSummary& s, char* out, std::size_t size) {
    const double v = row.value != nullptr ? s.*row.value : 0.0;
    const int32_t n = row.count != nullptr ? s.*row.count : 0;
    bool shown = true;
    switch (row.cell) {
    case Cell::Real: shown = is_real_value(v); break;
    case Cell::Available: shown = is_available(v); break;
    case Cell::LogAvailable: shown = is_available(v); break;
    case Cell::AboveSmall: shown = v > CELL_SMALL; break;
    case Cell::MedianSe: shown = v > CELL_SMALL && s.median < CELL_BIG; break;
    case Cell::CountedEstimate: shown = n > 0; break;
    case Cell::Count: print_integer(out, size, n, 0, "", "\t"); return;
    case Cell::Total:
        if (n == 0)
            std::snprintf(out, size, "\t");
        else
            print_integer(out, size, n, 0, "", "\t");
        return;
    }
    const double shown_value = row.cell == Cell::LogAvailable ? std::exp(v) : v;
    if (shown && std::isfinite(shown_value))
        print_fixed(out, size, shown_value, 4, 12, "", "\t");
    else
        std::snprintf(out, size, "\t");
}

}  // namespace

void set_descriptive_labels() { set_report_labels(TABLE); }

int run_descriptive_analysis(platform::WindowHandle owner) {
    set_descriptive_labels();
    const int columns = used_columns();
    const int last = TABLE.count - 1;
    for (int row = 0; row <= last; ++row) {
        clear_line_text();
        const bool shown = is_printed(TABLE.rows[row].printed);
        for (int c = 0; shown && c < columns; ++c) {
            build_cell(CELL_SOURCES[row], column_summaries[c], cell_text, sizeof cell_text);
            append_cell(cell_text);
        }
        if (line_text_length() > 0) {
            append_cell(row_labels[row]);
            if (row < last) append_newline();
        }
        append_line_to_result();
    }
    return publish_report(owner);
}
