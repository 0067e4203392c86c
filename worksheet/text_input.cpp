// Text worksheets as WK1 record streams.
#include "worksheet/text_input.h"

#include <cstring>

#include "worksheet/text_number.h"
#include "worksheet/text_scan.h"
#include "worksheet/wk1_reader.h"

namespace {

void put_utf8(std::vector<unsigned char>& out, unsigned long code) {
    if (code < 0x80) {
        out.push_back(static_cast<unsigned char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<unsigned char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<unsigned char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<unsigned char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<unsigned char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<unsigned char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<unsigned char>(0x80 | (code & 0x3F)));
    }
}

constexpr unsigned long REPLACEMENT = 0xFFFD;

bool is_high_surrogate(unsigned long u) { return u >= 0xD800 && u <= 0xDBFF; }
bool is_low_surrogate(unsigned long u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Writes the records. Header records go first, once the range is known, so
// the cells start after room for them.
struct BlockWriter {
    unsigned char* out;
    std::size_t pos;

    void u16(std::size_t value) {
        put_wk1_u16(out + pos, static_cast<unsigned>(value));
        pos += 2;
    }
    void header(unsigned type, std::size_t length) {
        u16(type);
        u16(length);
    }
    // Column and row are already relative to the origin and inside the caps.
    // The record is written through a pointer of its own: a store through
    // `out` could be to `pos` for all the compiler knows.
    void number(std::size_t column, std::size_t row, double value) {
        unsigned char* const record = out + pos;
        put_wk1_u16(record, WK1_NUMBER);
        put_wk1_u16(record + 2, WK1_NUMBER_BODY_SIZE);
        unsigned char* const body = record + WK1_HEADER_SIZE;
        body[WK1_CELL_FORMAT] = WK1_NO_FORMAT;
        put_wk1_u16(body + WK1_CELL_COLUMN, static_cast<unsigned>(column));
        put_wk1_u16(body + WK1_CELL_ROW, static_cast<unsigned>(row));
        put_wk1_f64(body + WK1_CELL_VALUE, value);
        pos += WK1_NUMBER_RECORD_SIZE;
    }
    // A "<" or ">" cell: the sign, and the limit when it has one.
    void limit_label(std::size_t column, std::size_t row, double marker, double limit) {
        const char sign = marker == CELL_SMALL ? '<' : '>';
        char text[LIMIT_LABEL_CAPACITY];
        std::size_t length = 1;
        text[0] = sign;
        if (is_kept_limit(limit)) length = write_limit_label(text, sign, limit);
        header(WK1_LABEL, WK1_CELL_HEAD_SIZE + 1 + length + 1);
        out[pos++] = WK1_NO_FORMAT;
        u16(column);
        u16(row);
        out[pos++] = '\'';
        std::memcpy(out + pos, text, length);
        pos += length;
        out[pos++] = 0;
    }
    void cell(std::size_t column, std::size_t row, double value, double limit, bool is_number) {
        if (!is_number && is_marker(value))
            limit_label(column, row, value, limit);
        else
            number(column, row, value);
    }
};

// Where the first cell record goes: after BOF, RANGE and the origin's record.
constexpr std::size_t FIRST_CELL_AT = WK1_BOF_RECORD_SIZE + WK1_RANGE_RECORD_SIZE + WK1_NUMBER_RECORD_SIZE;

struct StepState {
    const unsigned char* text;
    TextFormat format;
    bool decimal_comma;
    OtherPointScope scope;
    BlockWriter writer;
    bool values;
    std::size_t other_count;
    std::size_t example_begin, example_end;
};

// A cell that is no number with the decimal point in use but is one with
// the other; the first of them becomes the example, trimmed of spaces.
void check_other_point(StepState& state, std::size_t text_begin, std::size_t text_end) {
    const CellReading other =
        read_cell_text(state.text + text_begin, text_end - text_begin, state.decimal_comma ? '.' : ',');
    if (!other.is_number || state.other_count++ > 0) return;
    std::size_t first = text_begin, last = text_end;
    while (first < last && state.text[first] == ' ') ++first;
    while (last > first && state.text[last - 1] == ' ') --last;
    if (last - first > OTHER_POINT_EXAMPLE_BYTES) last = first + OTHER_POINT_EXAMPLE_BYTES;
    state.example_begin = first;
    state.example_end = last;
}

// A cell outside the window, read only for what the whole text must tell.
void take_outside_cell(StepState& state, TextCell cell) {
    const bool whole = state.scope == OtherPointScope::Whole;
    if (state.values && !whole) return;
    read_text_cell(state.text, state.format, state.decimal_comma, cell);
    if (!is_missing_value(cell.value)) state.values = true;
    if (whole && !cell.is_number) check_other_point(state, cell.text_begin, cell.text_end);
}

// The window scan's visitor: a cell of the window becomes its record; what
// the whole text must tell is gathered on the way.
inline void take_cell(StepState& state, const TextCell& visited) {
    if (!visited.read) {
        take_outside_cell(state, visited);
        return;
    }
    state.writer.cell(visited.window_column, visited.window_row, visited.value, visited.limit, visited.is_number);
    if (!state.values && !is_missing_value(visited.value)) state.values = true;
    if (!visited.is_number && state.scope != OtherPointScope::None)
        check_other_point(state, visited.text_begin, visited.text_end);
}

std::size_t span_within(std::size_t span, int cap) {
    const auto last = static_cast<std::size_t>(cap - 1);
    return span > last ? last : span;
}

// The bytes up to and including the last line break; all when there is none.
std::size_t whole_lines(const unsigned char* text, std::size_t size) {
    for (std::size_t n = size; n > 0; --n)
        if (text[n - 1] == '\n') return n;
    return size;
}

}  // namespace

bool has_utf16_mark(const unsigned char* bytes, std::size_t size) {
    return bytes != nullptr && size >= 2 &&
           ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF));
}

