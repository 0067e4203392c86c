// The kept limits of "<" and ">" cells.
#include "worksheet/limit_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#if __has_include(<charconv>)
#include <charconv>
#endif

#include "worksheet/text_number.h"

double cell_limit[MAX_ROWS][MAX_COLUMNS];
int limit_cells_kept = 0;

void clear_limit_table() {
    if (limit_cells_kept == 0) return;
    std::memset(cell_limit, 0, sizeof cell_limit);
    limit_cells_kept = 0;
}

void reset_limit_table() {
    std::memset(cell_limit, 0, sizeof cell_limit);
    limit_cells_kept = 0;
}

double read_limit_text(const unsigned char* text, std::size_t size, char decimal_point) {
    if (text == nullptr) return NO_LIMIT;
    const CellReading rest = read_cell_number(text, size, decimal_point);
    return limit_of(rest.is_number, rest.value);
}

std::size_t write_limit_label(char* out, char sign, double limit) {
    std::size_t n = 0;
    out[n++] = sign;
#if defined(__cpp_lib_to_chars)
    // The shortest text that reads back as the same double; always with ".".
    const std::to_chars_result written = std::to_chars(out + n, out + LIMIT_LABEL_CAPACITY - 1, limit);
    n = static_cast<std::size_t>(written.ptr - out);
#else
    // All 17 significant digits as an integer times a power of ten: no
    // decimal point, so the locale's cannot get in.
    char e_form[40];
    std::snprintf(e_form, sizeof e_form, "%.16e", limit);
    const char* p = e_form;
    if (*p == '-') out[n++] = *p++;
    for (; *p != '\0' && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') out[n++] = *p;
    const long exponent = *p == 'e' ? std::strtol(p + 1, nullptr, 10) - 16 : 0;
    n += static_cast<std::size_t>(std::snprintf(out + n, LIMIT_LABEL_CAPACITY - n, "e%ld", exponent));
#endif
    out[n] = '\0';
    return n;
}
