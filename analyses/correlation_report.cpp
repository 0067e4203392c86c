// Shared parts of the correlation reports: the cells of a coefficient
// against the first column by Fisher's z, and the matrices.
#include "analyses/correlation_report.h"

#include <cassert>
#include <cmath>

#include "stats/column_summary.h"
#include "stats/distributions.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace {

using namespace correlation_rows;

// Half width of a 95% interval in units of the standard error.
constexpr double Z95 = 1.96;

bool valid_pair(int a, int b) { return a >= 0 && a < MAX_COLUMNS && b >= 0 && b < MAX_COLUMNS; }

// A coefficient is never beyond +-1, but rounding in the sums can carry a
// perfect correlation a few units of the last place past it (y = 1.5 x
// gives 1.0000000000000002). Within this margin it is +-1; further out it
// is noise of cancelled sums and not available.
constexpr double ROUNDING_BEYOND_ONE = 1e-9;

double settle_beyond_one(double r) {
    if (r > 1.0 && r <= 1.0 + ROUNDING_BEYOND_ONE) return 1.0;
    if (r < -1.0 && r >= -1.0 - ROUNDING_BEYOND_ONE) return -1.0;
    return r;
}

}  // namespace

double correlation_tanh(double u) {
    const double e = std::exp(2.0 * u);
    return (e - 1.0) / (e + 1.0);
}

void set_correlation_cells(ReportTable table, int column, double r, int pairs) {
    r = settle_beyond_one(r);
    set_report_cell(table, PAIR_COUNT_ROW, column, pairs);
    set_report_cell(table, COEFFICIENT_ROW, column, r);
    set_report_cell(table, CI_LOW_ROW, column, CELL_MISSING);
    set_report_cell(table, CI_HIGH_ROW, column, CELL_MISSING);
    set_report_cell(table, P_VALUE_ROW, column, CELL_MISSING);

    // A NaN fails both comparisons and so counts as out of range.
    if (pairs <= 3 || !(r >= -1.0 && r <= 1.0)) {
        set_report_cell(table, COEFFICIENT_ROW, column, CELL_MISSING);
        return;
    }
    if (r <= -PERFECT_CORRELATION || r >= PERFECT_CORRELATION) {
        const double limit = r < 0 ? -1.0 : 1.0;
        set_report_cell(table, COEFFICIENT_ROW, column, limit);
        set_report_cell(table, P_VALUE_ROW, column, 0.0);
        set_report_cell(table, CI_LOW_ROW, column, limit);
        return;
    }
    if (pairs <= MAX_PAIRS_WITHOUT_INTERVAL) return;

    const double root = std::sqrt(static_cast<double>(pairs - 3));
    const double z = 0.5 * std::log((1.0 + r) / (1.0 - r));
    const double h = Z95 / root;
    set_report_cell(table, CI_LOW_ROW, column, correlation_tanh(z - h));
    set_report_cell(table, CI_HIGH_ROW, column, correlation_tanh(z + h));
    set_report_cell(table, P_VALUE_ROW, column, p_from_z(std::fabs(z * root)));
}

void set_matrix_diagonal(int a) {
    assert(valid_pair(a, a));
    if (!valid_pair(a, a)) return;
    correlation_r[a][a] = 1.0;
    correlation_n[a][a] = column_summaries[a].n_total;
}

void set_matrix_pair(int a, int b, double r, int pairs) {
    assert(valid_pair(a, b));
    if (!valid_pair(a, b)) return;
    correlation_r[a][b] = r;
    correlation_r[b][a] = r;
    correlation_n[a][b] = pairs;
    correlation_n[b][a] = pairs;
}

void append_matrix_lines() {
    const int columns = used_columns();
    for (int a = 0; a < columns; ++a) {
        clear_line_text();
        append_matrix_row(a);
        append_newline();
        append_line_to_result();
    }
}

void write_correlation_report(const char* title, ReportTable table) {
    write_table_report(title, table);
    if (extra_output != 0) append_matrix_lines();
}
