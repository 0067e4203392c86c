// What the page does with a WK1 input before the reader: finds the size of
// the worksheet it holds (so that the rows and columns beyond the table's
// 1024 x 50 can be counted), and where an input cut at the page's size
// limit can end without splitting a record. (A text's extent and its cut
// are the text step's: worksheet/text_input.h.)
#pragma once

#include <cstddef>

// Rows and columns from the lowest to the highest used ones, as the readers
// place the table's origin; 0 and 0 when the input has no cell.
struct WorksheetExtent {
    long rows;
    long columns;
};

// A WK1 record stream: from the lowest cell of any INTEGER, NUMBER, FORMULA
// or LABEL record to the end column and row of its last RANGE record, as
// the decoder sizes the table before its caps. Records that run past the
// end are not read.
WorksheetExtent wk1_extent(const unsigned char* block, std::size_t size);

// The length of the stream's whole records from its start, up to its first
// EOF record (included) or the first record that runs past `size`.
std::size_t whole_wk1_records(const unsigned char* block, std::size_t size);
