// Column ordering: each column's cells in ascending order, missing cells
// last, recorded as the list of row indices (`order` of the column's summary)
// and as each row's position in that list (`sort_pos`).
//
// The sort is a Hoare-partition quicksort with the middle key as pivot that
// exchanges equal keys too; the order among equal values is the one it
// produces (three equal values give order 2, 1, 0), and `order` and
// `sort_pos` depend on it.
#pragma once

#include <cstdint>

#include "worksheet/data_table.h"

// The keys of the range being sorted and the row index carried with each:
// filled by the caller, sorted in place by quicksort_keys (the column
// ordering fills them from the column it orders).
struct SortArrays {
    double keys[MAX_ROWS];
    int32_t index[MAX_ROWS];
};
extern SortArrays sort_arrays;

// Orders columns 0..column_count-1 of the data table into the column
// summaries.
void order_data_columns();
// Orders both columns of the pair table into the group summaries.
void order_pair_columns();
void order_data_column(int c);
// Orders pair-table column g into group summary g. `data_order`, for a
// column whose present cells all come from one data column, is that
// column's order (all rows, the present cells' keys ascending): it spares
// the sorting of a copy of the keys that the quicksort takes its shortcuts
// from. The same order results; anything else for `data_order` (or null)
// only takes longer.
void order_pair_column(int g, const int32_t* data_order = nullptr);
// Sorts sort_arrays.keys[lo..hi] ascending, moving the index along, exactly
// as the quicksort does (also where keys are equal or not numbers). An empty
// range (hi < lo) reads nothing.
void quicksort_keys(int lo, int hi);
