// Reading a worksheet copied as text (text_cells.h) by way of the WK1 record
// stream a spreadsheet would have put on the clipboard for the same cells, so
// that text and "Wk1" go through one decoder and give the same data table.
//
// The used range runs from the lowest row and the lowest column holding a
// non-empty cell to the highest ones; cells beyond MAX_ROWS rows or
// MAX_COLUMNS columns from its origin are left out, as the WK1 decoder caps
// the table. Every value is written as a NUMBER record, whose double the
// decoder keeps bit for bit. Text without cells becomes a stream without cell
// records, which decodes to a table without rows or columns.
#pragma once

#include <cstddef>

#include "worksheet/data_table.h"
#include "worksheet/text_cells.h"

// Records of the largest stream: BOF, RANGE, the NUMBER record that pins the
// origin, a NUMBER record per cell of a full table, EOF.
constexpr std::size_t WK1_BOF_RECORD_SIZE = 4 + 2;
constexpr std::size_t WK1_RANGE_RECORD_SIZE = 4 + 8;
constexpr std::size_t WK1_NUMBER_RECORD_SIZE = 4 + 13;
constexpr std::size_t WK1_EOF_RECORD_SIZE = 4;
constexpr std::size_t TEXT_WK1_CAPACITY =
    WK1_BOF_RECORD_SIZE + WK1_RANGE_RECORD_SIZE +
    WK1_NUMBER_RECORD_SIZE * (1 + static_cast<std::size_t>(MAX_ROWS) * MAX_COLUMNS) + WK1_EOF_RECORD_SIZE;

// Writes the WK1 record stream for the text's cells into `out` and returns
// its size; 0 when `capacity` is below TEXT_WK1_CAPACITY.
std::size_t text_worksheet_to_wk1(const unsigned char* text, std::size_t size, TextFormat format,
                                  bool decimal_comma, unsigned char* out, std::size_t capacity);

// True when some cell of the text holds a value: a number inside the missing
// bound, or a "<" or ">" cell. Text without one (a sentence, an empty
// string) is no worksheet.
bool text_has_values(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma);

// Decodes the text's cells into the data table; decode_wk1's results.
int decode_text_worksheet(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma);
