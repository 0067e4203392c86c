// The "Wk1" clipboard reader and the WK1 record decoder.
#include "worksheet/wk1_reader.h"

#include <cstdio>
#include <cstring>

#include "worksheet/data_table.h"
#include "worksheet/limit_table.h"
#include "worksheet/message_caption.h"
#include "worksheet/result_text.h"
#include "worksheet/text_input.h"

namespace {

// A read position inside one record body. Every read checks the record's
// declared end, which itself lies inside the block, so no read can leave the
// block whatever its bytes say.
struct Cursor {
    const unsigned char* block;
    std::size_t pos;
    std::size_t end;

    bool has(std::size_t count) const { return end - pos >= count; }

    // Reads a field of `count` bytes as `decode` reads it, and passes it.
    template <typename T, typename Decode>
    bool read(std::size_t count, T& out, Decode decode) {
        if (!has(count)) return false;
        out = decode(block + pos);
        pos += count;
        return true;
    }

    bool read_u8(unsigned& out) {
        return read(1, out, [](const unsigned char* p) { return static_cast<unsigned>(p[0]); });
    }
    bool read_u16(unsigned& out) { return read(2, out, wk1_u16); }
    bool read_i16(int& out) {
        unsigned word = 0;
        if (!read_u16(word)) return false;
        out = word > 0x7FFF ? static_cast<int>(word) - 65536 : static_cast<int>(word);
        return true;
    }
    bool read_f64(double& out) { return read(8, out, wk1_f64); }
    bool skip(std::size_t count) {
        if (!has(count)) return false;
        pos += count;
        return true;
    }
};

struct DecoderState {
    int pass;
    unsigned lowest_column;  // compared as unsigned 16-bit values
    unsigned lowest_row;
};

void lower_origin(DecoderState& state, unsigned column, unsigned row) {
    if (column < state.lowest_column) state.lowest_column = column;
    if (row < state.lowest_row) state.lowest_row = row;
}

// Stores a cell's value; a cell stored again loses the limit it kept.
void store_cell(const DecoderState& state, unsigned column, unsigned row, double value, double limit = NO_LIMIT) {
    const int r = static_cast<int>(row) - static_cast<int>(state.lowest_row);
    const int c = static_cast<int>(column) - static_cast<int>(state.lowest_column);
    if (r < 0 || c < 0 || r >= row_count || c >= column_count) return;
    data_rows[r].value[c] = is_missing_value(value) ? CELL_MISSING : value;
    if (is_kept_limit(limit)) {
        cell_limit[r][c] = limit;
        ++limit_cells_kept;
    } else if (limit_cells_kept > 0) {
        cell_limit[r][c] = NO_LIMIT;
    }
}

// The limit of a "<" or ">" label: the text after the sign, up to its
// terminating zero or the record's end. A WK1 block does not say which
// decimal separator its spreadsheet writes, and no number of the cell rules
// has a thousands separator, so a limit that is no number with "." is read
// with ",": "<0,5" from a spreadsheet with a decimal comma keeps 0.5. (The
// text step writes every limit with ".".)
double label_limit(const Cursor& body) {
    std::size_t n = 0;
    while (n < body.end - body.pos && body.block[body.pos + n] != 0) ++n;
    const double with_point = read_limit_text(body.block + body.pos, n, '.');
    return is_kept_limit(with_point) ? with_point : read_limit_text(body.block + body.pos, n, ',');
}

// The table's size from the RANGE record's far corner. The differences are
// signed, so a corner before the lowest cell gives a count of 0 or less.
void apply_range(const DecoderState& state, unsigned end_column, unsigned end_row) {
    const int row_span = static_cast<int>(end_row) - static_cast<int>(state.lowest_row);
    const int column_span = static_cast<int>(end_column) - static_cast<int>(state.lowest_column);
    row_count = row_span > MAX_ROWS - 1 ? MAX_ROWS : row_span + 1;
    column_count = column_span > MAX_COLUMNS - 1 ? MAX_COLUMNS : column_span + 1;
    if (row_count <= 0 || column_count <= 0) return;
    for (int r = 0; r < row_count; ++r)
        for (int c = 0; c < column_count; ++c) data_rows[r].value[c] = CELL_MISSING;
    clear_limit_table();
}

// One handled record's body. Returns false when its fields need more bytes
// than the record declares.
bool decode_record(DecoderState& state, unsigned type, Cursor& body) {
    unsigned format = 0, column = 0, row = 0;
    switch (type) {
    case WK1_RANGE: {
        unsigned start_column = 0, start_row = 0, end_column = 0, end_row = 0;
        if (!body.read_u16(start_column) || !body.read_u16(start_row) ||
            !body.read_u16(end_column) || !body.read_u16(end_row))
            return false;
        if (state.pass == 1) apply_range(state, end_column, end_row);
        return true;
    }
    case WK1_INTEGER:
    case WK1_NUMBER:
    case WK1_FORMULA: {
        if (!body.read_u8(format) || !body.read_u16(column) || !body.read_u16(row)) return false;
        double value = 0.0;
        if (type == WK1_INTEGER) {
            int integer = 0;
            if (!body.read_i16(integer)) return false;
            value = integer;
        } else if (!body.read_f64(value)) {
            return false;
        }
        if (type == WK1_FORMULA) {
            unsigned formula_length = 0;
            if (!body.read_u16(formula_length) || !body.skip(formula_length)) return false;
        }
        if (state.pass == 0)
            lower_origin(state, column, row);
        else
            store_cell(state, column, row, value);
        return true;
    }
    case WK1_LABEL: {
        if (!body.read_u8(format) || !body.read_u16(column) || !body.read_u16(row)) return false;
        lower_origin(state, column, row);
        unsigned prefix = 0, first = 0;
        // A label without text after its alignment prefix sets no value.
        if (state.pass == 1 && body.read_u8(prefix) && body.read_u8(first)) {
            const double marker = marker_for_sign(static_cast<unsigned char>(first));
            store_cell(state, column, row, marker, marker == CELL_MISSING ? NO_LIMIT : label_limit(body));
        }
        return true;
    }
    default:
        return true;
    }
}

int decode_pass(DecoderState& state, const unsigned char* block, std::size_t size) {
    std::size_t pos = 0;
    for (;;) {
        // A block that ends where a record header would start ends the pass.
        if (pos == size) return WK1_OK;
        if (size - pos < WK1_HEADER_SIZE) return WK1_TRUNCATED;
        const unsigned type = wk1_u16(block + pos);
        if (type == WK1_EOF) return WK1_OK;
        const std::size_t length = wk1_u16(block + pos + 2);
        const std::size_t body_pos = pos + WK1_HEADER_SIZE;
        if (length == 0) return WK1_ZERO_LENGTH;
        if (size - body_pos < length) return WK1_TRUNCATED;

        // A number record with all its fields, nearly every record of a
        // worksheet, read in place: what decode_record does with it.
        if (type == WK1_NUMBER && length >= WK1_NUMBER_BODY_SIZE) {
            const unsigned char* b = block + body_pos;
            const unsigned column = wk1_u16(b + WK1_CELL_COLUMN);
            const unsigned row = wk1_u16(b + WK1_CELL_ROW);
            if (state.pass == 0)
                lower_origin(state, column, row);
            else
                store_cell(state, column, row, wk1_f64(b + WK1_CELL_VALUE));
            pos = body_pos + length;
            continue;
        }

        Cursor body{block, body_pos, body_pos + length};
        if (type == WK1_BOF) {
            unsigned version = 0;
            if (!body.read_u16(version)) return WK1_TRUNCATED;
            if (version != WK1_OLDER_VERSION && version != WK1_VERSION) return WK1_BAD_VERSION;
        } else if (!decode_record(state, type, body)) {
            return WK1_TRUNCATED;
        }
        // Extra body bytes of a handled record are skipped with the rest.
        pos = body.end;
    }
}

void show_reader_message(platform::WindowHandle owner) {
    platform::show_message(owner, cell_text, MESSAGE_CAPTION);
}

}  // namespace

