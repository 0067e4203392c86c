// Result text buffers, the append rules and the clipboard writer.
#include "worksheet/result_text.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "worksheet/decimal_comma.h"
#include "worksheet/number_text.h"

char result_text[RESULT_TEXT_CAPACITY + 1];
char line_text[LINE_TEXT_CAPACITY + 2];
char cell_text[CELL_TEXT_CAPACITY];
char row_labels[ROW_LABEL_COUNT][ROW_LABEL_CAPACITY];
char result_cells[RESULT_ROW_COUNT][MAX_COLUMNS][RESULT_CELL_CAPACITY];
double correlation_r[MAX_COLUMNS][MAX_COLUMNS];
int32_t correlation_n[MAX_COLUMNS][MAX_COLUMNS];

namespace {

// Lengths of result_text and line_text, kept by every writer below so that
// no append has to measure a buffer of up to 1.8 million characters.
int result_length = 0;
int line_length = 0;

int bounded_length(const char* text, int limit) {
    int n = 0;
    while (n < limit && text[n] != '\0') ++n;
    return n;
}

// Copies at most `capacity - 1` characters and terminates.
void copy_cut(char* out, int capacity, const char* text) {
    const int n = bounded_length(text, capacity - 1);
    std::memcpy(out, text, static_cast<std::size_t>(n));
    out[n] = '\0';
}

// The analyses address rows and columns of their own layout, never ones
// read from input: an index outside the tables is a programming error,
// asserted in a check build and ignored otherwise.
bool valid_result_cell(int row, int column) {
    return row >= 0 && row < RESULT_ROW_COUNT && column >= 0 && column < MAX_COLUMNS;
}
bool valid_label_row(int row) { return row >= 0 && row < ROW_LABEL_COUNT; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Whether std::atof(text) > CELL_MISSING. The texts the reports write
// mostly answer at a glance: a number without a minus sign, a "<" or ">"
// code or "#n/a" (atof reads 0 of those), or a minus sign and at most
// eight digits before the point are all above it; anything else is read.
bool reads_above_missing(const char* text) {
    const char* p = text;
    while (*p == ' ') ++p;
    if (is_digit(*p) || *p == '<' || *p == '>' || *p == '#') return true;
    if (*p == '-') {
        int digits = 0;
        while (is_digit(p[1 + digits]) && digits <= 8) ++digits;
        const char after = p[1 + digits];
        if (digits >= 1 && digits <= 8 && (after == '.' || after == '\0')) return true;
    }
    return std::atof(text) > CELL_MISSING;
}

}  // namespace

int result_text_length() { return result_length; }
int line_text_length() { return line_length; }

void start_result_text(const char* title) {
    result_length = bounded_length(title, RESULT_TEXT_CAPACITY);
    std::memcpy(result_text, title, static_cast<std::size_t>(result_length));
    result_text[result_length] = '\0';
}

void clear_line_text() {
    line_length = 0;
    line_text[0] = '\0';
}

void set_line_text(const char* text) {
    line_length = bounded_length(text, LINE_TEXT_CAPACITY - 1);
    std::memcpy(line_text, text, static_cast<std::size_t>(line_length));
    line_text[line_length] = '\0';
}

void append_cell(const char* cell) {
    const int n = bounded_length(cell, LINE_TEXT_CAPACITY);
    if (n == 0 || line_length + n >= LINE_TEXT_CAPACITY) return;
    std::memcpy(line_text + line_length, cell, static_cast<std::size_t>(n));
    line_length += n;
    line_text[line_length] = '\0';
}

void append_newline() {
    // The buffer keeps room for one newline beyond the capacity of rule 1.
    if (line_length > LINE_TEXT_CAPACITY) return;
    line_text[line_length++] = '\n';
    line_text[line_length] = '\0';
}

void append_line_to_result() {
    if (result_length + line_length >= RESULT_TEXT_CAPACITY) return;
    std::memcpy(result_text + result_length, line_text, static_cast<std::size_t>(line_length));
    result_length += line_length;
    result_text[result_length] = '\0';
}

void begin_labelled_line(int row) {
    assert(valid_label_row(row));
    if (!valid_label_row(row)) {
        clear_line_text();
        return;
    }
    set_line_text(row_labels[row]);
}

void set_row_label(int row, const char* label) {
    assert(valid_label_row(row));
    if (!valid_label_row(row)) return;
    copy_cut(row_labels[row], ROW_LABEL_CAPACITY, label);
}

void format_result_value(char* out, double value) {
    if (!std::isfinite(value)) value = CELL_MISSING;
    // Wide enough for "%.4lf" of any finite double.
    char wide[400];
    if (print_fixed(wide, sizeof wide, value, 4) < RESULT_CELL_CAPACITY) {
        copy_cut(out, RESULT_CELL_CAPACITY, wide);
        return;
    }
    // Too wide for a cell: the most significant digits that fit, never a
    // cut-off number.
    for (int precision = 17; precision >= 1; --precision) {
        std::snprintf(wide, sizeof wide, "%.*g", precision, value);
        if (std::strlen(wide) < RESULT_CELL_CAPACITY) break;
    }
    copy_cut(out, RESULT_CELL_CAPACITY, wide);
}

void set_result_value(int row, int column, double value) {
    assert(valid_result_cell(row, column));
    if (!valid_result_cell(row, column)) return;
    format_result_value(result_cells[row][column], value);
}

void set_result_text(int row, int column, const char* text) {
    assert(valid_result_cell(row, column));
    if (!valid_result_cell(row, column)) return;
    copy_cut(result_cells[row][column], RESULT_CELL_CAPACITY, text);
}

void append_value_texts(int row) {
    assert(row >= 0 && row < RESULT_ROW_COUNT);
    if (row < 0 || row >= RESULT_ROW_COUNT) return;
    const int columns = used_columns();
    for (int i = 1; i < columns; ++i) {
        const char* text = result_cells[row][i];
        cell_text[0] = '\t';
        copy_cut(cell_text + 1, RESULT_CELL_CAPACITY, reads_above_missing(text) ? text : "#n/a");
        append_cell(cell_text);
    }
}

void append_matrix_row(int row) {
    assert(row >= 0 && row < MAX_COLUMNS);
    if (row < 0 || row >= MAX_COLUMNS) return;
    const int columns = used_columns();
    for (int i = 0; i < columns; ++i) {
        if (i < row) {
            const double x = correlation_r[row][i];
            if (is_available(x))
                print_fixed(cell_text, sizeof cell_text, x, 4, 12, "", "\t");
            else
                std::snprintf(cell_text, sizeof cell_text, "\t");
        } else {
            print_integer(cell_text, sizeof cell_text, correlation_n[row][i], 12, "", "\t");
        }
        append_cell(cell_text);
    }
}

int publish_result_text(platform::WindowHandle owner, const char* text) {
    const std::size_t n = std::strlen(text);
    if (n < 2) return PUBLISH_TOO_SHORT;
    const platform::MemoryHandle block = platform::global_alloc(n + 1);
    if (block == nullptr) return PUBLISH_NO_MEMORY;
    auto* bytes = static_cast<char*>(platform::global_lock(block));
    if (bytes == nullptr) {
        platform::global_free(block);
        return PUBLISH_CANNOT_LOCK;
    }
    std::memcpy(bytes, text, n);  // the zeroed last byte terminates the text
    platform::global_unlock(block);
    if (!platform::open_clipboard(owner)) {
        platform::global_free(block);
        return PUBLISH_NOT_TAKEN;
    }
    platform::empty_clipboard();
    const bool taken = platform::set_clipboard_data(platform::TEXT_FORMAT, block);
    platform::close_clipboard();
    if (!taken) {
        platform::global_free(block);
        return PUBLISH_NOT_TAKEN;
    }
    return PUBLISH_OK;
}

bool results_with_decimal_comma = false;

int publish_results(platform::WindowHandle owner) {
    if (results_with_decimal_comma) write_decimal_comma(result_text, static_cast<std::size_t>(result_text_length()));
    const int result = publish_result_text(owner, result_text);
    if (result != PUBLISH_OK) platform::show_application_message("Error while writing results to Clipboard");
    return result;
}

void reset_result_buffers() {
    std::memset(result_text, 0, sizeof result_text);
    std::memset(line_text, 0, sizeof line_text);
    std::memset(cell_text, 0, sizeof cell_text);
    std::memset(row_labels, 0, sizeof row_labels);
    std::memset(result_cells, 0, sizeof result_cells);
    std::memset(correlation_r, 0, sizeof correlation_r);
    std::memset(correlation_n, 0, sizeof correlation_n);
    result_length = 0;
    line_length = 0;
    results_with_decimal_comma = false;
}
