// The result text every analysis builds, and its publication on the
// clipboard as plain text: lines separated by a newline, cells by a tab, so
// that pasting it into a spreadsheet fills a table.
//
// Append rules every writer keeps:
//  1. a cell goes into line_text only when it is not empty and the line stays
//     below LINE_TEXT_CAPACITY characters; otherwise it is dropped;
//  2. a finished line goes into result_text only when the result stays below
//     RESULT_TEXT_CAPACITY characters; otherwise the line is dropped;
//  3. a result row is its label, then its cells, then a newline (appended
//     without the test of rule 1), then rule 2;
//  4. an analysis starts result_text by copying its title line over it.
// All writes go through the functions below, which keep the lengths.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "worksheet/data_table.h"

// About seven times the longest report of everyday values (a rank listing
// of 1024 rows with extra output, 236 KB); a longer text loses whole lines.
constexpr int RESULT_TEXT_CAPACITY = 1800400;
// One cell of up to 256 characters and its tab for each of the 50 columns.
constexpr int LINE_TEXT_CAPACITY = 12850;
// Any one formatted cell: "%.4lf" of the largest double takes 315 characters.
constexpr int CELL_TEXT_CAPACITY = 4004;
// Room for every report's rows: the descriptive one labels rows 1 to 43.
constexpr int ROW_LABEL_COUNT = 100;
// 50 characters and the terminator; the longest label has 32.
constexpr int ROW_LABEL_CAPACITY = 51;
// Room for every report's rows: the non-paired one fills rows 0 to 22.
constexpr int RESULT_ROW_COUNT = 100;
// 15 characters and the terminator: "%.4lf" of any value inside the marker
// bounds, "-999999999.9990" included.
constexpr int RESULT_CELL_CAPACITY = 16;

// A result line holds at most MAX_COLUMNS cells of a result cell each, after
// a label; the line buffer must hold that whole.
static_assert(ROW_LABEL_CAPACITY + MAX_COLUMNS * (RESULT_CELL_CAPACITY + 1) < LINE_TEXT_CAPACITY,
              "a line of result cells must fit the line buffer");

extern char result_text[RESULT_TEXT_CAPACITY + 1];
extern char line_text[LINE_TEXT_CAPACITY + 2];  // room for the newline and the terminator
extern char cell_text[CELL_TEXT_CAPACITY];
// The label that begins each result row.
extern char row_labels[ROW_LABEL_COUNT][ROW_LABEL_CAPACITY];
// Preformatted value texts; entry [row][i] belongs to data column i.
extern char result_cells[RESULT_ROW_COUNT][MAX_COLUMNS][RESULT_CELL_CAPACITY];
// Correlation coefficients ([row][column], used for column < row) and pair
// counts (used for column >= row).
extern double correlation_r[MAX_COLUMNS][MAX_COLUMNS];
extern int32_t correlation_n[MAX_COLUMNS][MAX_COLUMNS];

// Current lengths of result_text and line_text.
int result_text_length();
int line_text_length();

// Rule 4 and the shell's emptying of the result: result_text becomes `title`
// (empty for "").
void start_result_text(const char* title);
// line_text becomes empty.
void clear_line_text();
// line_text becomes `text`, cut to the line capacity.
void set_line_text(const char* text);
// Rule 1: appends a cell when it is not empty and fits.
void append_cell(const char* cell);
// Rule 3: the newline, without the capacity test of rule 1.
void append_newline();
// Rule 2: appends line_text to result_text when it fits.
void append_line_to_result();
// Rule 3 begun: line_text becomes the label of result row `row`.
void begin_labelled_line(int row);

// Sets a label of the row label table (cut to 50 characters).
void set_row_label(int row, const char* label);

// Writes `value` into result cell [row][column] with "%.4lf". A text longer
// than the cell is written with "%.*g" at the largest precision that fits, so
// no digit is cut off; a non-finite value is written as CELL_MISSING (it
// prints "#n/a").
void set_result_value(int row, int column, double value);
// Writes a preformatted text into result cell [row][column], cut to fit.
void set_result_text(int row, int column, const char* text);
// Formats `value` as set_result_value would, into `out` of RESULT_CELL_CAPACITY.
void format_result_value(char* out, double value);

// Appends entries 1 .. column_count-1 of result row `row` to line_text:
// "\t#n/a" for an entry whose number reads as CELL_MISSING or lower, else
// "\t" and the entry.
void append_value_texts(int row);
// Appends entries 0 .. column_count-1 of correlation matrix row `row`:
// "%12.4lf\t" coefficients left of the diagonal (a bare tab when not
// available), "%12ld\t" counts on and right of it.
void append_matrix_row(int row);

// publish_result_text results.
enum PublishStatus : int {
    PUBLISH_OK = 0,
    PUBLISH_TOO_SHORT = 1,     // the text is shorter than 2 characters
    PUBLISH_NO_MEMORY = 2,     // the global block cannot be allocated
    PUBLISH_CANNOT_LOCK = 3,   // the global block cannot be locked
    PUBLISH_NOT_TAKEN = 4,     // the clipboard cannot be opened or refuses the block
};

// Puts `text` on the clipboard as plain text; a PublishStatus.
int publish_result_text(platform::WindowHandle owner, const char* text);
// Publishes result_text; on failure shows "Error while writing results to
// Clipboard". Returns the status of publish_result_text.
int publish_results(platform::WindowHandle owner);

// Set by the clipboard reader when the worksheet was the clipboard's text
// read with a decimal comma (the user's locale writes numbers so):
// publish_results then writes the result with a decimal comma too, so that
// the spreadsheet it is pasted into reads its numbers.
extern bool results_with_decimal_comma;

// Empties every buffer and table of this unit.
void reset_result_buffers();
