// The descriptive report. It computes nothing new: it chooses rows, formats
// the column summaries' values and lays out the table. No title line; each
// line holds one cell per column and then the label, so that pasting it next
// to the data puts every statistic under its column with its name at the end.
#include "analyses/descriptive.h"

#include <cmath>
#include <cstdio>

#include "analyses/analysis_status.h"
#include "stats/column_summary.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace {

constexpr int DESCRIPTIVE_ROWS = 43;

// When a row is shown: E = extra output, G = log transformation.
enum class Shown { Always, Extra, ExtraLinear, ExtraLog };

struct ReportRow {
    const char* label;
    Shown shown;
};

// Rows 1..43 in output order (entry 0 is the unused row 0).
const ReportRow REPORT_ROWS[DESCRIPTIVE_ROWS + 1] = {
    {"", Shown::Always},
    {"Min", Shown::Always},
    {"Max", Shown::Always},
    {"95%CI ll=Mean-t*SEM", Shown::Always},
    {"Mean-SEM", Shown::Always},
    {"Mean", Shown::Always},
    {"Mean+SEM", Shown::Always},
    {"95%CI ul=Mean+t*SEM", Shown::Always},
    {"95%CI ll(log)=Mean/(GSEM^t)", Shown::Always},
    {"Mean/GSEM", Shown::Always},
    {"Mean (log)", Shown::Always},
    {"Mean*GSEM", Shown::Always},
    {"95%CI ul(log)=Mean*(GSEM^t)", Shown::Always},
    {"10 Centile", Shown::Extra},
    {"25 Centile", Shown::Always},
    {"33 Centile", Shown::Extra},
    {"Median-SE of median", Shown::Always},
    {"Median", Shown::Always},
    {"Median+SE of median", Shown::Always},
    {"67 Centile", Shown::Extra},
    {"75 Centile", Shown::Always},
    {"90 Centile", Shown::Extra},
    {"SEM", Shown::ExtraLinear},
    {"GSEM", Shown::ExtraLog},
    {"SD", Shown::ExtraLinear},
    {"GSD", Shown::ExtraLog},
    {"Big", Shown::ExtraLinear},
    {"Big (log)", Shown::ExtraLog},
    {"Small", Shown::ExtraLinear},
    {"Small (log)", Shown::ExtraLog},
    {"33-0", Shown::Always},
    {"66-33", Shown::ExtraLinear},
    {"100-67", Shown::Always},
    {"33-0 (log)", Shown::Always},
    {"66-33 (log)", Shown::ExtraLog},
    {"100-67 (log)", Shown::Always},
    {"% Deviation from normal", Shown::Extra},
    {"% Deviation from normal (log)", Shown::Extra},
    {"N big", Shown::Extra},
    {"N small", Shown::ExtraLinear},
    {"N small (log)", Shown::ExtraLog},
    {"N real", Shown::ExtraLinear},
    {"N real (log)", Shown::ExtraLog},
    {"N total", Shown::Always},
};

bool row_shown(int row) {
    if (row <= 0 || row > DESCRIPTIVE_ROWS) return false;
    switch (REPORT_ROWS[row].shown) {
    case Shown::Always: return true;
    case Shown::Extra: return extra_output != 0;
    case Shown::ExtraLinear: return extra_output != 0 && log_transform == 0;
    case Shown::ExtraLog: return extra_output != 0 && log_transform != 0;
    }
    return false;
}

// The cell texts. A value that is not a finite number is a blank cell.
void value_cell(char* out, std::size_t size, double v) {
    if (std::isfinite(v))
        std::snprintf(out, size, "%12.4lf\t", v);
    else
        std::snprintf(out, size, "\t");
}
void blank_cell(char* out, std::size_t size) { std::snprintf(out, size, "\t"); }
void count_cell(char* out, std::size_t size, int32_t n) { std::snprintf(out, size, "%d\t", static_cast<int>(n)); }

// A statistic that is available: above CELL_MISSING (a NaN is not).
bool available(double v) { return v > CELL_MISSING; }
// A value strictly between the small and big markers.
bool inside_markers(double v) { return v > CELL_SMALL && v < CELL_BIG; }

void value_if(char* out, std::size_t size, bool shown, double v) {
    if (shown)
        value_cell(out, size, v);
    else
        blank_cell(out, size);
}

