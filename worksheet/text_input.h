// The one step from a worksheet given as text to the "Wk1" block of its
// cells, so that text and WK1 go through one decoder and give the same data
// table. Every front end hands its text here: the command line's files, the
// clipboard's text where it holds no "Wk1", the page's paste.
//
// The step takes the bytes as they came: text saved as UTF-16 (with its byte
// order mark, as spreadsheets save "Unicode text") is first made UTF-8. The
// text's cells (text_cells.h) are then split once; only the cells of the
// window the data table can hold are converted and written. The used range
// runs from the lowest row and the lowest column holding a cell; cells
// beyond MAX_ROWS rows or MAX_COLUMNS columns from it are left out, as the
// WK1 decoder caps the table. Every value is written as a NUMBER record,
// whose double the decoder keeps bit for bit, except a "<" or ">" cell,
// which becomes a LABEL record carrying its limit. Text without cells becomes a
// stream without cell records, which decodes to a table without rows or
// columns.
#pragma once

#include <cstddef>
#include <vector>

#include "worksheet/data_table.h"
#include "worksheet/limit_table.h"
#include "worksheet/text_cells.h"
#include "worksheet/wk1_format.h"

// A "<" or ">" cell is written as the LABEL record a spreadsheet would give
// it: the sign and its limit (limit_table.h) with "." as the decimal point,
// or the sign alone when it has none, so that the limit reaches the decoder.
// The longest such record:
constexpr std::size_t TEXT_LABEL_RECORD_CAPACITY =
    WK1_HEADER_SIZE + WK1_CELL_HEAD_SIZE + 1 + LIMIT_LABEL_CAPACITY;  // prefix, text, zero byte
constexpr std::size_t TEXT_CELL_RECORD_CAPACITY =
    TEXT_LABEL_RECORD_CAPACITY > WK1_NUMBER_RECORD_SIZE ? TEXT_LABEL_RECORD_CAPACITY : WK1_NUMBER_RECORD_SIZE;

// Records of the largest stream: BOF, RANGE, the NUMBER record that pins the
// origin, a cell record per cell of a full table, EOF.
constexpr std::size_t TEXT_WK1_CAPACITY =
    WK1_BOF_RECORD_SIZE + WK1_RANGE_RECORD_SIZE + WK1_NUMBER_RECORD_SIZE +
    TEXT_CELL_RECORD_CAPACITY * static_cast<std::size_t>(MAX_ROWS) * MAX_COLUMNS + WK1_EOF_RECORD_SIZE;

// Which cells are looked at for numbers written with the other decimal
// separator ("," where "." is in use, or the other way round).
enum class OtherPointScope {
    None,
    Window,  // the cells the table holds
    Whole,   // every cell of the text
};

struct TextRequest {
    TextFormat format;
    bool decimal_comma;
    OtherPointScope other_point;
    bool cut;  // the bytes were cut short: the text counts up to its last line break
};

// An example cell is quoted in a message line; a longer one is cut.
constexpr std::size_t OTHER_POINT_EXAMPLE_BYTES = 40;

struct TextBlock {
    std::size_t block_size;  // the WK1 stream's bytes; 0 when the buffer is too small
    bool values;             // a cell of the whole text holds a value: a number
                             // inside the missing bound, or a "<" / ">" cell
    bool not_text;           // no UTF-16 mark and a zero byte: no text at all
                             // (the block is made all the same)
    long extent_rows;        // rows and columns from the lowest to the highest
    long extent_columns;     // ones holding a cell; 0 and 0 without cells
    std::size_t other_point_count;  // cells that are no number with the decimal
                                    // point in use but are with the other one
    char other_point_example[OTHER_POINT_EXAMPLE_BYTES + 1];  // the first of them,
                                    // trimmed of spaces, zero-terminated
};

// Writes the WK1 record stream of the text's cells into `block`, which holds
// `capacity` bytes, at least TEXT_WK1_CAPACITY, and tells what the text held.
// Text in which no cell holds a value (a sentence, an empty string) is no
// worksheet; the callers decide what becomes of its block.
TextBlock text_worksheet_block(const unsigned char* bytes, std::size_t size, const TextRequest& request,
                               unsigned char* block, std::size_t capacity);

// Decodes the text's cells into the data table; decode_wk1's results.
int decode_text_worksheet(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma);

// True when `bytes` start with a UTF-16 byte order mark (FF FE or FE FF).
bool has_utf16_mark(const unsigned char* bytes, std::size_t size);

// Whether `bytes` can be text: a UTF-16 byte order mark, or no zero byte.
// A program, an image or a zipped spreadsheet file almost always has one.
bool is_text_bytes(const unsigned char* bytes, std::size_t size);

// When `bytes` start with a UTF-16 byte order mark (FF FE little-endian,
// FE FF big-endian), writes them as UTF-8 without the mark to `utf8` and
// returns true. A lone surrogate or a last odd byte becomes U+FFFD.
bool utf16_to_utf8(const unsigned char* bytes, std::size_t size, std::vector<unsigned char>& utf8);
