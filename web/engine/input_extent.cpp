// The size of a WK1 worksheet as it stands in its records, and the places
// where a cut input can end.
#include "web/engine/input_extent.h"

#include <algorithm>

#include "worksheet/wk1_format.h"

namespace {

long span(unsigned lowest, unsigned highest) {
    const long n = static_cast<long>(highest) - static_cast<long>(lowest) + 1;
    return n > 0 ? n : 0;
}

}  // namespace

WorksheetExtent wk1_extent(const unsigned char* block, std::size_t size) {
    unsigned lowest_column = 0xFFFF, lowest_row = 0xFFFF;
    bool any_cell = false, any_range = false;
    unsigned end_column = 0, end_row = 0;
    for_each_wk1_record(block, size, [&](unsigned type, std::size_t length, const unsigned char* body) {
        if (type == WK1_RANGE && length >= WK1_RANGE_BODY_SIZE) {
            any_range = true;
            end_column = wk1_u16(body + WK1_RANGE_END_COLUMN);
            end_row = wk1_u16(body + WK1_RANGE_END_ROW);
        } else if (is_wk1_cell_record(type, length)) {
            any_cell = true;
            lowest_column = std::min(lowest_column, wk1_u16(body + WK1_CELL_COLUMN));
            lowest_row = std::min(lowest_row, wk1_u16(body + WK1_CELL_ROW));
        }
    });
    if (!any_cell || !any_range) return WorksheetExtent{0, 0};
    return WorksheetExtent{span(lowest_row, end_row), span(lowest_column, end_column)};
}

std::size_t whole_wk1_records(const unsigned char* block, std::size_t size) {
    return for_each_wk1_record(block, size, [](unsigned, std::size_t, const unsigned char*) {});
}
