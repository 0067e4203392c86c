// What the page tells about the cells of an input beyond their values: the
// column titles of its first row, the rows as they were written (a
// "<0.5" cell stays "<0.5", not "<"), and cells written "<" or ">" without
// a limit after the sign ("<abc", ">zz"), which the reader takes as values
// beyond a limit all the same.
//
// Rows and columns count from the input's first used row and column, as
// the table's do. The tables are filled in place: nothing is allocated.
#pragma once

#include <cstddef>

#include "worksheet/data_table.h"
#include "worksheet/text_cells.h"

// Every row the table holds: the page shows them all, as written.
constexpr int NOTE_PREVIEW_ROWS = MAX_ROWS;
constexpr std::size_t NOTE_TEXT_SIZE = 48;  // longer texts are cut
constexpr int NOTE_LIMITLESS_EXAMPLES = 5;

struct WrittenCell {
    char text[NOTE_TEXT_SIZE];  // "" for an empty cell
};

struct LimitlessCell {
    long row;
    long column;
    char text[NOTE_TEXT_SIZE];
};

struct CellNotes {
    // The first row's cells that are titles: its text cells, or all of its
    // cells when the first row holds titles by choice.
    WrittenCell titles[MAX_COLUMNS];
    WrittenCell preview[NOTE_PREVIEW_ROWS][MAX_COLUMNS];
    long limitless_count;
    LimitlessCell limitless[NOTE_LIMITLESS_EXAMPLES];
};

// The notes of a worksheet text (the part the table holds) and of a WK1
// record stream. `first_row_titles`: every cell of the first row is a title.
void note_text_cells(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                     bool first_row_titles, CellNotes& notes);
void note_wk1_cells(const unsigned char* block, std::size_t size, bool first_row_titles, CellNotes& notes);
// Notes of no cell at all.
void clear_notes(CellNotes& notes);
