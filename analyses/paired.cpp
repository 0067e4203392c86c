// The paired comparison: the pairs of each compared column with the first,
// the labels and the report.
#include "analyses/paired.h"

#include "analyses/analysis_status.h"
#include "analyses/input_checks.h"
#include "analyses/kept_estimates.h"
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

    // In ratio mode the substitutes come from the log scale (held
    // back-transformed).
    const double xs = marker_substitute(x, column_summaries[0], ratio);
    const double ys = marker_substitute(y, column_summaries[c], ratio);
    if (!is_real_value(xs) || !is_real_value(ys)) return MISSING_PAIR;  // also a substitute that is not a number
    if (!ratio) {
        const double d = ys - xs;
        if (!is_real_value(d)) return MISSING_PAIR;
        return {d, d > 0 ? d : -d};
    }
    // Ratios and their logarithms need positive values.
    if (!(xs > 0 && ys > 0)) return MISSING_PAIR;
    const double q = ys / xs;
    // A ratio and its reciprocal have the same magnitude.
    const double m = q > 1 ? q : 1 / q;
    if (!(q > 0) || !is_real_value(q) || !is_real_value(m)) return MISSING_PAIR;
    return {q, m};
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

void write_paired_report() { write_table_report("Paired\n", report_table(PAIRED_REPORT)); }

int run_paired_analysis(platform::WindowHandle owner) {
    forget_group_estimates();
    const int checked = check_two_column_input(owner);
    if (checked != ANALYSIS_OK) return checked;
    const int columns = used_columns();
    // Of the group summaries the tests read the t-test's estimates of the
    // differences (on the log scale in ratio mode) and the order of the
    // magnitudes.
    const unsigned fields = log_transform != 0 ? GROUP_LOG_ESTIMATES : GROUP_ESTIMATES;
    for (int c = 1; c < columns; ++c) {
        build_paired_differences(c);
        summarize_group(0, fields);
        keep_group_estimates(c, 1);
        order_pair_column(1);
        compute_paired_column(c);
    }
    seal_group_estimates(KeptFor{KeptBy::Paired, 0, 0});
    write_paired_report();
    return publish_report(owner);
}
