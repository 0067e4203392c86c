// Pearson correlation of every pair of data columns, with Fisher's z
// interval and p for the pairs of the first column with each other column.
#include "analyses/pearson.h"

#include <cmath>

#include "analyses/analysis_status.h"
#include "analyses/correlation_report.h"
#include "analyses/pair_values.h"
#include "stats/column_summary.h"
#include "stats/ordering.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

double pearson_r() {
    const int rows = row_count <= 0 ? 0 : (row_count < MAX_ROWS ? row_count : MAX_ROWS);
    // The sums are taken of the distances from the first pair, which leaves
    // the coefficient as it is but keeps the sums of squares from cancelling:
    // a constant column has a spread of exactly 0, and so no coefficient.
    bool first = true;
    double x0 = 0, y0 = 0;
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (int r = 0; r < rows; ++r) {
        double x = pair_rows[r].value[0];
        double y = pair_rows[r].value[1];
        if (!(x > CELL_SMALL && x < CELL_BIG && y > CELL_SMALL && y < CELL_BIG)) continue;
        if (log_transform != 0) x = std::log(x);
        if (log_y != 0) y = std::log(y);
        if (first) {
            x0 = x;
            y0 = y;
            first = false;
        }
        x -= x0;
        y -= y0;
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        syy += y * y;
        sxy += x * y;
    }
    const double cross = sxy - sx * sy / n;
    const double x_spread = sxx - sx * sx / n;
    const double y_spread = syy - sy * sy / n;
    return cross / std::sqrt(x_spread * y_spread);
}

void set_pearson_labels() {
    set_row_label(COEFFICIENT_ROW, "Pearson R");
    set_row_label(CI_LOW_ROW, "95CI low");
    set_row_label(CI_HIGH_ROW, "95CI high");
    set_row_label(P_VALUE_ROW, "p value");
    set_row_label(PAIR_COUNT_ROW, "N");
}

void write_pearson_report() {
    set_pearson_labels();
    start_result_text("Pearson\n");
    append_main_rows();
    if (extra_output != 0) append_matrix_lines();
}

int run_pearson_analysis(platform::WindowHandle owner) {
    const int checked = check_correlation_input(owner);
    if (checked != ANALYSIS_OK) return checked;
    const int columns = column_count < MAX_COLUMNS ? column_count : MAX_COLUMNS;
    for (int a = 0; a < columns; ++a) {
        set_matrix_diagonal(a);
        for (int b = a + 1; b < columns; ++b) {
            const bool available = build_pair_values(a, b);
            order_columns(1);
            summarize_columns(true);
            const double r = available ? pearson_r() : std::nan("");
            const int pairs = group_summaries[0].n_total;
            set_matrix_pair(a, b, r, pairs);
            if (a == 0) set_correlation_cells(b, r, pairs);
        }
    }
    write_pearson_report();
    return publish_results(owner) == 0 ? ANALYSIS_OK : ANALYSIS_PUBLISH_FAILED;
}
