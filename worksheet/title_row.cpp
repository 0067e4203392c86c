#include "worksheet/title_row.h"

#include <cstdint>
#include <cstring>

#include "worksheet/cell_rules.h"

namespace {

constexpr unsigned RECORD_EOF = 1;
constexpr unsigned RECORD_INTEGER = 13;
constexpr unsigned RECORD_NUMBER = 14;
constexpr unsigned RECORD_FORMULA = 16;
constexpr std::size_t HEADER_SIZE = 4;
constexpr std::size_t CELL_HEAD_SIZE = 5;  // format, column, row
constexpr std::size_t NUMBER_BODY_SIZE = CELL_HEAD_SIZE + 8;

unsigned u16_at(const unsigned char* p) { return static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8); }

bool is_cell_record(unsigned type, std::size_t length) {
    return type >= RECORD_INTEGER && type <= RECORD_FORMULA && length >= CELL_HEAD_SIZE;
}

// Calls `visit(type, length, record)` for each whole record before EOF.
template <typename Visit>
void each_record(const unsigned char* block, std::size_t size, Visit visit) {
    std::size_t pos = 0;
    while (block != nullptr && size - pos >= HEADER_SIZE) {
        const unsigned type = u16_at(block + pos);
        const std::size_t length = u16_at(block + pos + 2);
        if (length > size - pos - HEADER_SIZE) return;
        visit(type, length, block + pos);
        if (type == RECORD_EOF) return;
        pos += HEADER_SIZE + length;
    }
}

}  // namespace

std::vector<unsigned char> first_row_as_titles(const unsigned char* block, std::size_t size) {
    unsigned first_row = 0xFFFF;
    each_record(block, size, [&](unsigned type, std::size_t length, const unsigned char* record) {
        if (is_cell_record(type, length)) {
            const unsigned row = u16_at(record + HEADER_SIZE + 3);
            if (row < first_row) first_row = row;
        }
    });
    // A cell record grows at most from an INTEGER record's 11 bytes to a
    // NUMBER record's 17.
    std::vector<unsigned char> out;
    out.reserve(size + size / 2 + HEADER_SIZE);
    each_record(block, size, [&](unsigned type, std::size_t length, const unsigned char* record) {
        if (!is_cell_record(type, length) || u16_at(record + HEADER_SIZE + 3) != first_row) {
            out.insert(out.end(), record, record + HEADER_SIZE + length);
            return;
        }
        unsigned char number[HEADER_SIZE + NUMBER_BODY_SIZE];
        number[0] = RECORD_NUMBER;
        number[1] = 0;
        number[2] = static_cast<unsigned char>(NUMBER_BODY_SIZE);
        number[3] = 0;
        std::memcpy(number + HEADER_SIZE, record + HEADER_SIZE, CELL_HEAD_SIZE);
        // WK1 stores the double little-endian.
        const double missing = CELL_MISSING;
        std::uint64_t bits = 0;
        std::memcpy(&bits, &missing, sizeof bits);
        for (std::size_t i = 0; i < 8; ++i)
            number[HEADER_SIZE + CELL_HEAD_SIZE + i] = static_cast<unsigned char>(bits >> (8 * i));
        out.insert(out.end(), number, number + sizeof number);
    });
    return out;
}
