// Pearson correlation of every pair of data columns, with Fisher's z
// interval and p for the pairs of the first column with each other column.
#include "analyses/pearson.h"

#include <cmath>

#include "analyses/correlation_report.h"
#include "analyses/pair_columns.h"
#include "analyses/pearson_sums.h"
#include "stats/column_summary.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace {

// The same sums from two column copies, x' and y' already taken: the pairs
// are the rows where both are real, visited in row order. (The loop without
// scaling is its own.)
template <bool SCALED>
PairSums column_sums(const PairColumn& x, const PairColumn& y, int scale_x, int scale_y) {
    PairSums s{0, 0, 0, 0, 0, 0, 0, 0};
    bool first = true;
    double x0 = 0, y0 = 0;
    for (int w = 0; w < ROW_MASK_WORDS; ++w) {
        uint64_t rows = x.real.word[w] & y.real.word[w];
        if (rows != 0 && first) {
            const int r = w * 64 + lowest_row(rows);
            x0 = x.value[r];
            y0 = y.value[r];
            first = false;
        }
        while (rows != 0) {
            const int r = w * 64 + lowest_row(rows);
            rows &= rows - 1;
            add_pair(s, x.value[r] - x0, y.value[r] - y0, SCALED ? scale_x : 0, SCALED ? scale_y : 0);
        }
    }
    return s;
}

PairSums column_sums(const PairColumn& x, const PairColumn& y, int scale_x, int scale_y) {
    if (scale_x == 0 && scale_y == 0) return column_sums<false>(x, y, 0, 0);
    return column_sums<true>(x, y, scale_x, scale_y);
}

// Every column as y (under log_y), and the column in hand as x when the
// log modes differ; in a log mode the values are the logarithms of the
// pair values, taken once per cell.
PairColumn y_columns[MAX_COLUMNS];
PairColumn x_column;

void fill_coefficient_column(int c, bool log_mode, PairColumn& out) {
    fill_pair_column(c, log_mode, out);
    if (!log_mode) return;
    for (int w = 0; w < ROW_MASK_WORDS; ++w) {
        for (uint64_t rows = out.real.word[w]; rows != 0; rows &= rows - 1) {
            const int r = w * 64 + lowest_row(rows);
            out.value[r] = std::log(out.value[r]);
        }
    }
}

}  // namespace

void write_pearson_report() { write_correlation_report("Pearson\n", report_table(PEARSON_REPORT)); }

int run_pearson_analysis(platform::WindowHandle owner) {
    return run_correlation(
        owner, y_columns, x_column, fill_coefficient_column,
        [](int a, int b, const PairColumn& x, const PairColumn& y, bool available) {
            const auto sums = [&](int scale_x, int scale_y) { return column_sums(x, y, scale_x, scale_y); };
            const double r = available ? coefficient(sums) : std::nan("");
            const int pairs = pair_count(x.present, cell_present[b]);
            set_matrix_pair(a, b, r, pairs);
            if (a == 0) set_correlation_cells(report_table(PEARSON_REPORT), b, r, pairs);
        },
        write_pearson_report);
}
