// The part of a worksheet text that the table can hold.
//
// The fields are split as scan_text_cells splits them: at the separator and
// at "\n" or "\r\n", after a UTF-8 byte order mark, and in comma-separated
// text a field whose first byte other than a space is a double quote runs
// to the next lone double quote (two stand for one). A field is a cell when
// a byte other than a space goes into it. What a field holds depends on its
// own bytes only, so a field copied byte for byte reads the same anywhere.
#include "web/engine/input_extent.h"

#include "worksheet/data_table.h"

namespace {

struct Field {
    std::size_t row, column;
    std::size_t start, end;  // its bytes in the text
    bool cell;               // a byte other than a space went into it
    bool open_quote;         // its quote runs to the end of the text
};

// Calls `visit` with every field of the text, row by row, left to right.
template <typename Visit>
void scan_fields(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma, Visit visit) {
    const unsigned char separator = format == TextFormat::Tabs ? '\t' : decimal_comma ? ';' : ',';
    const bool quoting = format == TextFormat::Commas;
    std::size_t pos = size >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF ? 3 : 0;
    Field field{0, 0, pos, pos, false, false};
    bool quoted = false;  // a quoted part has been read in this field
    auto end_field = [&](std::size_t end, std::size_t next_row, std::size_t next_column, std::size_t next_start) {
        field.end = end;
        visit(field);
        field = Field{next_row, next_column, next_start, next_start, false, false};
        quoted = false;
    };
    while (pos < size) {
        const unsigned char byte = text[pos];
        if (byte == separator) {
            end_field(pos, field.row, field.column + 1, pos + 1);
            ++pos;
        } else if (byte == '\n' || (byte == '\r' && pos + 1 < size && text[pos + 1] == '\n')) {
            const std::size_t length = byte == '\n' ? 1 : 2;
            end_field(pos, field.row + 1, 0, pos + length);
            pos += length;
        } else if (byte == '"' && quoting && !quoted && !field.cell) {
            quoted = true;
            ++pos;
            for (;;) {
                if (pos >= size) {
                    field.open_quote = true;
                    break;
                }
                const unsigned char inside = text[pos++];
                if (inside != '"') {
                    if (inside != ' ') field.cell = true;
                } else if (pos < size && text[pos] == '"') {
                    field.cell = true;  // "" stands for a quote
                    ++pos;
                } else {
                    break;
                }
            }
        } else {
            if (byte != ' ') field.cell = true;
            ++pos;
        }
    }
    end_field(size, 0, 0, size);
}

struct Writer {
    std::vector<unsigned char>& out;
    unsigned char separator;
    std::size_t row = 0, column = 0;  // where the next byte goes
    bool written = false;             // a cell has been written

    void bytes(const unsigned char* from, std::size_t count) { out.insert(out.end(), from, from + count); }
    void byte(unsigned char b) { out.push_back(b); }
    void move_to(std::size_t r, std::size_t c) {
        for (; row < r; ++row, column = 0) {
            byte('\r');
            byte('\n');
        }
        for (; column < c; ++column) byte(separator);
    }
    void cell(std::size_t r, std::size_t c, const unsigned char* from, std::size_t count, bool close_quote) {
        if (!written && (r != 0 || c != 0)) byte('#');
        move_to(r, c);
        bytes(from, count);
        if (close_quote) byte('"');
        written = true;
    }
};

}  // namespace

WorksheetExtent text_window(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                            std::vector<unsigned char>& out) {
    out.clear();
    if (text == nullptr) size = 0;
    bool any = false;
    std::size_t lowest_row = 0, lowest_column = 0, highest_row = 0, highest_column = 0;
    scan_fields(text, size, format, decimal_comma, [&](const Field& f) {
        if (!f.cell) return;
        if (!any || f.row < lowest_row) lowest_row = f.row;
        if (!any || f.column < lowest_column) lowest_column = f.column;
        if (!any || f.row > highest_row) highest_row = f.row;
        if (!any || f.column > highest_column) highest_column = f.column;
        any = true;
    });
    if (!any) return WorksheetExtent{0, 0};

    const std::size_t extent_rows = highest_row - lowest_row + 1;
    const std::size_t extent_columns = highest_column - lowest_column + 1;
    const std::size_t rows = extent_rows < MAX_ROWS ? extent_rows : MAX_ROWS;
    const std::size_t columns = extent_columns < MAX_COLUMNS ? extent_columns : MAX_COLUMNS;
    Writer writer{out, static_cast<unsigned char>(format == TextFormat::Tabs ? '\t' : decimal_comma ? ';' : ',')};
    std::size_t last_row = 0, last_column = 0;
    scan_fields(text, size, format, decimal_comma, [&](const Field& f) {
        if (!f.cell || f.row < lowest_row || f.column < lowest_column) return;
        const std::size_t r = f.row - lowest_row, c = f.column - lowest_column;
        if (r >= rows || c >= columns) return;
        writer.cell(r, c, text + f.start, f.end - f.start, f.open_quote);
        last_row = r;
        last_column = c;
    });
    if (!writer.written) writer.byte('#');
    if (last_row != rows - 1 || last_column != columns - 1) {
        writer.move_to(rows - 1, columns - 1);
        writer.byte('#');
    }
    return WorksheetExtent{static_cast<long>(extent_rows), static_cast<long>(extent_columns)};
}
