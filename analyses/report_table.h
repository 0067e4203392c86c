// The reports as tables of rows: each report is one table, in row order,
// that says per row its label, its label under Log-transformation, when it
// is printed and how its cell is written. The four built from the result
// cell table (paired, non-paired, Pearson, Spearman) take labels, cells and
// the printed text from it; the descriptive report (a row per statistic)
// and the rank listing (a row per block of columns) take their labels and
// which rows they print, and write their own cells.
//
// A report lists its rows once, as an X-macro list of
//     X(ROW_ID, "label", "label with Log-transformation" or nullptr, printed, format)
// from which REPORT_ROW_IDS makes the enum of row ids and REPORT_ROW_ENTRIES
// the table, so that adding or moving a row touches one line.
#pragma once

#include "platform/platform.h"

// When a row is printed: always; only with "Extra output"; only with
// "Extra output" and without, or with, "Log-transformation"; or never (a
// result row the report does not use).
enum class Printed { Always, Extra, ExtraLinear, ExtraLog, Never };

// Whether a row is printed under the options chosen in the dialog.
bool is_printed(Printed printed);

// How the cell of a row is written from its value:
//   Value       "%.4lf" (a non-finite value or CELL_MISSING is "#n/a");
//   PValue      a p from p_from_t or p_from_z: "%.4lf", a code -q (p above
//               q) as ">%.4lf" of q;
//   SignedRankP a p code of the signed-rank test: "%.3lf", a code -a (p
//               below a) as "< %.3lf" of a;
//   Count       "%d";
//   WideCount   "%12d".
enum class CellFormat { Value, PValue, SignedRankP, Count, WideCount };

struct ReportRow {
    const char* label;
    const char* log_label;  // under Log-transformation; nullptr: the same label
    Printed printed;
    CellFormat format;
};

#define REPORT_ROW_IDS(id, label, log_label, printed, format) id,
#define REPORT_ROW_ENTRIES(id, label, log_label, printed, format) \
    ReportRow{label, log_label, Printed::printed, CellFormat::format},

// The enum `Enum` of a report's row ids, with COUNT after the last, in
// namespace `ids`, from its list expanded by REPORT_ROW_IDS.
#define REPORT_ROW_ENUM(ids, Enum, ids_list) \
    namespace ids {                          \
    enum Enum : int { ids_list COUNT };      \
    }
// The table NAME of a report's rows, from its list expanded by
// REPORT_ROW_ENTRIES, with one entry per row id of `ids`.
#define REPORT_ROW_TABLE(NAME, ids, entries_list)  \
    inline constexpr ReportRow NAME[] = {entries_list}; \
    static_assert(sizeof NAME / sizeof NAME[0] == ids::COUNT, "one entry per row")

// A view of one report's table.
struct ReportTable {
    const ReportRow* rows;
    int count;
};

template <int N>
constexpr ReportTable report_table(const ReportRow (&rows)[N]) {
    return {rows, N};
}

// Writes `value` into result cell [row][column] in the row's format. A
// count is written from a value that is a whole number in the int range;
// anything else is "#n/a".
void set_report_cell(ReportTable table, int row, int column, double value);

// The labels of every row into the row label table, the log label under
// Log-transformation.
void set_report_labels(ReportTable table);

// The labels, then result_text becomes `title` followed by every printed
// row (label, then the cells of compared columns 1 .. column_count-1), each
// line ending in a newline but the last one when "Extra output" is off, so
// that the text then ends without a line break.
void write_table_report(const char* title, ReportTable table);

// The shared ending of every analysis: publishes result_text. ANALYSIS_OK
// once it is on the clipboard, ANALYSIS_PUBLISH_FAILED when it could not be
// put there (the writer has said so).
int publish_report(platform::WindowHandle owner);

// `v`, or exp(v) when `back_transform`; CELL_MISSING when v is not
// available.
double shown_value(double v, bool back_transform);
