// The "More statistics" report's table of rows and its text, and what its
// parts share in reading the data table.
#include "analyses/more_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "stats/censored_tests.h"
#include "stats/p_adjustment.h"

namespace {

const MoreRow* table_rows = nullptr;
int table_count = 0;
int table_first_column = 0;
double cells[MORE_MAX_ROWS][MAX_COLUMNS];
double holm[MAX_COLUMNS];
double bh[MAX_COLUMNS];

int32_t identity_order[MAX_ROWS];
bool seen[MAX_ROWS];
int32_t sort_index[MAX_ROWS];
double sort_values[MAX_ROWS];
int sort_rows[MAX_ROWS];

ColumnBounds column_bounds_of[MAX_COLUMNS];
CensoredCell column_cells[MAX_ROWS];
int column_cell_rows[MAX_ROWS];
int cell_upper[MAX_ROWS];
int cell_lower[MAX_ROWS];

// One cell's text into `text` (room for any "%.4f" of a double).
void format_cell(MoreFormat format, double v, char* text, int size) {
    const std::size_t room = static_cast<std::size_t>(size);
    if (!std::isfinite(v)) {
        std::snprintf(text, room, "#n/a");
        return;
    }
    switch (format) {
    case MoreFormat::Estimate: std::snprintf(text, room, "%.4f", v); return;
    case MoreFormat::Freedom: std::snprintf(text, room, "%.2f", v); return;
    case MoreFormat::Count:
        if (std::fabs(v) < 2147483647.0 && v == std::floor(v))
            std::snprintf(text, room, "%d", static_cast<int>(v));
        else
            std::snprintf(text, room, "#n/a");
        return;
    case MoreFormat::PValue: std::snprintf(text, room, v >= 0.0001 ? "%.4f" : "%.2e", v); return;
    case MoreFormat::Method: {
        static const char* const WORDS[] = {"exact", "exact-ties", "normal"};
        const bool known = v == static_cast<double>(METHOD_EXACT) || v == static_cast<double>(METHOD_EXACT_TIES) ||
                           v == static_cast<double>(METHOD_NORMAL);
        std::snprintf(text, room, "%s", known ? WORDS[static_cast<int>(v)] : "#n/a");
        return;
    }
    }
}

// Appends `text` at `length` when it and the terminator fit.
bool append(char* out, int capacity, int& length, const char* text, int text_length) {
    if (text_length >= capacity - length) return false;
    std::memcpy(out + length, text, static_cast<std::size_t>(text_length));
    length += text_length;
    out[length] = '\0';
    return true;
}

// A line of a label and the cells `values`, whole or not at all.
void append_row(char* out, int capacity, int& length, const char* label, const char* suffix, MoreFormat format,
                const double* values) {
    static char line[MAX_COLUMNS * 400 + 200];
    int n = std::snprintf(line, sizeof line, "%s%s", label, suffix);
    for (int c = table_first_column; c < used_columns() && n >= 0 && n < static_cast<int>(sizeof line); ++c) {
        char cell[400];
        format_cell(format, values[c], cell, sizeof cell);
        n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "\t%s", cell);
    }
    if (n < 0 || n + 1 >= static_cast<int>(sizeof line)) return;
    line[n++] = '\n';
    append(out, capacity, length, line, n);
}

}  // namespace

void start_more_rows(const MoreRow* rows, int count, int first_column) {
    table_rows = rows;
    table_count = std::clamp(count, 0, MORE_MAX_ROWS);
    table_first_column = first_column;
    for (int r = 0; r < MORE_MAX_ROWS; ++r)
        for (int c = 0; c < MAX_COLUMNS; ++c) cells[r][c] = std::nan("");
}

void set_more_cell(int row, int column, double value) {
    if (row < 0 || row >= table_count || column < 0 || column >= MAX_COLUMNS) return;
    cells[row][column] = value;
}

int write_more_rows(char* out, int capacity) {
    if (out == nullptr || capacity < 1) return 0;
    int length = 0;
    out[0] = '\0';
    static const char TITLE[] = "More statistics\n";
    append(out, capacity, length, TITLE, static_cast<int>(sizeof TITLE - 1));
    const int columns = used_columns();
    const bool adjusted = columns - table_first_column > 1;
    for (int r = 0; r < table_count; ++r) {
        const MoreRow& row = table_rows[r];
        append_row(out, capacity, length, row.label, "", row.format, cells[r]);
        if (row.format != MoreFormat::PValue || !adjusted) continue;
        for (int c = 0; c < MAX_COLUMNS; ++c) holm[c] = bh[c] = std::nan("");
        adjust_p_values(cells[r] + table_first_column, columns - table_first_column, holm + table_first_column,
                        bh + table_first_column);
        append_row(out, capacity, length, row.label, " (Holm)", row.format, holm);
        append_row(out, capacity, length, row.label, " (BH)", row.format, bh);
    }
    return length;
}

const int32_t* checked_order(int c) {
    const int n_rows = used_rows();
    const int32_t* order = c >= 0 && c < MAX_COLUMNS ? column_summaries[c].order : nullptr;
    bool valid = order != nullptr;
    std::memset(seen, 0, sizeof seen);
    for (int k = 0; valid && k < n_rows; ++k) {
        const int r = order[k];
        valid = r >= 0 && r < n_rows && !seen[r];
        if (valid) seen[r] = true;
    }
    if (valid) return order;
    for (int k = 0; k < n_rows; ++k) identity_order[k] = k;
    return identity_order;
}

bool find_censored_columns(int first_column) {
    bool any = false;
    for (int c = 0; c < used_columns() && c < MAX_COLUMNS; ++c) {
        column_bounds_of[c] = column_bounds(c);
        if (c >= first_column && column_bounds_of[c].any_censored) any = true;
    }
    return any;
}

const ColumnBounds& more_column_bounds(int c) {
    static const ColumnBounds none{0, 0, false};
    return c >= 0 && c < MAX_COLUMNS ? column_bounds_of[c] : none;
}

int code_column_bounds(int c, int* upper, int* lower) {
    const int32_t* order = checked_order(c);
    int n = 0;
    for (int k = 0; k < used_rows(); ++k) {
        const int r = order[k];
        upper[r] = lower[r] = -1;
        if (read_censored_cell(r, c, more_column_bounds(c), column_cells[n])) column_cell_rows[n++] = r;
    }
    const int codes = bound_codes(column_cells, n, cell_upper, cell_lower);
    for (int i = 0; i < n; ++i) {
        upper[column_cell_rows[i]] = cell_upper[i];
        lower[column_cell_rows[i]] = cell_lower[i];
    }
    return codes;
}

void sort_if_unsorted(double* values, int* rows, int n) {
    if (std::is_sorted(values, values + n) || n > MAX_ROWS) return;
    if (rows == nullptr) {  // equal values are alike: any sort is stable
        std::sort(values, values + n);
        return;
    }
    for (int i = 0; i < n; ++i) sort_index[i] = i;
    std::stable_sort(sort_index, sort_index + n, [values](int a, int b) { return values[a] < values[b]; });
    for (int i = 0; i < n; ++i) {
        sort_values[i] = values[sort_index[i]];
        sort_rows[i] = rows != nullptr ? rows[sort_index[i]] : 0;
    }
    std::memcpy(values, sort_values, sizeof(double) * static_cast<std::size_t>(n));
    if (rows != nullptr) std::memcpy(rows, sort_rows, sizeof(int) * static_cast<std::size_t>(n));
}
