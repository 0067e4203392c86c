// Pearson correlation of every pair of data columns, with Fisher's z
// interval and p for the pairs of the first column with each other column.
#include "analyses/pearson.h"

#include <algorithm>
#include <cmath>

#include "analyses/analysis_status.h"
#include "analyses/input_checks.h"
#include "analyses/correlation_report.h"
#include "analyses/pair_values.h"
#include "stats/column_summary.h"
#include "stats/distance_scale.h"
#include "stats/pair_ranks.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace {

// ln of every present cell as the log modes put it into the pair table, one
// row of logarithms per data column. A log-mode run takes each cell's
// logarithm once this way instead of once for every pair the cell is in;
// the logarithms are the same.
double cell_logs[MAX_COLUMNS][MAX_ROWS];

void take_cell_logs(int columns) {
    const int rows = used_rows();
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            const double v = data_rows[r].value[c];
            cell_logs[c][r] = is_missing_value(v) ? CELL_MISSING : std::log(pair_value(v, c, true));
        }
    }
}

// Sums over the pairs of the current pair table where both values are
// present, of the distances from the first such pair (each distance scaled by
// 2^scale_x or 2^scale_y, which is exact). In the log modes x' = ln x and
// y' = ln y, read from `x_logs` and `y_logs` (per row) when given.
struct PairSums {
    double n, sx, sy, sxx, syy, sxy;
    double largest_x, largest_y;  // the largest distance of each, unscaled
};

PairSums pair_sums(const double* x_logs, const double* y_logs, int scale_x, int scale_y) {
    const int rows = used_rows();
    bool first = true;
    double x0 = 0, y0 = 0;
    PairSums s{0, 0, 0, 0, 0, 0, 0, 0};
    for (int r = 0; r < rows; ++r) {
        double x = pair_rows[r].value[0];
        double y = pair_rows[r].value[1];
        if (!is_real_value(x) || !is_real_value(y)) continue;
        if (log_transform != 0) x = x_logs != nullptr ? x_logs[r] : std::log(x);
        if (log_y != 0) y = y_logs != nullptr ? y_logs[r] : std::log(y);
        if (first) {
            x0 = x;
            y0 = y;
            first = false;
        }
        x -= x0;
        y -= y0;
        s.largest_x = std::max(s.largest_x, std::fabs(x));
        s.largest_y = std::max(s.largest_y, std::fabs(y));
        if (scale_x != 0) x = std::ldexp(x, scale_x);
        if (scale_y != 0) y = std::ldexp(y, scale_y);
        s.n += 1;
        s.sx += x;
        s.sy += y;
        s.sxx += x * x;
        s.syy += y * y;
        s.sxy += x * y;
    }
    return s;
}

// The coefficient of the current pair table. The sums are taken of the
// distances from the first pair, which leaves the coefficient as it is but
// keeps the sums of squares from cancelling: a constant column has a spread
// of exactly 0, and so no coefficient. The coefficient does not change when
// x or y is scaled, so tiny distances are summed again scaled up.
double coefficient(const double* x_logs, const double* y_logs) {
    PairSums s = pair_sums(x_logs, y_logs, 0, 0);
    const int scale_x = distance_scale(s.largest_x);
    const int scale_y = distance_scale(s.largest_y);
    if (scale_x != 0 || scale_y != 0) s = pair_sums(x_logs, y_logs, scale_x, scale_y);
    const double cross = s.sxy - s.sx * s.sy / s.n;
    const double x_spread = s.sxx - s.sx * s.sx / s.n;
    const double y_spread = s.syy - s.sy * s.sy / s.n;
    return cross / std::sqrt(x_spread * y_spread);
}

}  // namespace

double pearson_r() { return coefficient(nullptr, nullptr); }

void set_pearson_labels() { set_report_labels(report_table(PEARSON_REPORT)); }

void write_pearson_report() { write_correlation_report("Pearson\n", report_table(PEARSON_REPORT)); }

int run_pearson_analysis(platform::WindowHandle owner) {
    const int checked = check_two_column_input(owner);
    if (checked != ANALYSIS_OK) return checked;
    const int columns = used_columns();
    if (log_transform != 0 || log_y != 0) take_cell_logs(columns);
    for (int a = 0; a < columns; ++a) {
        set_matrix_diagonal(a);
        for (int b = a + 1; b < columns; ++b) {
            const bool available = build_pair_values(a, b);
            // Of the ordered and summarised pair table only the pair count
            // is read here; ordering and summarising every pair table (1225
            // of them for 50 columns) would be nearly all of the work.
            summarize_pair_counts();
            const double r = available ? coefficient(log_transform != 0 ? cell_logs[a] : nullptr,
                                                     log_y != 0 ? cell_logs[b] : nullptr)
                                       : std::nan("");
            const int pairs = group_summaries[0].n_total;
            set_matrix_pair(a, b, r, pairs);
            if (a == 0) set_correlation_cells(report_table(PEARSON_REPORT), b, r, pairs);
        }
    }
    write_pearson_report();
    return publish_results(owner) == PUBLISH_OK ? ANALYSIS_OK : ANALYSIS_PUBLISH_FAILED;
}
