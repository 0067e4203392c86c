#include "worksheet/title_row.h"

#include <cstdint>
#include <cstring>

#include "worksheet/cell_rules.h"
#include "worksheet/wk1_format.h"

std::vector<unsigned char> first_row_as_titles(const unsigned char* block, std::size_t size) {
    unsigned first_row = 0xFFFF;
    for_each_wk1_record(block, size, [&](unsigned type, std::size_t length, const unsigned char* body) {
        if (type != WK1_EOF && is_wk1_cell_record(type, length)) {
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
        number[0] = WK1_NUMBER;
        number[1] = 0;
        number[2] = static_cast<unsigned char>(WK1_NUMBER_BODY_SIZE);
        number[3] = 0;
        std::memcpy(number + WK1_HEADER_SIZE, body, WK1_CELL_HEAD_SIZE);
        // WK1 stores the double little-endian.
        const double missing = CELL_MISSING;
        std::uint64_t bits = 0;
        std::memcpy(&bits, &missing, sizeof bits);
        for (std::size_t i = 0; i < 8; ++i)
            number[WK1_HEADER_SIZE + WK1_CELL_VALUE + i] = static_cast<unsigned char>(bits >> (8 * i));
        out.insert(out.end(), number, number + sizeof number);
    });
    return out;
}
