// What the paired and the non-paired comparison share: the input check on
// the size of the worksheet, the test for a usable statistic, and the cell
// writers of p-values and counts.
#pragma once

#include "platform/platform.h"

// A statistic that can be used and printed: a finite number above
// CELL_MISSING.
bool is_known(double v);

// `v`, or exp(v) when `back_transform`; CELL_MISSING when v is not known.
double shown_value(double v, bool back_transform);

// A p from p_from_t or p_from_z: "%.4lf" for p >= 0; a negative -q (p
// greater than q) as ">%.4lf" of q; CELL_MISSING or a non-number as "#n/a".
void set_p_cell(int row, int column, double p);

// A count right-aligned in `width` characters ("%*d"; width 0: "%d").
void set_count_cell(int row, int column, int count, int width);
