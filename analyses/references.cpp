// The plain references: the coefficients of the pair table row by row, the
// literal ranking over whole worksheets, and the plain partition loop.
#include "analyses/references.h"

#include <cmath>
#include <utility>

#include "analyses/pair_values.h"
#include "analyses/pearson_sums.h"
#include "analyses/spearman.h"
#include "stats/column_summary.h"
#include "stats/ordering.h"

namespace {

// The sums of the pair table as it stands: the pairs are the rows where
// both values are real.
PairSums table_sums(int scale_x, int scale_y) {
    const int rows = used_rows();
    bool first = true;
    double x0 = 0, y0 = 0;
    PairSums s{0, 0, 0, 0, 0, 0, 0, 0};
    for (int r = 0; r < rows; ++r) {
        double x = pair_rows[r].value[0];
        double y = pair_rows[r].value[1];
        if (!is_real_value(x) || !is_real_value(y)) continue;
        if (log_transform != 0) x = std::log(x);
        if (log_y != 0) y = std::log(y);
        if (first) {
            x0 = x;
            y0 = y;
            first = false;
        }
        add_pair(s, x - x0, y - y0, scale_x, scale_y);
    }
    return s;
}

}  // namespace

double pearson_r() {
    return coefficient([](int scale_x, int scale_y) { return table_sums(scale_x, scale_y); });
}

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
    return rho_of(group_summaries[0].n_total, qx, qy, d);
}

void literal_rank_all_columns() {
    for (int c = 0; c < column_count; ++c) literal_rank(data_rows, c, row_count);
}

double literal_spearman_all_pairs() {
    double sum = 0;
    for (int a = 0; a < column_count; ++a) {
        for (int b = a + 1; b < column_count; ++b) {
            build_pair_values(a, b);
            group_summaries[0].n_total = literal_rank(pair_rows, 0, row_count);
            group_summaries[1].n_total = literal_rank(pair_rows, 1, row_count);
            int ties_x = 0, ties_y = 0;
            sum += spearman_rho(ties_x, ties_y);
        }
    }
    return sum;
}

double summarized_spearman_all_pairs() {
    double sum = 0;
    for (int a = 0; a < column_count; ++a) {
        for (int b = a + 1; b < column_count; ++b) {
            build_pair_values(a, b);
            order_pair_columns();
            summarize_columns(true);
            int ties_x = 0, ties_y = 0;
            sum += spearman_rho(ties_x, ties_y);
        }
    }
    return sum;
}

void plain_quicksort(double* keys, int32_t* index, int lo, int hi) {
    while (lo < hi) {
        int i = lo, j = hi;
        const double pivot = keys[lo + (hi - lo) / 2];
        do {
            while (i < hi && keys[i] < pivot) ++i;
            while (j > lo && keys[j] > pivot) --j;
            if (i > j) break;
            std::swap(keys[i], keys[j]);
            std::swap(index[i], index[j]);
            ++i;
            --j;
        } while (i <= j);
        if (lo < j) plain_quicksort(keys, index, lo, j);
        lo = i;
    }
}
