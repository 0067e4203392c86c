// Cells, labels and lines of the reports that are built from a table of
// rows, and the ending every analysis shares.
#include "analyses/report_table.h"

#include <cassert>
#include <cmath>
#include <cstdio>

#include "analyses/analysis_status.h"
#include "worksheet/data_table.h"
#include "worksheet/number_text.h"
#include "worksheet/result_text.h"

namespace {

bool valid_row(ReportTable table, int row) { return row >= 0 && row < table.count; }

// A p >= 0 as "%.<precision>lf"; a negative code -a as `code_prefix` and a
// in that format.
void set_p_cell(int row, int column, double p, int precision, const char* code_prefix) {
    char text[RESULT_CELL_CAPACITY];
    print_fixed(text, sizeof text, p >= 0 ? p : -p, precision, 0, p >= 0 ? "" : code_prefix);
    set_result_text(row, column, text);
}

void set_count_cell(int row, int column, double count, int width) {
    // Counts are whole numbers far inside the int range; anything else is
    // not a count.
    if (!(std::fabs(count) < 2147483647.0) || count != std::floor(count)) {
        set_result_value(row, column, CELL_MISSING);
        return;
    }
    char text[RESULT_CELL_CAPACITY];
    print_integer(text, sizeof text, static_cast<int>(count), width);
    set_result_text(row, column, text);
}

}  // namespace

bool is_printed(Printed printed) {
    const bool extra = extra_output != 0;
    switch (printed) {
    case Printed::Always: return true;
    case Printed::Extra: return extra;
    case Printed::ExtraLinear: return extra && log_transform == 0;
    case Printed::ExtraLog: return extra && log_transform != 0;
    case Printed::Never: return false;
    }
    return false;
}

void set_report_cell(ReportTable table, int row, int column, double value) {
    assert(valid_row(table, row));  // a row id of the report's own table
    if (!valid_row(table, row)) return;
    const CellFormat format = table.rows[row].format;
    const bool p_format = format == CellFormat::PValue || format == CellFormat::SignedRankP;
    if (p_format && !is_available(value)) {
        set_result_value(row, column, CELL_MISSING);
        return;
    }
    switch (format) {
    case CellFormat::Value: set_result_value(row, column, value); break;
    case CellFormat::PValue:
        // A p >= 0 is written as any value.
        if (value >= 0)
            set_result_value(row, column, value);
        else
            set_p_cell(row, column, value, 4, ">");
        break;
    case CellFormat::SignedRankP: set_p_cell(row, column, value, 3, "< "); break;
    case CellFormat::Count: set_count_cell(row, column, value, 0); break;
    case CellFormat::WideCount: set_count_cell(row, column, value, 12); break;
    }
}

void set_report_labels(ReportTable table) {
    const bool log = log_transform != 0;
    for (int row = 0; row < table.count; ++row) {
        const ReportRow& r = table.rows[row];
        if (r.printed == Printed::Never) continue;
        set_row_label(row, log && r.log_label != nullptr ? r.log_label : r.label);
    }
}

void write_table_report(const char* title, ReportTable table) {
    set_report_labels(table);
    start_result_text(title);
    int last = -1;
    for (int row = 0; row < table.count; ++row)
        if (is_printed(table.rows[row].printed)) last = row;
    for (int row = 0; row <= last; ++row) {
        if (!is_printed(table.rows[row].printed)) continue;
        begin_labelled_line(row);
        append_value_texts(row);
        if (row < last || extra_output != 0) append_newline();
        append_line_to_result();
    }
}

int publish_report(platform::WindowHandle owner) {
    return publish_results(owner) == PUBLISH_OK ? ANALYSIS_OK : ANALYSIS_PUBLISH_FAILED;
}

double shown_value(double v, bool back_transform) {
    if (!is_available(v)) return CELL_MISSING;
    return back_transform ? std::exp(v) : v;
}
