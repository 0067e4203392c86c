// Column ordering: sorts each column's keys with a Hoare-partition quicksort
// and records the ascending order of its rows (`order`) and each row's place
// in it (`sort_pos`).
#include "stats/ordering.h"

#include "stats/column_summary.h"

double sort_keys[MAX_ROWS];
int32_t sort_index[MAX_ROWS];

namespace {

// Small cells first, then real values, then big cells, then missing cells:
// a missing value v <= -999999999.999 sorts as -v, above everything present.
// A NaN is missing too, and sorts as a missing cell would.
double sort_key(double v) {
    if (v != v) return MISSING_BOUND;
    return v > -MISSING_BOUND ? v : -v;
}

// Rows of the table being ordered, never more than the table holds.
int rows_to_order() {
    if (row_count <= 0) return 0;
    return row_count < MAX_ROWS ? row_count : MAX_ROWS;
}

}  // namespace

void quicksort_keys(int lo, int hi) {
    while (lo < hi) {
        int i = lo;
        int j = hi;
        const double pivot = sort_keys[lo + (hi - lo) / 2];
        do {
            while (i < hi && sort_keys[i] < pivot) ++i;
            while (j > lo && sort_keys[j] > pivot) --j;
            if (i > j) break;
            // Equal keys, and i == j, are exchanged too: the order among
            // equal values is the one this exchange produces.
            const double key = sort_keys[i];
            sort_keys[i] = sort_keys[j];
            sort_keys[j] = key;
            const int32_t index = sort_index[i];
            sort_index[i] = sort_index[j];
            sort_index[j] = index;
            ++i;
            --j;
        } while (i <= j);
        if (lo < j) quicksort_keys(lo, j);
        // The right part by iteration, so the recursion only ever goes left.
        lo = i;
    }
}

void order_column(int c, int mode) {
    const int n = rows_to_order();
    if (mode == 0) {
        if (c < 0 || c >= MAX_COLUMNS) return;
        for (int i = 0; i < n; ++i) {
            sort_index[i] = i;
            sort_keys[i] = sort_key(data_rows[i].value[c]);
        }
    } else {
        if (c < 0 || c >= 2) return;
        for (int i = 0; i < n; ++i) {
            sort_index[i] = i;
            sort_keys[i] = sort_key(pair_rows[i].value[c]);
        }
    }
    quicksort_keys(0, n - 1);

    int32_t* order = mode == 0 ? column_summaries[c].order : group_summaries[c].order;
    for (int k = 0; k < n; ++k) order[k] = sort_index[k];
    for (int k = 0; k < n; ++k) {
        if (mode == 0)
            data_rows[order[k]].sort_pos[c] = k;
        else
            pair_rows[order[k]].sort_pos[c] = k;
    }
}

void order_columns(int mode) {
    if (mode == 0) {
        const int columns = column_count < MAX_COLUMNS ? column_count : MAX_COLUMNS;
        for (int c = 0; c < columns; ++c) order_column(c, 0);
    } else {
        order_column(0, 1);
        order_column(1, 1);
    }
}
