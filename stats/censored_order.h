// What a cell may hold when values beyond a limit keep their limits, and the
// order that is known between two such cells.
//
// A measured cell is its value. A "<x" cell lies somewhere below x, a ">x"
// cell somewhere above x. A "<" cell whose limit was not kept counts as "<"
// the smallest measured value of its whole worksheet column, a ">" cell
// without a limit as ">" the largest, so that such cells order as the
// column ranks order them. (In a column without a measured value, "<" lies
// below every other cell and ">" above every other cell: "<" then has the
// limit -infinity and ">" +infinity.)
//
// One cell is known to be smaller than another when every value it may hold
// is smaller than every value the other may hold: "<5" is known to be
// smaller than 5 and than 7 and than ">5", but not than 3 or "<7".
//
// The statistics of values beyond a limit (censored_*.h) take arrays of
// these cells. The report reads them from the data table with
// column_bounds() once per column and read_censored_cell() per row.
#pragma once

#include <cstdint>

enum CellSide : int8_t {
    SIDE_BELOW = -1,    // "<": below `value`
    SIDE_MEASURED = 0,  // `value` itself
    SIDE_ABOVE = 1,     // ">": above `value`
};

struct CensoredCell {
    double value;    // the measured value or the limit
    CellSide side;
    bool written;    // for "<" and ">": the limit was written in the cell (not
                     // taken from the column's measured values)
};

inline CensoredCell measured_cell(double v) { return CensoredCell{v, SIDE_MEASURED, false}; }
inline CensoredCell below_cell(double limit) { return CensoredCell{limit, SIDE_BELOW, true}; }
inline CensoredCell above_cell(double limit) { return CensoredCell{limit, SIDE_ABOVE, true}; }

// True when every value `a` may hold is smaller than every value `b` may hold.
bool known_smaller(const CensoredCell& a, const CensoredCell& b);

// The measured values of a data-table column that stand in for the limits
// of "<" and ">" cells written without one.
struct ColumnBounds {
    double smallest_measured;  // +infinity without measured values
    double largest_measured;   // -infinity without measured values
    bool any_censored;         // the column holds a "<" or ">" cell
};

// Over rows 0..used_rows()-1 of data-table column `column` (values and the
// limit table as the reader left them).
ColumnBounds column_bounds(int column);

// Data cell (row, column) as a CensoredCell; false for a missing cell.
bool read_censored_cell(int row, int column, const ColumnBounds& bounds, CensoredCell& cell);

// The order keys behind known_smaller, for the methods that count known
// orders by sorting instead of comparing every pair: `a` is known to be
// smaller than `b` exactly when upper_key(a) < lower_key(b).
struct OrderKey {
    double value;
    int tag;  // breaks ties of value: open and closed bounds
};
inline bool operator<(const OrderKey& a, const OrderKey& b) {
    return a.value < b.value || (a.value == b.value && a.tag < b.tag);
}
OrderKey upper_key(const CensoredCell& cell);
OrderKey lower_key(const CensoredCell& cell);
