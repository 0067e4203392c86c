// The size of a WK1 worksheet as it stands in its records, and the places
// where a cut input can end.
#include "web/engine/input_extent.h"

#include "worksheet/wk1_format.h"

namespace {

unsigned u16_at(const unsigned char* p) { return static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8); }

long span(unsigned lowest, unsigned highest) {
    const long n = static_cast<long>(highest) - static_cast<long>(lowest) + 1;
    return n > 0 ? n : 0;
}

}  // namespace

WorksheetExtent wk1_extent(const unsigned char* block, std::size_t size) {
    unsigned lowest_column = 0xFFFF, lowest_row = 0xFFFF;
    bool any_cell = false, any_range = false;
    unsigned end_column = 0, end_row = 0;
    std::size_t pos = 0;
    while (block != nullptr && size - pos >= WK1_HEADER_SIZE) {
        const unsigned type = u16_at(block + pos);
        if (type == WK1_EOF) break;
        const std::size_t length = u16_at(block + pos + 2);
        const unsigned char* body = block + pos + WK1_HEADER_SIZE;
        if (length > size - pos - WK1_HEADER_SIZE) break;
        if (type == WK1_RANGE && length >= WK1_RANGE_BODY_SIZE) {
            any_range = true;
            end_column = u16_at(body + WK1_RANGE_END_COLUMN);
            end_row = u16_at(body + WK1_RANGE_END_ROW);
        } else if (type >= WK1_INTEGER && type <= WK1_FORMULA && length >= WK1_CELL_HEAD_SIZE) {
            any_cell = true;
            const unsigned column = u16_at(body + WK1_CELL_COLUMN), row = u16_at(body + WK1_CELL_ROW);
            if (column < lowest_column) lowest_column = column;
            if (row < lowest_row) lowest_row = row;
        }
        pos += WK1_HEADER_SIZE + length;
    }
    if (!any_cell || !any_range) return WorksheetExtent{0, 0};
    return WorksheetExtent{span(lowest_row, end_row), span(lowest_column, end_column)};
}

std::size_t whole_wk1_records(const unsigned char* block, std::size_t size) {
    std::size_t pos = 0;
    while (block != nullptr && size - pos >= WK1_HEADER_SIZE) {
        const unsigned type = u16_at(block + pos);
        const std::size_t length = u16_at(block + pos + 2);
        if (type == WK1_EOF) return pos + WK1_HEADER_SIZE;
        if (length > size - pos - WK1_HEADER_SIZE) break;
        pos += WK1_HEADER_SIZE + length;
    }
    return pos;
}
