// The descriptive report. It computes nothing new: it chooses rows, formats
// the column summaries' values and lays out the table. No title line; each
// line holds one cell per column and then the label, so that pasting it next
// to the data puts every statistic under its column with its name at the end.
#include "analyses/descriptive.h"

#include <cmath>
#include <cstdio>

#include "analyses/analysis_status.h"
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

struct DescriptiveRow {
    const char* label;
    Printed printed;
    Cell cell;
    double ColumnSummary::*value;
    int32_t ColumnSummary::*count;  // the count, or what a counted estimate depends on
};

constexpr DescriptiveRow row(const char* label, Printed printed, Cell cell, double ColumnSummary::*value,
                             int32_t ColumnSummary::*count = nullptr) {
    return {label, printed, cell, value, count};
}
constexpr DescriptiveRow count_row(const char* label, Printed printed, int32_t ColumnSummary::*count,
                                   Cell cell = Cell::Count) {
    return {label, printed, cell, nullptr, count};
}

using S = ColumnSummary;
constexpr Printed ALWAYS = Printed::Always;
constexpr Printed EXTRA = Printed::Extra;
constexpr Printed LINEAR = Printed::ExtraLinear;
constexpr Printed LOG = Printed::ExtraLog;

constexpr int DESCRIPTIVE_ROWS = 43;

// Rows 1..43 in output order (entry 0 is the unused row 0).
const DescriptiveRow REPORT_ROWS[] = {
    count_row("", Printed::Never, &S::n_total),
    row("Min", ALWAYS, Cell::Real, &S::min),
    row("Max", ALWAYS, Cell::Real, &S::max),
    row("95%CI ll=Mean-t*SEM", ALWAYS, Cell::Available, &S::ci95_lower),
    row("Mean-SEM", ALWAYS, Cell::Available, &S::mean_minus_sem),
    row("Mean", ALWAYS, Cell::AboveSmall, &S::mean),
    row("Mean+SEM", ALWAYS, Cell::Available, &S::mean_plus_sem),
    row("95%CI ul=Mean+t*SEM", ALWAYS, Cell::Available, &S::ci95_upper),
    row("95%CI ll(log)=Mean/(GSEM^t)", ALWAYS, Cell::LogAvailable, &S::ci95_lower_log),
    row("Mean/GSEM", ALWAYS, Cell::LogAvailable, &S::mean_minus_sem_log),
    row("Mean (log)", ALWAYS, Cell::LogAvailable, &S::mean_log),
    row("Mean*GSEM", ALWAYS, Cell::LogAvailable, &S::mean_plus_sem_log),
    row("95%CI ul(log)=Mean*(GSEM^t)", ALWAYS, Cell::LogAvailable, &S::ci95_upper_log),
    row("10 Centile", EXTRA, Cell::Real, &S::centile_10),
    row("25 Centile", ALWAYS, Cell::Real, &S::centile_25),
    row("33 Centile", EXTRA, Cell::Real, &S::centile_33),
    row("Median-SE of median", ALWAYS, Cell::MedianSe, &S::median_minus_se),
    row("Median", ALWAYS, Cell::Real, &S::median),
    row("Median+SE of median", ALWAYS, Cell::MedianSe, &S::median_plus_se),
    row("67 Centile", EXTRA, Cell::Real, &S::centile_67),
    row("75 Centile", ALWAYS, Cell::Real, &S::centile_75),
    row("90 Centile", EXTRA, Cell::Real, &S::centile_90),
    row("SEM", LINEAR, Cell::Available, &S::sem),
    row("GSEM", LOG, Cell::LogAvailable, &S::sem_log),
    row("SD", LINEAR, Cell::Available, &S::sd),
    row("GSD", LOG, Cell::LogAvailable, &S::sd_log),
    row("Big", LINEAR, Cell::CountedEstimate, &S::big_value, &S::n_big),
    row("Big (log)", LOG, Cell::CountedEstimate, &S::big_value_log, &S::n_big),
    row("Small", LINEAR, Cell::CountedEstimate, &S::small_value, &S::n_small),
    row("Small (log)", LOG, Cell::CountedEstimate, &S::small_value_log, &S::n_small_log),
    count_row("33-0", ALWAYS, &S::n_lower_third),
    count_row("66-33", LINEAR, &S::n_middle_third),
    count_row("100-67", ALWAYS, &S::n_upper_third),
    count_row("33-0 (log)", ALWAYS, &S::n_lower_third_log),
    count_row("66-33 (log)", LOG, &S::n_middle_third_log),
    count_row("100-67 (log)", ALWAYS, &S::n_upper_third_log),
    row("% Deviation from normal", EXTRA, Cell::Available, &S::deviation_from_normal),
    row("% Deviation from normal (log)", EXTRA, Cell::Available, &S::deviation_from_normal_log),
    count_row("N big", EXTRA, &S::n_big),
    count_row("N small", LINEAR, &S::n_small),
    count_row("N small (log)", LOG, &S::n_small_log),
    count_row("N real", LINEAR, &S::n_real),
    count_row("N real (log)", LOG, &S::n_real_log),
    count_row("N total", ALWAYS, &S::n_total, Cell::Total),
};
static_assert(sizeof REPORT_ROWS / sizeof REPORT_ROWS[0] == DESCRIPTIVE_ROWS + 1, "one entry per row and row 0");

bool row_shown(int row) { return row > 0 && row <= DESCRIPTIVE_ROWS && is_printed(REPORT_ROWS[row].printed); }

// The cell of report row `row` for one column's summary.
void build_cell(const DescriptiveRow& row, const ColumnSummary& s, char* out, std::size_t size) {
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

void set_descriptive_labels() {
    for (int row = 1; row <= DESCRIPTIVE_ROWS; ++row) set_row_label(row, REPORT_ROWS[row].label);
}

int run_descriptive_analysis(platform::WindowHandle owner) {
    set_descriptive_labels();
    const int columns = used_columns();
    for (int row = 0; row <= DESCRIPTIVE_ROWS; ++row) {
        clear_line_text();
        const bool shown = row_shown(row);
        for (int c = 0; shown && c < columns; ++c) {
            build_cell(REPORT_ROWS[row], column_summaries[c], cell_text, sizeof cell_text);
            append_cell(cell_text);
        }
        if (line_text_length() > 0) {
            append_cell(row_labels[row]);
            if (row < DESCRIPTIVE_ROWS) append_newline();
        }
        append_line_to_result();
    }
    return publish_results(owner) == PUBLISH_OK ? ANALYSIS_OK : ANALYSIS_PUBLISH_FAILED;
}
