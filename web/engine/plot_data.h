// The numbers of the page's plots, taken from the tables the last analysis
// worked in and from the core's own pair-table builders, never computed
// anew: the plot shows what the result text says.
//
// Descriptive and Show Ranks: a normal probability plot of one column (each
// present cell's value against its normal score, "<" and ">" cells at the
// values that stand for them, the fitted line they are estimated from).
// Paired: each row's difference (ratio in ratio mode) of one column from the
// first, with the mean and its 95% interval. Nonpaired: one column's values
// in the two groups, with means and medians. Pearson and Spearman: the first
// column against another (their ranks for Spearman), with the coefficient.
#pragma once

#include "web/engine/json_writer.h"

// The plot of data column `column` for the analysis of the last Calculate,
// as one JSON object; {"kind":"none"} when that analysis has no plot of
// the column.
void write_plot_data(JsonWriter& json, int column);
