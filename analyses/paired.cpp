// The paired comparison: the pairs of each compared column with the first,
// the labels and the report.
#include "analyses/paired.h"

#include "analyses/analysis_status.h"
#include "analyses/input_checks.h"
#include "analyses/comparison_cells.h"
#include "stats/column_summary.h"
#include "stats/ordering.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace {

struct PairValues {
    double signed_value;
    double magnitude;
};

const PairValues MISSING_PAIR = {CELL_MISSING, CELL_MISSING};

// The value a small or big cell of `column` stands for; in ratio mode the
// substitute from the log scale (held back-transformed). Others unchanged.
double substituted(double v, int column, bool ratio) {
    const ColumnSummary& s = column_summaries[column];
    if (v == CELL_SMALL) return ratio ? s.small_value_log : s.small_value;
    if (v == CELL_BIG) return ratio ? s.big_value_log : s.big_value;
    return v;
}

// A computed difference or ratio stands for a pair only while it cannot be
// taken for a marker or a missing cell.
bool usable(double v) { return v > CELL_SMALL && v < CELL_BIG; }

// The signed value and magnitude of one row: x from column 0, y from
// column c. The first matching rule applies.
PairValues pair_values(double x, double y, int c, bool ratio) {
    if (is_missing_value(x) || is_missing_value(y)) return MISSING_PAIR;
    if (x == CELL_SMALL && y == CELL_SMALL) return MISSING_PAIR;
    if (x == CELL_BIG && y == CELL_BIG) return MISSING_PAIR;
    // One below and one above its limit: the difference is known only to be
    // beyond every real one. Its magnitude is big in both modes.
    if (x == CELL_SMALL && y == CELL_BIG) return {CELL_BIG, CELL_BIG};
    if (x == CELL_BIG && y == CELL_SMALL) return {CELL_SMALL, CELL_BIG};

    const double xs = substituted(x, 0, ratio);
    const double ys = substituted(y, c, ratio);
    if (!usable(xs) || !usable(ys)) return MISSING_PAIR;  // also a substitute that is not a number
    if (!ratio) {
        const double d = ys - xs;
        if (!usable(d)) return MISSING_PAIR;
        return {d, d > 0 ? d : -d};
    }
    // Ratios and their logarithms need positive values.
    if (!(xs > 0 && ys > 0)) return MISSING_PAIR;
    const double q = ys / xs;
    // A ratio and its reciprocal have the same magnitude.
    const double m = q > 1 ? q : 1 / q;
    if (!(q > 0) || !usable(q) || !usable(m)) return MISSING_PAIR;
    return {q, m};
}

void append_report_row(int row, bool newline) {
    begin_labelled_line(row);
    append_value_texts(row);
    if (newline) append_newline();
    append_line_to_result();
}

}  // namespace

void build_paired_differences(int c) {
    const int rows = used_rows();
    const bool valid_column = c > 0 && c < MAX_COLUMNS;
    const bool ratio = log_transform != 0;
    for (int r = 0; r < rows; ++r) {
        const PairValues p =
            valid_column ? pair_values(data_rows[r].value[0], data_rows[r].value[c], c, ratio) : MISSING_PAIR;
        pair_rows[r].value[0] = p.signed_value;
        pair_rows[r].value[1] = p.magnitude;
    }
}

void set_paired_labels() {
    const bool ratio = log_transform != 0;
    set_row_label(0, ratio ? "mean ratio" : "mean difference");
    set_row_label(1, "95% CI lower limit");
    set_row_label(2, "95% CI upper limit");
    set_row_label(3, "p (T-test)");
    set_row_label(4, "p (Wilcoxon)");
    set_row_label(6, "N (T-test)");
    set_row_label(7, ratio ? "GSE for ratio" : "SE of difference");
    set_row_label(8, "t value");
    set_row_label(9, "N (Wilcoxon)");
    set_row_label(10, "Wilcoxon T");
}

void write_paired_report() {
    set_paired_labels();
    start_result_text("Paired\n");
    const bool extra = extra_output != 0;
    for (int row = 0; row <= PAIRED_LAST_MAIN_ROW; ++row) append_report_row(row, row < PAIRED_LAST_MAIN_ROW || extra);
    if (!extra) return;
    for (int row = PAIRED_FIRST_EXTRA_ROW; row <= PAIRED_LAST_EXTRA_ROW; ++row) append_report_row(row, true);
}

int run_paired_analysis(platform::WindowHandle owner) {
    const int checked = check_two_column_input(owner);
    if (checked != ANALYSIS_OK) return checked;
    const int columns = used_columns();
    for (int c = 1; c < columns; ++c) {
        build_paired_differences(c);
        order_columns(1);
        summarize_columns(true);
        compute_paired_column(c);
    }
    write_paired_report();
    return publish_results(owner) == 0 ? ANALYSIS_OK : ANALYSIS_PUBLISH_FAILED;
}
