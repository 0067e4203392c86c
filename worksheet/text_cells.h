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
    bool read;               // value and is_number hold what the cell's text is
    double value;            // a number or a cell marker
    double limit;            // a marker's kept limit (limit_table.h), or NO_LIMIT
    bool is_number;          // the field is wholly a number (value may still be CELL_MISSING)
    std::size_t text_begin;  // the field's bytes as written (quotes and spaces
    std::size_t text_end;    // included): text[text_begin .. text_end)
    // In a window scan, the cell's place in the window (when read).
    std::size_t window_row;
    std::size_t window_column;
};

using TextCellVisitor = void (*)(const TextCell& cell, void* context);

// The rows and columns from the lowest to the highest ones holding a cell.
struct TextExtent {
    bool any;  // the text has a cell at all
    std::size_t lowest_row, lowest_column;
    std::size_t highest_row, highest_column;
    bool window_moved;  // see scan_text_window
};

// Calls `visit` for every non-empty cell of the text, row by row, left to
// right, each one read. Reads exactly `size` bytes; any byte value is allowed.
TextExtent scan_text_cells(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                           TextCellVisitor visit, void* context);

// The window of MAX_ROWS rows and MAX_COLUMNS columns that the data table can
// hold, from an origin: a given one, or else the first row holding a cell and
// the lowest column holding a cell so far.
struct TextWindow {
    bool fixed;
    std::size_t row, column;  // the origin when fixed
};

// The same split, visiting every non-empty cell but reading (converting) only
// the cells inside the window, so that a text of many megabytes costs little
// more than a look at each byte. A cell outside is visited unread; the
// visitor can read it with read_text_cell. Without a fixed origin, a cell left
// of the window after cells have been read moves the window: from then on the
// scan only finds the extent, which says so (window_moved), and the caller
// scans again with the origin fixed at the extent's lowest row and column.
TextExtent scan_text_window(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                            const TextWindow& window, TextCellVisitor visit, void* context);

// Reads a visited cell from its bytes: sets its value and is_number.
void read_text_cell(const unsigned char* text, TextFormat format, bool decimal_comma, TextCell& cell);