bool is_text_bytes(const unsigned char* bytes, std::size_t size) {
    return size == 0 || has_utf16_mark(bytes, size) || std::memchr(bytes, 0, size) == nullptr;
}

bool utf16_to_utf8(const unsigned char* bytes, std::size_t size, std::vector<unsigned char>& utf8) {
    if (!has_utf16_mark(bytes, size)) return false;
    const bool little = bytes[0] == 0xFF;
    auto unit = [&](std::size_t at) -> unsigned long {
        const unsigned long a = bytes[at], b = bytes[at + 1];
        return little ? (a | (b << 8)) : ((a << 8) | b);
    };
    utf8.clear();
    utf8.reserve(size);
    std::size_t at = 2;
    while (at + 1 < size) {
        const unsigned long u = unit(at);
        at += 2;
        if (is_high_surrogate(u) && at + 1 < size && is_low_surrogate(unit(at))) {
            put_utf8(utf8, 0x10000 + ((u - 0xD800) << 10) + (unit(at) - 0xDC00));
            at += 2;
        } else {
            put_utf8(utf8, is_high_surrogate(u) || is_low_surrogate(u) ? REPLACEMENT : u);
        }
    }
    if (at < size) put_utf8(utf8, REPLACEMENT);
    return true;
}

TextBlock text_worksheet_block(const unsigned char* bytes, std::size_t size, const TextRequest& request,
                               unsigned char* block, std::size_t capacity) {
    TextBlock result{};
    if (block == nullptr || capacity < TEXT_WK1_CAPACITY) return result;
    if (bytes == nullptr) size = 0;
    std::vector<unsigned char> utf8;  // only for UTF-16 text
    const unsigned char* text = bytes;
    if (utf16_to_utf8(bytes, size, utf8)) {
        text = utf8.data();
        size = utf8.size();
    } else {
        result.not_text = !is_text_bytes(bytes, size);
    }
    if (request.cut) size = whole_lines(text, size);

    const StepState initial{text, request.format, request.decimal_comma, request.other_point,
                            BlockWriter{block, FIRST_CELL_AT}, false, 0, 0, 0};
    StepState state = initial;
    const text_scan::Splitter splitter = text_scan::splitter_for(text, size, request.format, request.decimal_comma);
    const char decimal_point = text_scan::decimal_point_for(request.decimal_comma);
    const auto take = [&state](const TextCell& cell) { take_cell(state, cell); };
    const TextWindow first_window{false, 0, 0};
    TextExtent extent = text_scan::scan(splitter, decimal_point, &first_window, take);
    if (extent.window_moved) {
        // A later row starts further left: once more, from the final origin.
        state = initial;
        const TextWindow final_window{true, extent.lowest_row, extent.lowest_column};
        extent = text_scan::scan(splitter, decimal_point, &final_window, take);
    }

    BlockWriter head{block, 0};
    head.header(WK1_BOF, WK1_BOF_BODY_SIZE);
    head.u16(WK1_VERSION);
    BlockWriter& writer = state.writer;
    if (extent.any) {
        head.header(WK1_RANGE, WK1_RANGE_BODY_SIZE);  // start column and row, end column and row
        head.u16(0);
        head.u16(0);
        head.u16(span_within(extent.highest_column - extent.lowest_column, MAX_COLUMNS));
        head.u16(span_within(extent.highest_row - extent.lowest_row, MAX_ROWS));
        // The decoder takes the origin from the lowest cell it sees. The cells
        // that made the lowest row or column may lie beyond the caps and be
        // left out, so a missing cell at the origin keeps it in place.
        head.number(0, 0, CELL_MISSING);
        result.extent_rows = static_cast<long>(extent.highest_row - extent.lowest_row + 1);
        result.extent_columns = static_cast<long>(extent.highest_column - extent.lowest_column + 1);
    } else {
        writer.pos = head.pos;
    }
    writer.header(WK1_EOF, 0);
    result.block_size = writer.pos;
    result.values = state.values;
    result.other_point_count = state.other_count;
    const std::size_t example_size = state.example_end - state.example_begin;
    if (example_size > 0) std::memcpy(result.other_point_example, text + state.example_begin, example_size);
    result.other_point_example[example_size] = '\0';
    return result;
}

int decode_text_worksheet(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma) {
    static unsigned char stream[TEXT_WK1_CAPACITY];
    const TextBlock written = text_worksheet_block(text, size, TextRequest{format, decimal_comma, OtherPointScope::None, false},
                                                   stream, sizeof stream);
    return decode_wk1(stream, written.block_size);
}
