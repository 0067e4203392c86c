// The correlations' share of the group summaries: the pair count and the
// ranks of the pair table, without the orders, centiles and estimates that
// order_columns(1) and summarize_columns(true) also produce and that no
// correlation reads. A correlation summarises the pair table once for
// every pair of data columns (1225 times for 50 columns), so this is where
// its time goes.
#pragma once

#include <cstdint>

// What a correlation reads of the group summaries after order_columns(1)
// and summarize_columns(true), with the same values: every missing cell of
// both pair-table columns rewritten as exactly CELL_MISSING, and n_total of
// both group summaries. Nothing else of the pair table or the group
// summaries is written.
void summarize_pair_counts();

// summarize_pair_counts(), and besides the rank and tie_count of every row
// of both pair-table columns, as summarize_columns(true) gives them.
// `order_x` and `order_y` are row orders (MAX_ROWS entries each, the first
// row_count used) in which the two columns' values are nearly ascending:
// the start-up orders of the data columns the pair table was built from.
// They only set the pace, which is linear when the values fall into a few
// ascending runs; any order, or none (nullptr), gives the same ranks.
void summarize_pair_ranks(const int32_t* order_x, const int32_t* order_y);
