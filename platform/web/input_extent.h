// What the page tells about an input before and beside the reader: the size
// of the worksheet it holds (so that the rows and columns beyond the table's
// 1024 x 50 can be counted), and where an input cut at the page's size limit
// can end without splitting a row or a record.
#pragma once

#include <cstddef>

#include "worksheet/text_cells.h"

// Rows and columns from the lowest to the highest used ones, as the readers
// place the table's origin; 0 and 0 when the input has no cell.
struct WorksheetExtent {
    long rows;
    long columns;
};

// The text's non-empty cells, by the text reader's rules.
WorksheetExtent text_extent(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma);

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
