// The literal ranking over whole worksheets, and the plain partition loop.
#include "bench/reference.h"

#include "analyses/pair_values.h"
#include "analyses/spearman.h"
#include "stats/column_summary.h"
#include "stats/ordering.h"

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
            const double key = keys[i];
            keys[i] = keys[j];
            keys[j] = key;
            const int32_t row = index[i];
            index[i] = index[j];
            index[j] = row;
            ++i;
            --j;
        } while (i <= j);
        if (lo < j) plain_quicksort(keys, index, lo, j);
        lo = i;
    }
}
