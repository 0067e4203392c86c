// What a cell holds, and the one test for each kind of value. A cell of the
// data table is a real (measured) value or one of three markers, ordinary
// doubles far outside any measured value that are compared by exact value.
// The same tests serve the values the analyses compute, so that "missing",
// "real" and "available" mean one thing everywhere.
#pragma once

#include <cmath>

// Cell markers. A value at or beyond +-999999999.999 counts as missing
// everywhere.
constexpr double CELL_MISSING = -999999999.999;
constexpr double CELL_SMALL = -999999998.999;  // "<..." label: below a limit
constexpr double CELL_BIG = +999999998.999;    // ">..." label: above a limit
constexpr double MISSING_BOUND = 999999999.999;

// The marker of a label cell by its first byte: "<" below a limit, ">"
// above one; any other label is a missing cell.
inline double marker_for_sign(unsigned char first) {
    return first == '<' ? CELL_SMALL : first == '>' ? CELL_BIG : CELL_MISSING;
}

static_assert(CELL_MISSING < CELL_SMALL && CELL_BIG < MISSING_BOUND,
              "markers must order missing < small < real < big < missing bound");

// A missing cell: at or beyond the missing bound, or not a number (a NaN
// fails every ordered comparison, so it is caught here).
inline bool is_missing_value(double v) { return !(v > -MISSING_BOUND && v < MISSING_BOUND); }

// A cell beyond a measuring limit: CELL_SMALL or CELL_BIG.
inline bool is_marker(double v) { return v == CELL_SMALL || v == CELL_BIG; }

// A real value: strictly between the small and the big marker, so that it
// can be neither missing nor taken for a marker. A difference or ratio
// computed from two cells stands for a pair only while it is real.
inline bool is_real_value(double v) { return v > CELL_SMALL && v < CELL_BIG; }

// A real value that has a logarithm.
inline bool is_log_usable(double v) { return v > 0 && v < CELL_BIG; }

// A computed statistic that can be used and printed: a finite number above
// CELL_MISSING (a statistic that is not available is stored as CELL_MISSING
// or left non-finite).
inline bool is_available(double v) { return v > CELL_MISSING && std::isfinite(v); }
