// Text worksheets as WK1 record streams, and their decoding.
#include "worksheet/text_reader.h"

#include <cstdint>
#include <cstring>

#include "worksheet/wk1_reader.h"

namespace {

struct UsedRange {
    bool any;
    std::size_t lowest_row, lowest_column;
    std::size_t highest_row, highest_column;
};

void widen_range(const TextCell& cell, void* context) {
    UsedRange& range = *static_cast<UsedRange*>(context);
    if (!range.any) {
        range = UsedRange{true, cell.row, cell.column, cell.row, cell.column};
        return;
    }
    if (cell.row < range.lowest_row) range.lowest_row = cell.row;
    if (cell.column < range.lowest_column) range.lowest_column = cell.column;
    if (cell.row > range.highest_row) range.highest_row = cell.row;
    if (cell.column > range.highest_column) range.highest_column = cell.column;
}

struct RecordWriter {
    unsigned char* out;
    std::size_t pos;
    UsedRange range;

    void u8(unsigned value) { out[pos++] = static_cast<unsigned char>(value & 0xFF); }
    void u16(std::size_t value) {
        u8(static_cast<unsigned>(value & 0xFF));
        u8(static_cast<unsigned>((value >> 8) & 0xFF));
    }
    void f64(double value) {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (int i = 0; i < 8; ++i) u8(static_cast<unsigned>((bits >> (8 * i)) & 0xFF));
    }
    void header(unsigned type, std::size_t length) {
        u16(type);
        u16(length);
    }
    // Column and row are already relative to the origin and inside the caps.
    void number(std::size_t column, std::size_t row, double value) {
        header(14, WK1_NUMBER_RECORD_SIZE - 4);
        u8(0xFF);  // format: none
        u16(column);
        u16(row);
        f64(value);
    }
};

std::size_t span_within(std::size_t span, int cap) {
    const auto last = static_cast<std::size_t>(cap - 1);
    return span > last ? last : span;
}

void write_cell(const TextCell& cell, void* context) {
    RecordWriter& writer = *static_cast<RecordWriter*>(context);
    const std::size_t row = cell.row - writer.range.lowest_row;
    const std::size_t column = cell.column - writer.range.lowest_column;
    if (row < static_cast<std::size_t>(MAX_ROWS) && column < static_cast<std::size_t>(MAX_COLUMNS))
        writer.number(column, row, cell.value);
}

void note_value(const TextCell& cell, void* context) {
    if (!is_missing_value(cell.value)) *static_cast<bool*>(context) = true;
}

}  // namespace

bool text_has_values(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma) {
    bool found = false;
    scan_text_cells(text, size, format, decimal_comma, note_value, &found);
    return found;
}

std::size_t text_worksheet_to_wk1(const unsigned char* text, std::size_t size, TextFormat format,
                                  bool decimal_comma, unsigned char* out, std::size_t capacity) {
    if (out == nullptr || capacity < TEXT_WK1_CAPACITY) return 0;
    RecordWriter writer{out, 0, UsedRange{false, 0, 0, 0, 0}};
    scan_text_cells(text, size, format, decimal_comma, widen_range, &writer.range);

    writer.header(0, 2);  // BOF
    writer.u16(0x0406);
    if (writer.range.any) {
        const UsedRange& range = writer.range;
        writer.header(6, 8);  // RANGE: start column and row, end column and row
        writer.u16(0);
        writer.u16(0);
        writer.u16(span_within(range.highest_column - range.lowest_column, MAX_COLUMNS));
        writer.u16(span_within(range.highest_row - range.lowest_row, MAX_ROWS));
        // The decoder takes the origin from the lowest cell it sees. The cells
        // that made the lowest row or column may lie beyond the caps and be
        // left out, so a missing cell at the origin keeps it in place.
        writer.number(0, 0, CELL_MISSING);
        scan_text_cells(text, size, format, decimal_comma, write_cell, &writer);
    }
    writer.header(1, 0);  // EOF
    return writer.pos;
}

int decode_text_worksheet(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma) {
    static unsigned char stream[TEXT_WK1_CAPACITY];
    const std::size_t stream_size = text_worksheet_to_wk1(text, size, format, decimal_comma, stream, sizeof stream);
    return decode_wk1(stream, stream_size);
}