int decode_wk1(const unsigned char* block, std::size_t size) {
    DecoderState state{0, 0xFFFF, 0xFFFF};
    row_count = 0;
    column_count = 0;
    if (block == nullptr) size = 0;
    for (state.pass = 0; state.pass < 2; ++state.pass) {
        const int result = decode_pass(state, block, size);
        if (result != WK1_OK) return result;
    }
    return WK1_OK;
}

namespace {

// The end of a read once the block's bytes are at hand: decodes them, then
// lets go of the clipboard and of the private copy and the clipboard's block
// when there are such.
int decode_and_close(platform::WindowHandle owner, const unsigned char* bytes, std::size_t size, void* copy,
                     platform::MemoryHandle handle) {
    const int e = decode_wk1(bytes, size);
    if (e != WK1_OK) {
        if (copy != nullptr) platform::free_private(copy);
        if (handle != nullptr) platform::global_unlock(handle);
        platform::close_clipboard();
        std::snprintf(cell_text, sizeof cell_text, "Error %d reading wk1-data", e);
        show_reader_message(owner);
        return decode_failure_status(e);
    }
    if (handle != nullptr) platform::global_unlock(handle);
    const bool closed = platform::close_clipboard();
    if (copy != nullptr) platform::free_private(copy);
    if (!closed) {
        std::snprintf(cell_text, sizeof cell_text, "error code: %u",
                      static_cast<unsigned>(platform::last_error()));
        show_reader_message(owner);
        return READ_CANNOT_CLOSE;
    }
    return READ_OK;
}

// Many spreadsheets copy a block as tab-separated text but not as "Wk1":
// the clipboard's text then stands in, as the WK1 stream of its cells read
// with the user's decimal separator. Text without a value is no worksheet.
int read_clipboard_text(platform::WindowHandle owner) {
    static unsigned char block[TEXT_WK1_CAPACITY];
    platform::ClipboardText text{};
    TextBlock written{};
    if (platform::get_clipboard_text(text))
        written = text_worksheet_block(text.bytes, text.size,
                                       TextRequest{TextFormat::Tabs, text.decimal_comma, OtherPointScope::None, false},
                                       block, sizeof block);
    if (!written.values) {
        platform::close_clipboard();
        return READ_NOT_OFFERED;
    }
    results_with_decimal_comma = text.decimal_comma;
    return decode_and_close(owner, block, written.block_size, nullptr, nullptr);
}

}  // namespace

