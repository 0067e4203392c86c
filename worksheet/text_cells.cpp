// Splitting worksheet text into rows and cells.
#include "worksheet/text_cells.h"

#include "worksheet/data_table.h"
#include "worksheet/limit_table.h"
#include "worksheet/text_number.h"

namespace {

struct Splitter {
    const unsigned char* text;
    std::size_t size;
    unsigned char separator;
    bool quoting;  // comma-separated: fields may be quoted
};

Splitter splitter_for(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma) {
    if (text == nullptr) size = 0;
    return Splitter{text, size, static_cast<unsigned char>(format == TextFormat::Tabs ? '\t' : decimal_comma ? ';' : ','),
                    format == TextFormat::Commas};
}

char decimal_point_for(bool decimal_comma) { return decimal_comma ? ',' : '.'; }

// The length of the line break at `pos`, or 0.
std::size_t line_break_at(const Splitter& s, std::size_t pos) {
    if (s.text[pos] == '\n') return 1;
    if (s.text[pos] == '\r' && pos + 1 < s.size && s.text[pos + 1] == '\n') return 2;
    return 0;
}

bool ends_field(const Splitter& s, std::size_t pos) { return s.text[pos] == s.separator || line_break_at(s, pos) != 0; }

// The bytes of a quoted part after its opening quote, up to and past its
// closing quote (or to the end). `has_text`: a byte other than a space is
// part of the cell's text ("" stands for a quote).
std::size_t skip_quoted(const Splitter& s, std::size_t pos, bool& has_text) {
    while (pos < s.size) {
        const unsigned char byte = s.text[pos++];
        if (byte != '"') {
            if (byte != ' ') has_text = true;
        } else if (pos < s.size && s.text[pos] == '"') {
            has_text = true;
            ++pos;
        } else {
            break;
        }
    }
    return pos;
}

// A quoted field's text: its bytes fed as the cell rules read them, quotes
// taken out. `skip_first`: the first byte of the text (after leading
// spaces), the sign of a "<" or ">" cell, is not fed.
void feed_quoted_field(const Splitter& s, std::size_t begin, std::size_t end, char decimal_point, bool skip_first,
                       CellTextScan& scan) {
    begin_cell_text(scan);
    bool was_quoted = false;
    bool skipping = skip_first;
    auto feed = [&](unsigned char byte) {
        if (skipping && byte != ' ') {
            skipping = false;
            return;
        }
        feed_cell_text(scan, byte, decimal_point);
    };
    std::size_t pos = begin;
    while (pos < end) {
        const unsigned char byte = s.text[pos++];
        if (byte != '"' || was_quoted || !cell_text_is_empty(scan) || (skip_first && !skipping)) {
            feed(byte);
            continue;
        }
        // Spaces before the opening quote are trimmed like any others.
        was_quoted = true;
        while (pos < end) {
            const unsigned char inside = s.text[pos++];
            if (inside != '"') {
                feed(inside);
            } else if (pos < end && s.text[pos] == '"') {
                feed('"');
                ++pos;
            } else {
                break;
            }
        }
    }
}

CellReading read_quoted_field(const Splitter& s, std::size_t begin, std::size_t end, char decimal_point) {
    CellTextScan scan;
    feed_quoted_field(s, begin, end, decimal_point, false, scan);
    if (cell_text_is_empty(scan)) return CellReading{true, false, CELL_MISSING, NO_LIMIT};
    const double value = cell_text_value(scan);
    const bool is_number = cell_text_is_number(scan);
    double limit = NO_LIMIT;
    if (!is_number && is_marker(value)) {
        feed_quoted_field(s, begin, end, decimal_point, true, scan);
        limit = limit_of(cell_text_is_number(scan), cell_text_value(scan));
    }
    return CellReading{false, is_number, value, limit};
}

bool starts_quoted(const Splitter& s, std::size_t begin, std::size_t end) {
    if (!s.quoting) return false;
    while (begin < end && s.text[begin] == ' ') ++begin;
    return begin < end && s.text[begin] == '"';
}

CellReading read_field(const Splitter& s, std::size_t begin, std::size_t end, char decimal_point) {
    if (starts_quoted(s, begin, end)) return read_quoted_field(s, begin, end, decimal_point);
    return read_cell_text(s.text + begin, end - begin, decimal_point);
}

void widen(TextExtent& extent, std::size_t row, std::size_t column) {
    if (!extent.any) {
        extent.any = true;
        extent.lowest_row = extent.highest_row = row;
        extent.lowest_column = extent.highest_column = column;
        return;
    }
    if (column < extent.lowest_column) extent.lowest_column = column;
    if (row > extent.highest_row) extent.highest_row = row;
    if (column > extent.highest_column) extent.highest_column = column;
}

// The one splitter. `window` null: every cell is read.
TextExtent scan(const Splitter& s, char decimal_point, const TextWindow* window, TextCellVisitor visit,
                void* context) {
    TextExtent extent{false, 0, 0, 0, 0, false};
    TextWindow origin = window != nullptr ? *window : TextWindow{false, 0, 0};
    bool any_read = false;
    std::size_t pos = 0, row = 0, column = 0;
    if (s.size >= 3 && s.text[0] == 0xEF && s.text[1] == 0xBB && s.text[2] == 0xBF) pos = 3;
    for (;;) {
        // One field: from `begin` to the separator or line break that ends it.
        const std::size_t begin = pos;
        bool has_text = false;
        while (pos < s.size && s.text[pos] == ' ') ++pos;
        if (s.quoting && pos < s.size && s.text[pos] == '"') pos = skip_quoted(s, pos + 1, has_text);
        for (; pos < s.size && !ends_field(s, pos); ++pos)
            if (s.text[pos] != ' ') has_text = true;

        if (has_text && !extent.window_moved) {
            widen(extent, row, column);
            TextCell cell{row, column, false, CELL_MISSING, NO_LIMIT, false, begin, pos, 0, 0};
            bool inside = true;
            if (window != nullptr) {
                if (!origin.fixed) {
                    if (!any_read) origin = TextWindow{false, row, column};
                    if (column < origin.column) extent.window_moved = true;
                }
                inside = !extent.window_moved && row >= origin.row && column >= origin.column &&
                         row - origin.row < static_cast<std::size_t>(MAX_ROWS) &&
                         column - origin.column < static_cast<std::size_t>(MAX_COLUMNS);
                cell.window_row = row - origin.row;
                cell.window_column = column - origin.column;
            }
            if (inside) {
                const CellReading reading = read_field(s, begin, pos, decimal_point);
                cell.read = true;
                cell.value = reading.value;
                cell.limit = reading.limit;
                cell.is_number = reading.is_number;
                any_read = true;
            }
            if (!extent.window_moved) visit(cell, context);
        } else if (has_text) {
            widen(extent, row, column);
        }

        if (pos >= s.size) break;
        const std::size_t break_length = line_break_at(s, pos);
        if (break_length == 0) {
            ++pos;
            ++column;
        } else {
            pos += break_length;
            ++row;
            column = 0;
        }
    }
    return extent;
}

}  // namespace

TextExtent scan_text_cells(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                           TextCellVisitor visit, void* context) {
    return scan(splitter_for(text, size, format, decimal_comma), decimal_point_for(decimal_comma), nullptr, visit,
                context);
}

TextExtent scan_text_window(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                            const TextWindow& window, TextCellVisitor visit, void* context) {
    return scan(splitter_for(text, size, format, decimal_comma), decimal_point_for(decimal_comma), &window, visit,
                context);
}

void read_text_cell(const unsigned char* text, TextFormat format, bool decimal_comma, TextCell& cell) {
    const Splitter s = splitter_for(text, cell.text_end, format, decimal_comma);
    const CellReading reading = read_field(s, cell.text_begin, cell.text_end, decimal_point_for(decimal_comma));
    cell.read = true;
    cell.value = reading.value;
    cell.limit = reading.limit;
    cell.is_number = reading.is_number;
}
