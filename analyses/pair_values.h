// The pair table of a correlation: x from one data column, y from another,
// row by row, with the markers replaced by the values that stand for them.
#pragma once

// Fills pair table entry 0 from data column a and entry 1 from column b. A
// row with a missing cell in either column is missing in both entries.
// Small and big cells become their column's small_value / big_value; in
// log-x mode (for a) and log-y mode (for b) the log-scale substitutes are
// used instead, and every value that is not positive becomes the column's
// small_value_log, so that a logarithm can be taken later. The values stay
// on the data scale.
//
// Returns false when a substitute the pair needed is not available (not a
// finite number, as when a column's log scale cannot be estimated, or a
// number beyond the missing bound, as an estimate for a big cell can be); a
// coefficient of such a pair table is not available either.
bool build_pair_values(int a, int b);

// The value a present cell `v` of data column `column` takes in the pair
// table, as build_pair_values puts it there: in log mode the log-scale
// substitutes and small_value_log for every value that is not positive.
double pair_value(double v, int column, bool log_mode);
