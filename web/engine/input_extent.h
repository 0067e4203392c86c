// What the page does with an input before the reader: finds the size of the
// worksheet it holds (so that the rows and columns beyond the table's
// 1024 x 50 can be counted), keeps of a text only the cells the table can
// hold, and finds where an input cut at the page's size limit can end
// without splitting a row or a record.
#pragma once

#include <cstddef>
#include <vector>

#include "worksheet/text_cells.h"

// Rows and columns from the lowest to the highest used ones, as the readers
// place the table's origin; 0 and 0 when the input has no cell.
struct WorksheetExtent {
    long rows;
    long columns;
};

// The part of a worksheet text that the table can hold, written to `out`:
// the cells of at most MAX_ROWS rows and MAX_COLUMNS columns from the first
// used row and column, as text of the same format (rows ending in "\r\n")
// that the text reader reads into the very table the whole text gives. Each
// kept cell keeps its bytes (a quote left open at the end of the text is
// closed); where the table's first or last corner holds no cell, a "#" (a
// text cell: missing) keeps the table's origin and size. Cells and fields
// are found by the text reader's rules (text_cells.h) without converting a
// number, so that a text of many megabytes costs little more than a look at
// each byte. Returns the extent of the whole text's cells.
WorksheetExtent text_window(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                            std::vector<unsigned char>& out);

// A WK1 record stream: from the lowest cell of any INTEGER, NUMBER, FORMULA
// or LABEL record to the end column and row of its last RANGE record, as
// the decoder sizes the table before its caps. Records that run past the
// end are not read.
WorksheetExtent wk1_extent(const unsigned char* block, std::size_t size);

// The length of the text up to and including its last line break; all of
// it when it has none.
std::size_t whole_lines(const unsigned char* text, std::size_t size);

// The length of the stream's whole records from its start, up to its first
// EOF record (included) or the first record that runs past `size`.
std::size_t whole_wk1_records(const unsigned char* block, std::size_t size);
