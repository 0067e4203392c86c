// The plain references the fast paths are measured against and checked
// with, to the bit: the Pearson and Spearman coefficients of the pair table
// as it stands, the literal ranking, which compares every present cell of a
// column with every other, and the Hoare partition loop that scans key by
// key. No analysis runs them; the checks, the benchmarks and the tests do.
#pragma once

#include <cstdint>

#include "worksheet/data_table.h"

// The coefficient of the pair table as it stands, over the rows whose x and
// y are both real; x is taken as ln x in log-x mode, y as ln y in log-y mode.
// Not a number when it cannot be formed (too few pairs, a constant column).
double pearson_r();

// Rho of the ordered and summarised pair table, or CELL_MISSING when the
// ranks of x or of y do not vary. The tie totals (the sum of t - 1 over the
// complete pairs, t the size of the value's tie group) go to ties_x and
// ties_y.
double spearman_rho(int& ties_x, int& ties_y);

// Ranks and tie counts of column c of `rows` (the data table or the pair
// table) by counting, for each present cell, the present cells below and
// above it. Returns the number of present cells.
template <typename Row>
int literal_rank(Row* rows, int c, int n_rows) {
    int n = 0;
    for (int r = 0; r < n_rows; ++r)
        if (!is_missing_value(rows[r].value[c])) ++n;
    for (int r = 0; r < n_rows; ++r) {
        const double x = rows[r].value[c];
        if (is_missing_value(x)) {
            rows[r].rank[c] = 0;
            rows[r].tie_count[c] = 0;
            continue;
        }
        int less = 0, greater = 0;
        for (int k = 0; k < n_rows; ++k) {
            const double y = rows[k].value[c];
            if (is_missing_value(y)) continue;
            less += y < x;
            greater += y > x;
        }
        rows[r].tie_count[c] = n - less - greater;
        rows[r].rank[c] = static_cast<double>(n + less - greater + 1) / 2.0;
    }
    return n;
}

// Every column of the data table ranked literally.
void literal_rank_all_columns();

// Every Spearman coefficient of the worksheet with the pair table ranked
// literally instead of through ordering and summaries; returns their sum.
double literal_spearman_all_pairs();

// The same through order_pair_columns() and summarize_columns(true) per pair.
double summarized_spearman_all_pairs();

// keys[lo..hi] sorted with the Hoare partition loop scanning key by key,
// `index` moved along: the loop quicksort_keys must agree with exactly.
void plain_quicksort(double* keys, int32_t* index, int lo, int hi);
