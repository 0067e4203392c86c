// Spearman's rank correlation of every pair of data columns. The ranks are
// the mid-ranks the column summaries give the pair table; with
// S = (N^3 - N - Q) / 12, Q the sum of t^3 - t over tie groups of size t,
//   rho = (Sx + Sy - D) / (2 sqrt(Sx Sy)),  D the sum of squared rank differences,
// which without ties is 1 - 6D / (N^3 - N).
#include "analyses/spearman.h"

#include <cmath>
#include <cstdint>

#include "analyses/analysis_status.h"
#include "analyses/input_checks.h"
#include "analyses/correlation_report.h"
#include "analyses/pair_values.h"
#include "stats/column_summary.h"
#include "stats/pair_ranks.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace {

// (N^3 - N - Q) / 12; the integer part is formed first. N^3 reaches about
// 1.07e9 at MAX_ROWS, so the sums are 64-bit.
double rank_spread(int64_t n, int64_t q) { return static_cast<double>(n * n * n - n - q) * (1.0 / 12.0); }

}  // namespace

double spearman_rho(int& ties_x, int& ties_y) {
    const int rows = used_rows();
    int64_t tx_total = 0, ty_total = 0, qx = 0, qy = 0;
    double d = 0;
    for (int r = 0; r < rows; ++r) {
        const PairRow& pair = pair_rows[r];
        if (pair.rank[0] == 0 || pair.rank[1] == 0) continue;
        const int64_t tx = pair.tie_count[0];
        const int64_t ty = pair.tie_count[1];
        tx_total += tx - 1;
        ty_total += ty - 1;
        qx += tx * tx - 1;
        qy += ty * ty - 1;
        const double diff = pair.rank[0] - pair.rank[1];
        d += diff * diff;
    }
    // At most MAX_ROWS * (MAX_ROWS - 1): an int holds it.
    ties_x = static_cast<int>(tx_total);
    ties_y = static_cast<int>(ty_total);
    const int64_t n = group_summaries[0].n_total;
    const double sx = rank_spread(n, qx);
    const double sy = rank_spread(n, qy);
    if (sx * sy == 0) return CELL_MISSING;
    return (sx + sy - d) / (2.0 * std::sqrt(sx * sy));
}

void set_spearman_labels() { set_report_labels(report_table(SPEARMAN_REPORT)); }

void write_spearman_report() { write_correlation_report("Spearman\n", report_table(SPEARMAN_REPORT)); }

int run_spearman_analysis(platform::WindowHandle owner) {
    const int checked = check_two_column_input(owner);
    if (checked != ANALYSIS_OK) return checked;
    const int columns = used_columns();
    for (int a = 0; a < columns; ++a) {
        set_matrix_diagonal(a);
        for (int b = a + 1; b < columns; ++b) {
            const bool available = build_pair_values(a, b);
            // Of the ordered and summarised pair table only the ranks, tie
            // counts and pair count are read here, and the start-up orders
            // of columns a and b lead to them in linear time.
            summarize_pair_ranks(column_summaries[a].order, column_summaries[b].order);
            int ties_x = 0;
            int ties_y = 0;
            double rho = spearman_rho(ties_x, ties_y);
            if (!available) rho = CELL_MISSING;
            const int pairs = group_summaries[0].n_total;
            set_matrix_pair(a, b, rho, pairs);
            if (a != 0) continue;
            const ReportTable table = report_table(SPEARMAN_REPORT);
            set_correlation_cells(table, b, rho, pairs);
            set_report_cell(table, correlation_rows::TIES_X_ROW, b, ties_x);
            set_report_cell(table, correlation_rows::TIES_Y_ROW, b, ties_y);
        }
    }
    write_spearman_report();
    return publish_results(owner) == PUBLISH_OK ? ANALYSIS_OK : ANALYSIS_PUBLISH_FAILED;
}
