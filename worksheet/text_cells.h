// The cells of a worksheet copied as text: tab-separated lines, or comma-
// separated values with quoting.
//
// Lines end with "\n" or "\r\n"; a last line without a line break counts; a
// UTF-8 byte order mark at the start is skipped. Every line is a worksheet
// row and every field of it a column, counted from 0. A field is trimmed of
// spaces; an empty field is no cell, like a blank in a worksheet. What a
// non-empty field holds is decided by the cell text rules (text_number.h).
//
// In comma-separated text a field that starts with a double quote runs to the
// next lone double quote: separators and line breaks inside it belong to the
// field, and two double quotes stand for one. A quote that never closes runs
// to the end of the text. With a decimal comma the separator is ";".
#pragma once

#include <cstddef>

enum class TextFormat {
    Tabs,    // tab-separated text, as spreadsheets copy a block
    Commas,  // comma-separated values (";" with a decimal comma)
};

struct TextCell {
    std::size_t row;
    std::size_t column;
    double value;            // a number or a cell marker
    bool is_number;          // the field is wholly a number (value may still be CELL_MISSING)
    std::size_t text_begin;  // the field's bytes as written (quotes and spaces
    std::size_t text_end;    // included): text[text_begin .. text_end)
};

using TextCellVisitor = void (*)(const TextCell& cell, void* context);

// Calls `visit` for every non-empty cell of the text, row by row, left to
// right. Reads exactly `size` bytes; any byte value is allowed.
void scan_text_cells(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                     TextCellVisitor visit, void* context);