int read_clipboard_worksheet(platform::WindowHandle owner) {
    results_with_decimal_comma = false;
    const platform::ClipboardFormat format = platform::register_clipboard_format("Wk1");
    if (format == 0) return READ_NO_FORMAT;
    if (!platform::open_clipboard(owner)) {
        std::snprintf(cell_text, sizeof cell_text, "Problem opening Clipboard");
        show_reader_message(owner);
        return READ_CANNOT_OPEN;
    }
    if (!platform::is_clipboard_format_available(format)) return read_clipboard_text(owner);
    const platform::MemoryHandle handle = platform::get_clipboard_data(format);
    if (handle == nullptr) {
        platform::close_clipboard();
        std::snprintf(cell_text, sizeof cell_text, "Problem getting memory handle");
        show_reader_message(owner);
        return READ_NO_HANDLE;
    }
    const std::size_t size = platform::global_size(handle);
    if (size < 2) {
        platform::close_clipboard();
        std::snprintf(cell_text, sizeof cell_text, "empty clipboard?? len=%d ", static_cast<int>(size));
        show_reader_message(owner);
        return READ_TOO_SHORT;
    }
    auto* copy = static_cast<unsigned char*>(platform::allocate_private(size));
    if (copy == nullptr) {
        platform::close_clipboard();
        std::snprintf(cell_text, sizeof cell_text, "malloc problem");
        show_reader_message(owner);
        return READ_NO_MEMORY;
    }
    const void* locked = platform::global_lock(handle);
    if (locked == nullptr) {
        platform::free_private(copy);
        platform::close_clipboard();
        std::snprintf(cell_text, sizeof cell_text, "GlobalLock problem");
        show_reader_message(owner);
        return READ_CANNOT_LOCK;
    }
    std::memcpy(copy, locked, size);
    return decode_and_close(owner, copy, size, copy, handle);
}
