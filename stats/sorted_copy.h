// A sorted copy of a column's keys: the keys in ascending order with the
// input position each came from, found by a radix sort that takes no
// data-dependent branch, or read off a given order of the rows in which
// they form a few ascending runs, which are then merged. The quicksort takes whole sub-ranges from it
// (stats/ordering.cpp), and the rank correlations rank their column copies
// with it (analyses/pair_columns.cpp).
//
// Keys at or above MISSING_BOUND stand for missing cells and come last.
#pragma once

#include <cstdint>

#include "worksheet/data_table.h"

// The copy: valid from a sort that returned true until the next sort.
struct SortedCopy {
    int count;                          // keys in the copy
    uint64_t bits[MAX_ROWS];            // per place: the key as an unsigned integer in the same order
                                        // (-0 and +0 as one, so equal keys have equal bits)
    uint16_t from[MAX_ROWS];            // per place: the key's position in the input
};
extern SortedCopy sorted_copy;

// Sorts keys[0..n-1]; false (and nothing sorted) when a key is not a number.
bool sort_copy(const double* keys, int n);

// The same for keys[0..n-1], the key of row r at keys[r], read in `order`
// (all n rows once each), in which the keys below MISSING_BOUND form a few
// ascending runs. False (and nothing sorted) when `order` is not an order of
// the rows, a key is not a number, or the runs are too many to repay merging.
bool sort_copy_in_order(const double* keys, const int32_t* order, int n);
