#include "worksheet/title_row.h"

#include <cstring>

#include "worksheet/cell_rules.h"
#include "worksheet/wk1_format.h"

std::vector<unsigned char> first_row_as_titles(const unsigned char* block, std::size_t size) {
    unsigned first_row = 0xFFFF;
    for_each_wk1_record(block, size, [&](unsigned type, std::size_t length, const unsigned char* body) {
        if (is_wk1_cell_record(type, length)) {
            const unsigned row = wk1_u16(body + WK1_CELL_ROW);
            if (row < first_row) first_row = row;
        }
    });
    // A cell record grows at most from an INTEGER record's 11 bytes to a
    // NUMBER record's 17.
    std::vector<unsigned char> out;
    out.reserve(size + size / 2 + WK1_HEADER_SIZE);
    for_each_wk1_record(block, size, [&](unsigned type, std::size_t length, const unsigned char* body) {
        const unsigned char* record = body - WK1_HEADER_SIZE;
        if (!is_wk1_cell_record(type, length) || wk1_u16(body + WK1_CELL_ROW) != first_row) {
            out.insert(out.end(), record, record + WK1_HEADER_SIZE + length);
            return;
        }
        unsigned char number[WK1_NUMBER_RECORD_SIZE];
        put_wk1_u16(number, WK1_NUMBER);
        put_wk1_u16(number + 2, static_cast<unsigned>(WK1_NUMBER_BODY_SIZE));
        std::memcpy(number + WK1_HEADER_SIZE, body, WK1_CELL_HEAD_SIZE);
        put_wk1_f64(number + WK1_HEADER_SIZE + WK1_CELL_VALUE, CELL_MISSING);
        out.insert(out.end(), number, number + sizeof number);
    });
    return out;
}
