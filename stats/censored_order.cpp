// The interval each cell may lie in, and the known order between cells.
#include "stats/censored_order.h"

#include <limits>

#include "worksheet/data_table.h"
#include "worksheet/limit_table.h"

namespace {

constexpr double INF = std::numeric_limits<double>::infinity();

// Tags: an upper bound that is open (a "<x" cell lies strictly below x)
// sorts before a closed one at the same value, and a lower bound that is
// open (">x") after a closed one, so that "<x" is known smaller than x and
// ">x", and x than ">x", but x not than x. The tags of the unbounded sides
// (a "<" cell's lower bound, a ">" cell's upper bound) put them beyond every
// other key.
constexpr int OPEN_UPPER = 0;
constexpr int CLOSED = 1;
constexpr int OPEN_LOWER = 2;
constexpr int UNBOUNDED_BELOW = -1;
constexpr int UNBOUNDED_ABOVE = 3;

}  // namespace

OrderKey upper_key(const CensoredCell& cell) {
    switch (cell.side) {
    case SIDE_BELOW: return OrderKey{cell.value, OPEN_UPPER};
    case SIDE_ABOVE: return OrderKey{INF, UNBOUNDED_ABOVE};
    default: return OrderKey{cell.value, CLOSED};
    }
}

OrderKey lower_key(const CensoredCell& cell) {
    switch (cell.side) {
    case SIDE_BELOW: return OrderKey{-INF, UNBOUNDED_BELOW};
    case SIDE_ABOVE: return OrderKey{cell.value, OPEN_LOWER};
    default: return OrderKey{cell.value, CLOSED};
    }
}

bool known_smaller(const CensoredCell& a, const CensoredCell& b) { return upper_key(a) < lower_key(b); }

ColumnBounds column_bounds(int column) {
    ColumnBounds bounds{INF, -INF, false};
    if (column < 0 || column >= used_columns()) return bounds;
    for (int r = 0; r < used_rows(); ++r) {
        const double v = data_rows[r].value[column];
        if (is_marker(v)) {
            bounds.any_censored = true;
        } else if (is_real_value(v)) {
            if (v < bounds.smallest_measured) bounds.smallest_measured = v;
            if (v > bounds.largest_measured) bounds.largest_measured = v;
        }
    }
    return bounds;
}

bool read_censored_cell(int row, int column, const ColumnBounds& bounds, CensoredCell& cell) {
    if (row < 0 || row >= used_rows() || column < 0 || column >= used_columns()) return false;
    const double v = data_rows[row].value[column];
    if (is_missing_value(v)) return false;
    if (!is_marker(v)) {
        cell = measured_cell(v);
        return true;
    }
    const double limit = cell_limit[row][column];
    const bool below = v == CELL_SMALL;
    if (is_kept_limit(limit)) {
        cell = below ? below_cell(limit) : above_cell(limit);
        return true;
    }
    // Without a measured value the "<" cell lies below everything, the ">"
    // cell above everything.
    const double stand_in = below ? (bounds.largest_measured >= bounds.smallest_measured ? bounds.smallest_measured : -INF)
                                  : (bounds.largest_measured >= bounds.smallest_measured ? bounds.largest_measured : INF);
    cell = CensoredCell{stand_in, below ? SIDE_BELOW : SIDE_ABOVE, false};
    return true;
}
