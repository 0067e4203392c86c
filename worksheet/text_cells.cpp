// Splitting worksheet text into rows and cells.
#include "worksheet/text_cells.h"

#include "worksheet/text_scan.h"

namespace text_scan {

std::size_t skip_quoted(const Splitter s, std::size_t pos, bool& has_text) {
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

}  // namespace text_scan

namespace {

using text_scan::Splitter;

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

}  // namespace

namespace text_scan {

CellReading read_field(const Splitter s, std::size_t begin, std::size_t end, char decimal_point) {
    if (starts_quoted(s, begin, end)) return read_quoted_field(s, begin, end, decimal_point);
    return read_cell_text(s.text + begin, end - begin, decimal_point);
}

}  // namespace text_scan

TextExtent scan_text_cells(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                           TextCellVisitor visit, void* context) {
    return text_scan::scan(text_scan::splitter_for(text, size, format, decimal_comma),
                           text_scan::decimal_point_for(decimal_comma), nullptr,
                           [&](const TextCell& cell) { visit(cell, context); });
}

TextExtent scan_text_window(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                            const TextWindow& window, TextCellVisitor visit, void* context) {
    return text_scan::scan(text_scan::splitter_for(text, size, format, decimal_comma),
                           text_scan::decimal_point_for(decimal_comma), &window,
                           [&](const TextCell& cell) { visit(cell, context); });
}

void read_text_cell(const unsigned char* text, TextFormat format, bool decimal_comma, TextCell& cell) {
    const Splitter s = text_scan::splitter_for(text, cell.text_end, format, decimal_comma);
    const CellReading reading =
        text_scan::read_field(s, cell.text_begin, cell.text_end, text_scan::decimal_point_for(decimal_comma));
    cell.read = true;
    cell.value = reading.value;
    cell.limit = reading.limit;
    cell.is_number = reading.is_number;
}