// The cell of report row `row` for one column's summary.
void build_cell(int row, const ColumnSummary& s, char* out, std::size_t size) {
    switch (row) {
    case 1: value_if(out, size, inside_markers(s.min), s.min); break;
    case 2: value_if(out, size, inside_markers(s.max), s.max); break;
    case 3: value_if(out, size, available(s.ci95_lower), s.ci95_lower); break;
    case 4: value_if(out, size, available(s.mean_minus_sem), s.mean_minus_sem); break;
    case 5: value_if(out, size, s.mean > CELL_SMALL, s.mean); break;
    case 6: value_if(out, size, available(s.mean_plus_sem), s.mean_plus_sem); break;
    case 7: value_if(out, size, available(s.ci95_upper), s.ci95_upper); break;
    case 8: value_if(out, size, available(s.ci95_lower_log), std::exp(s.ci95_lower_log)); break;
    case 9: value_if(out, size, available(s.mean_minus_sem_log), std::exp(s.mean_minus_sem_log)); break;
    case 10: value_if(out, size, available(s.mean_log), std::exp(s.mean_log)); break;
    case 11: value_if(out, size, available(s.mean_plus_sem_log), std::exp(s.mean_plus_sem_log)); break;
    case 12: value_if(out, size, available(s.ci95_upper_log), std::exp(s.ci95_upper_log)); break;
    case 13: value_if(out, size, inside_markers(s.centile_10), s.centile_10); break;
    case 14: value_if(out, size, inside_markers(s.centile_25), s.centile_25); break;
    case 15: value_if(out, size, inside_markers(s.centile_33), s.centile_33); break;
    case 16: value_if(out, size, s.median_minus_se > CELL_SMALL && s.median < CELL_BIG, s.median_minus_se); break;
    case 17: value_if(out, size, inside_markers(s.median), s.median); break;
    case 18: value_if(out, size, s.median_plus_se > CELL_SMALL && s.median < CELL_BIG, s.median_plus_se); break;
    case 19: value_if(out, size, inside_markers(s.centile_67), s.centile_67); break;
    case 20: value_if(out, size, inside_markers(s.centile_75), s.centile_75); break;
    case 21: value_if(out, size, inside_markers(s.centile_90), s.centile_90); break;
    case 22: value_if(out, size, available(s.sem), s.sem); break;
    case 23: value_if(out, size, available(s.sem_log), std::exp(s.sem_log)); break;
    case 24: value_if(out, size, available(s.sd), s.sd); break;
    case 25: value_if(out, size, available(s.sd_log), std::exp(s.sd_log)); break;
    case 26: value_if(out, size, s.n_big > 0, s.big_value); break;
    case 27: value_if(out, size, s.n_big > 0, s.big_value_log); break;
    case 28: value_if(out, size, s.n_small > 0, s.small_value); break;
    case 29: value_if(out, size, s.n_small_log > 0, s.small_value_log); break;
    case 30: count_cell(out, size, s.n_lower_third); break;
    case 31: count_cell(out, size, s.n_middle_third); break;
    case 32: count_cell(out, size, s.n_upper_third); break;
    case 33: count_cell(out, size, s.n_lower_third_log); break;
    case 34: count_cell(out, size, s.n_middle_third_log); break;
    case 35: count_cell(out, size, s.n_upper_third_log); break;
    case 36: value_if(out, size, available(s.deviation_from_normal), s.deviation_from_normal); break;
    case 37: value_if(out, size, available(s.deviation_from_normal_log), s.deviation_from_normal_log); break;
    case 38: count_cell(out, size, s.n_big); break;
    case 39: count_cell(out, size, s.n_small); break;
    case 40: count_cell(out, size, s.n_small_log); break;
    case 41: count_cell(out, size, s.n_real); break;
    case 42: count_cell(out, size, s.n_real_log); break;
    case 43:
        if (s.n_total == 0)
            blank_cell(out, size);
        else
            count_cell(out, size, s.n_total);
        break;
    default: out[0] = '\0'; break;
    }
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
            build_cell(row, column_summaries[c], cell_text, sizeof cell_text);
            append_cell(cell_text);
        }
        if (line_text_length() > 0) {
            append_cell(row_labels[row]);
            if (row < DESCRIPTIVE_ROWS) append_newline();
        }
        append_line_to_result();
    }
    return publish_results(owner) == 0 ? ANALYSIS_OK : ANALYSIS_PUBLISH_FAILED;
}
