#include "web/engine/cell_notes.h"

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <initializer_list>

#include "worksheet/cell_rules.h"
#include "worksheet/text_number.h"
#include "worksheet/wk1_format.h"

namespace {


bool is_space(unsigned char c) { return c == ' '; }

// Copies `size` bytes into a note, cut to fit and always terminated.
void copy_text(char* out, const unsigned char* text, std::size_t size) {
    const std::size_t n = size < NOTE_TEXT_SIZE - 1 ? size : NOTE_TEXT_SIZE - 1;
    if (n > 0) std::memcpy(out, text, n);
    out[n] = '\0';
}

// A "<" or ">" cell whose rest is no number (with a decimal point or a
// decimal comma): no limit is given.
bool is_limitless_marker(const unsigned char* text, std::size_t size) {
    if (size == 0 || (text[0] != '<' && text[0] != '>')) return false;
    for (const char point : {'.', ','}) {
        CellTextScan scan;
        begin_cell_text(scan);
        for (std::size_t i = 1; i < size; ++i) feed_cell_text(scan, text[i], point);
        if (cell_text_is_empty(scan)) return true;
        if (cell_text_is_number(scan)) return false;
    }
    return true;
}

// One cell at (row, column) from the origin; `text` as written, `is_text`
// when it holds no number.
void note_cell(CellNotes& notes, long row, long column, const unsigned char* text, std::size_t size, bool is_text,
               bool first_row_titles) {
    if (row < 0 || column < 0 || column >= MAX_COLUMNS || row >= MAX_ROWS) return;
    if (row < NOTE_PREVIEW_ROWS) copy_text(notes.preview[row][column].text, text, size);
    const bool marker = size > 0 && (text[0] == '<' || text[0] == '>');
    if (row == 0 && (first_row_titles || (is_text && !marker))) {
        copy_text(notes.titles[column].text, text, size);
        return;
    }
    if (is_text && is_limitless_marker(text, size)) {
        if (notes.limitless_count < NOTE_LIMITLESS_EXAMPLES) {
            LimitlessCell& cell = notes.limitless[notes.limitless_count];
            cell.row = row;
            cell.column = column;
            copy_text(cell.text, text, size);
        }
        ++notes.limitless_count;
    }
}



struct TextNoting {
    const unsigned char* text;
    TextFormat format;
    bool first_row_titles;
    CellNotes* notes;
};

void no_cell(const TextCell&, void*) {}

// The field's bytes as written, without the spaces around it and, in
// comma-separated text, without its quotes (a doubled quote inside is kept
// as it stands: this is for reading, not for reading back).
void written_bytes(const unsigned char* text, TextFormat format, std::size_t& begin, std::size_t& end) {
    while (begin < end && is_space(text[begin])) ++begin;
    while (end > begin && is_space(text[end - 1])) --end;
    if (format == TextFormat::Commas && end - begin >= 2 && text[begin] == '"' && text[end - 1] == '"') {
        ++begin;
        --end;
    }
}

// A cell of the table's window (the others are not read).
void note_text_cell(const TextCell& cell, void* context) {
    if (!cell.read) return;
    TextNoting& noting = *static_cast<TextNoting*>(context);
    std::size_t begin = cell.text_begin, end = cell.text_end;
    written_bytes(noting.text, noting.format, begin, end);
    note_cell(*noting.notes, static_cast<long>(cell.window_row), static_cast<long>(cell.window_column),
              noting.text + begin, end - begin, !cell.is_number, noting.first_row_titles);
}

}  // namespace

void note_text_cells(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                     bool first_row_titles, CellNotes& notes) {
    clear_notes(notes);
    // The extent first, reading no cell (the window lies beyond every one),
    // then the cells of the window from the table's origin.
    const std::size_t beyond = static_cast<std::size_t>(-1);
    const TextExtent extent = scan_text_window(text, size, format, decimal_comma, TextWindow{true, beyond, beyond},
                                               no_cell, nullptr);
    if (!extent.any) return;
    TextNoting noting{text, format, first_row_titles, &notes};
    scan_text_window(text, size, format, decimal_comma, TextWindow{true, extent.lowest_row, extent.lowest_column},
                     note_text_cell, &noting);
}

void note_wk1_cells(const unsigned char* block, std::size_t size, bool first_row_titles, CellNotes& notes) {
    clear_notes(notes);
    unsigned lowest_row = 0xFFFF, lowest_column = 0xFFFF;
    for_each_wk1_record(block, size, [&](unsigned type, std::size_t length, const unsigned char* body) {
        if (type == WK1_EOF || !is_wk1_cell_record(type, length)) return;
        lowest_row = std::min(lowest_row, wk1_u16(body + WK1_CELL_ROW));
        lowest_column = std::min(lowest_column, wk1_u16(body + WK1_CELL_COLUMN));
    });
    for_each_wk1_record(block, size, [&](unsigned type, std::size_t length, const unsigned char* body) {
        if (type == WK1_EOF || !is_wk1_cell_record(type, length)) return;
        const unsigned column = wk1_u16(body + WK1_CELL_COLUMN), row = wk1_u16(body + WK1_CELL_ROW);
        const long r = static_cast<long>(row) - static_cast<long>(lowest_row);
        const long c = static_cast<long>(column) - static_cast<long>(lowest_column);
        if (type == WK1_LABEL) {
            // The alignment prefix, then the text up to its NUL.
            if (length < WK1_CELL_VALUE + 2) return;
            const unsigned char* text = body + WK1_CELL_VALUE + 1;
            const std::size_t room = length - WK1_CELL_VALUE - 1;
            std::size_t n = 0;
            while (n < room && text[n] != 0) ++n;
            note_cell(notes, r, c, text, n, true, first_row_titles);
            return;
        }
        double value = 0;
        if (type == WK1_INTEGER && length >= WK1_INTEGER_BODY_SIZE) {
            value = static_cast<double>(static_cast<short>(wk1_u16(body + WK1_CELL_VALUE)));
        } else if (length >= WK1_NUMBER_BODY_SIZE) {
            value = wk1_f64(body + WK1_CELL_VALUE);
        }
        char written[NOTE_TEXT_SIZE];
        const int n = is_missing_value(value) ? 0 : std::snprintf(written, sizeof written, "%.15g", value);
        note_cell(notes, r, c, reinterpret_cast<const unsigned char*>(written),
                  n > 0 ? static_cast<std::size_t>(n) : 0, false, first_row_titles);
    });
}

void clear_notes(CellNotes& notes) { std::memset(&notes, 0, sizeof notes); }
