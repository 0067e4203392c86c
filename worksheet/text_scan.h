// The splitter of text_cells.h as a template over its visitor, so that a
// caller that writes every cell (the text step) has its visitor inlined into
// the scan. The function-pointer scans of text_cells.h are this one.
#pragma once

#include <cstddef>

#include "worksheet/data_table.h"
#include "worksheet/limit_table.h"
#include "worksheet/text_cells.h"
#include "worksheet/text_number.h"

namespace text_scan {

struct Splitter {
    const unsigned char* text;
    std::size_t size;
    unsigned char separator;
    bool quoting;  // comma-separated: fields may be quoted
};

inline Splitter splitter_for(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma) {
    if (text == nullptr) size = 0;
    return Splitter{text, size, static_cast<unsigned char>(format == TextFormat::Tabs ? '\t' : decimal_comma ? ';' : ','),
                    format == TextFormat::Commas};
}

inline char decimal_point_for(bool decimal_comma) { return decimal_comma ? ',' : '.'; }

// The length of the line break at `pos`, or 0.
inline std::size_t line_break_at(const Splitter s, std::size_t pos) {
    if (s.text[pos] == '\n') return 1;
    if (s.text[pos] == '\r' && pos + 1 < s.size && s.text[pos + 1] == '\n') return 2;
    return 0;
}

inline bool ends_field(const Splitter s, std::size_t pos) {
    return s.text[pos] == s.separator || line_break_at(s, pos) != 0;
}

// The bytes of a quoted part after its opening quote, up to and past its
// closing quote (or to the end). `has_text`: a byte other than a space is
// part of the cell's text ("" stands for a quote).
std::size_t skip_quoted(const Splitter s, std::size_t pos, bool& has_text);

// The field text[begin .. end) read by the cell rules, quotes taken out.
CellReading read_field(const Splitter s, std::size_t begin, std::size_t end, char decimal_point);

inline void widen(TextExtent& extent, std::size_t row, std::size_t column) {
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

// The one splitter: scan_text_cells (`window` null: every cell is read) and
// scan_text_window, calling visit(const TextCell&) for each cell.
template <typename Visit>
TextExtent scan(const Splitter s, char decimal_point, const TextWindow* window, Visit&& visit) {
    TextExtent extent{false, 0, 0, 0, 0, false};
    TextWindow origin = window != nullptr ? *window : TextWindow{false, 0, 0};
    bool any_read = false;
    std::size_t pos = 0, row = 0, column = 0;
    if (s.size >= 3 && s.text[0] == 0xEF && s.text[1] == 0xBB && s.text[2] == 0xBF) pos = 3;
    for (;;) {
        // One field: from `begin` to the separator or line break that ends it.
        // Most are a plain number, read while the field is found; any other
        // field is found first and then read by the cell rules.
        const std::size_t begin = pos;
        bool has_text = false;
        bool plain = false;
        double plain_value = CELL_MISSING;
        const unsigned char* stop = nullptr;
        if (read_plain_number(s.text + pos, s.text + s.size, decimal_point, stop, plain_value)) {
            const auto at = static_cast<std::size_t>(stop - s.text);
            if (at == s.size || ends_field(s, at)) {
                plain = has_text = true;
                pos = at;
            }
        }
        if (!plain) {
            while (pos < s.size && s.text[pos] == ' ') ++pos;
            if (s.quoting && pos < s.size && s.text[pos] == '"') pos = skip_quoted(s, pos + 1, has_text);
            for (; pos < s.size && !ends_field(s, pos); ++pos)
                if (s.text[pos] != ' ') has_text = true;
        }

        if (has_text && !extent.window_moved) {
            widen(extent, row, column);
            bool inside = true;
            std::size_t window_row = 0, window_column = 0;
            if (window != nullptr) {
                if (!origin.fixed) {
                    if (!any_read) origin = TextWindow{false, row, column};
                    if (column < origin.column) extent.window_moved = true;
                }
                // Before the origin the differences wrap round to beyond the caps.
                window_row = row - origin.row;
                window_column = column - origin.column;
                inside = !extent.window_moved && window_row < static_cast<std::size_t>(MAX_ROWS) &&
                         window_column < static_cast<std::size_t>(MAX_COLUMNS);
            }
            const CellReading reading = !inside ? CellReading{false, false, CELL_MISSING, NO_LIMIT}
                                        : plain ? CellReading{false, true, plain_value, NO_LIMIT}
                                                : read_field(s, begin, pos, decimal_point);
            any_read = any_read || inside;
            if (!extent.window_moved)
                visit(TextCell{row, column, inside, reading.value, reading.limit, reading.is_number, begin, pos,
                               window_row, window_column});
        } else if (has_text) {
            widen(extent, row, column);
        }

        // The field ends at a separator or a line break.
        if (pos >= s.size) break;
        const std::size_t break_length = s.text[pos] == s.separator ? 0 : line_break_at(s, pos);
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

}  // namespace text_scan
