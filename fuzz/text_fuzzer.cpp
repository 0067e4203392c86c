// Fuzz target: worksheets copied as text (tab- or comma-separated). Byte 0
// chooses the text format (bits 0-1: tabs, commas, commas with a decimal
// comma, tabs with a decimal comma) and the mode (bit 2):
//  - cell mode: the rest is the text of one cell; whether it is a number and
//    which double it is must agree with strtod on the same digits;
//  - worksheet mode: byte 1 chooses the analysis and options as the first
//    header byte of the pipeline target does; the rest is the text. The
//    text step's WK1 stream must fit its capacity and decode without error,
//    every cell must be a marker or a value inside the missing bound, and
//    the whole program run on it must meet every invariant. The window scan
//    must split as the plain scan does and read exactly the cells of the
//    window; the step's result must agree with a plain scan of the whole
//    text (values, extent); UTF-16 text becomes well-formed UTF-8, and the
//    count of cells with the other decimal separator stays within the
//    text's cells.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/pipeline_check.h"
#include "worksheet/limit_table.h"
#include "worksheet/text_input.h"
#include "worksheet/text_number.h"

namespace {

[[noreturn]] void broken(const std::string& what) {
    std::fprintf(stderr, "INVARIANT BROKEN: %s\n", what.c_str());
    std::abort();
}

// The cell number syntax, written out once more: spaces, an optional sign,
// digits with an optional decimal point (at least one digit), an optional
// exponent, spaces.
bool is_number_text(const std::string& s, char point) {
    std::size_t i = 0, n = s.size();
    while (i < n && s[i] == ' ') ++i;
    while (n > i && s[n - 1] == ' ') --n;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < n && s[i] == point) {
        ++i;
        while (i < n && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponent_digits = 0;
        while (i < n && s[i] >= '0' && s[i] <= '9') ++i, ++exponent_digits;
        if (exponent_digits == 0) return false;
    }
    return i == n;
}

// The same double bit for bit: -0 is not 0.
bool same_double(double a, double b) {
    uint64_t bits_a = 0, bits_b = 0;
    std::memcpy(&bits_a, &a, sizeof a);
    std::memcpy(&bits_b, &b, sizeof b);
    return bits_a == bits_b;
}

// The limit of a "<" or ">" cell: what follows the sign, when that is
// wholly a number (by the fuzzer's own syntax and strtod) inside the bound.
void check_limit(const std::string& s, char point, const CellReading& reading) {
    double expected = NO_LIMIT;
    const std::size_t first = s.find_first_not_of(' ');
    if (!reading.is_number && is_marker(reading.value) && first != std::string::npos) {
        const std::string rest = s.substr(first + 1);
        if (is_number_text(rest, point)) {
            std::string c_text = rest;
            for (char& ch : c_text)
                if (ch == point) ch = '.';
            const double v = std::strtod(c_text.c_str(), nullptr);
            if (is_real_value(v)) expected = limit_entry(v);
        }
    }
    if (!same_double(reading.limit, expected)) broken("the limit of \"" + s.substr(0, 80) + "\"");
}

void check_cell(const uint8_t* text, std::size_t size, char point) {
    if (size > 4096) return;  // strtod on megabytes of digits only costs time
    CellTextScan scan;
    begin_cell_text(scan);
    for (std::size_t i = 0; i < size; ++i) feed_cell_text(scan, text[i], point);
    const std::string s(reinterpret_cast<const char*>(text), size);
    const bool number = is_number_text(s, point);
    if (cell_text_is_number(scan) != number) broken("number syntax disagrees on \"" + s.substr(0, 80) + "\"");
    const double value = cell_text_value(scan);
    const CellReading quick = read_cell_text(text, size, point);
    if (quick.empty != cell_text_is_empty(scan) || quick.is_number != cell_text_is_number(scan) ||
        (!quick.empty && !same_double(quick.value, value)))
        broken("the quick reading disagrees on \"" + s.substr(0, 80) + "\"");
    if (value != CELL_MISSING && value != CELL_SMALL && value != CELL_BIG && !(value > -MISSING_BOUND && value < MISSING_BOUND))
        broken("cell value outside the bound");
    check_limit(s, point, quick);
    if (!number) return;
    std::string c_text = s;
    for (char& ch : c_text)
        if (ch == point) ch = '.';
    const double expected = std::strtod(c_text.c_str(), nullptr);
    const double got = cell_text_number(scan);
    if (!same_double(expected, got)) {
        char detail[128];
        std::snprintf(detail, sizeof detail, " gives %.17g, strtod %.17g", got, expected);
        broken("\"" + s.substr(0, 80) + "\"" + detail);
    }
}

// Well-formed UTF-8: shortest forms, no surrogates, nothing above U+10FFFF.
bool is_utf8(const std::vector<unsigned char>& b) {
    std::size_t i = 0;
    while (i < b.size()) {
        const unsigned c = b[i];
        std::size_t extra = 0;
        unsigned long code = 0, least = 0;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; code = c & 0x1F; least = 0x80; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; code = c & 0x0F; least = 0x800; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; code = c & 0x07; least = 0x10000; }
        else return false;
        if (i + extra >= b.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((b[i + k] & 0xC0) != 0x80) return false;
            code = (code << 6) | (b[i + k] & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

void check_utf16(const uint8_t* text, std::size_t size) {
    std::vector<unsigned char> bytes;
    const bool utf16 = size >= 2 && ((text[0] == 0xFF && text[1] == 0xFE) || (text[0] == 0xFE && text[1] == 0xFF));
    if (utf16_to_utf8(text, size, bytes) != utf16) broken("UTF-16 text not told by its byte order mark");
    if (!utf16) return;
    if (!is_utf8(bytes)) broken("UTF-16 text did not become well-formed UTF-8");
    if (bytes.size() > (size / 2) * 3 + 3) broken("UTF-8 of UTF-16 text longer than three bytes a unit");
}

// What the plain scan sees of the text: every cell, read.
struct PlainScan {
    std::vector<TextCell> cells;
    bool values = false;
};

void keep_cell(const TextCell& cell, void* context) {
    auto* plain = static_cast<PlainScan*>(context);
    const double v = cell.value;
    if (v != CELL_MISSING && v != CELL_SMALL && v != CELL_BIG && !(v > -MISSING_BOUND && v < MISSING_BOUND))
        broken("a text cell outside the bound");
    if (!plain->cells.empty()) {
        const TextCell& last = plain->cells.back();
        if (cell.row < last.row || (cell.row == last.row && cell.column <= last.column))
            broken("text cells out of order");
    }
    plain->cells.push_back(cell);
    if (!is_missing_value(cell.value)) plain->values = true;
}

struct WindowScan {
    const PlainScan* plain;
    std::size_t next;
    TextWindow window;
};

// The window scan visits the plain scan's cells in order, reads those of the
// window and gives them the same values.
void compare_cell(const TextCell& cell, void* context) {
    auto* scan = static_cast<WindowScan*>(context);
    if (scan->next >= scan->plain->cells.size()) broken("the window scan visits more cells");
    const TextCell& plain = scan->plain->cells[scan->next++];
    if (cell.row != plain.row || cell.column != plain.column || cell.text_begin != plain.text_begin ||
        cell.text_end != plain.text_end)
        broken("the window scan splits differently");
    const bool inside = cell.row >= scan->window.row && cell.column >= scan->window.column &&
                        cell.row - scan->window.row < static_cast<std::size_t>(MAX_ROWS) &&
                        cell.column - scan->window.column < static_cast<std::size_t>(MAX_COLUMNS);
    if (cell.read != inside) broken("the window scan reads another set of cells");
    if (cell.read && (!same_double(cell.value, plain.value) || cell.is_number != plain.is_number))
        broken("the window scan reads a cell differently");
}

void check_text_step(const uint8_t* text, std::size_t size, TextFormat format, bool decimal_comma) {
    std::vector<unsigned char> utf8;
    const unsigned char* plain_text = text;
    std::size_t plain_size = size;
    if (utf16_to_utf8(text, size, utf8)) {
        plain_text = utf8.data();
        plain_size = utf8.size();
    }
    PlainScan plain;
    const TextExtent extent = scan_text_cells(plain_text, plain_size, format, decimal_comma, keep_cell, &plain);
    if (extent.any != !plain.cells.empty()) broken("the extent of a text without cells");
    if (extent.any) {
        WindowScan scan{&plain, 0, TextWindow{true, extent.lowest_row, extent.lowest_column}};
        scan_text_window(plain_text, plain_size, format, decimal_comma, scan.window, compare_cell, &scan);
        if (scan.next != plain.cells.size()) broken("the window scan visits fewer cells");
    }

    static uint8_t block[TEXT_WK1_CAPACITY];
    const TextBlock step = text_worksheet_block(
        text, size, TextRequest{format, decimal_comma, OtherPointScope::Whole, false}, block, sizeof block);
    if (step.values != plain.values) broken("the step's values disagree with the plain scan");
    const long rows = extent.any ? static_cast<long>(extent.highest_row - extent.lowest_row + 1) : 0;
    const long columns = extent.any ? static_cast<long>(extent.highest_column - extent.lowest_column + 1) : 0;
    if (step.extent_rows != rows || step.extent_columns != columns) broken("the step's extent");
    if (step.other_point_count > plain.cells.size()) broken("more cells with the other separator than cells");
    const std::size_t example = std::strlen(step.other_point_example);
    if ((step.other_point_count == 0) != (example == 0)) broken("the example of a cell with the other separator");
    if (example > OTHER_POINT_EXAMPLE_BYTES) broken("the example of a cell with the other separator is too long");
    const TextBlock windowed = text_worksheet_block(
        text, size, TextRequest{format, decimal_comma, OtherPointScope::Window, false}, block, sizeof block);
    if (windowed.other_point_count > step.other_point_count) broken("more such cells in the window than in all");
}

uint8_t stream[fuzz::HEADER_BYTES + TEXT_WK1_CAPACITY];

void check_worksheet(uint8_t choice, const uint8_t* text, std::size_t size, TextFormat format, bool decimal_comma) {
    uint8_t* wk1 = stream + fuzz::HEADER_BYTES;
    const TextBlock step = text_worksheet_block(
        text, size, TextRequest{format, decimal_comma, OtherPointScope::None, false}, wk1, TEXT_WK1_CAPACITY);
    const std::size_t n = step.block_size;
    if (n == 0 || n > TEXT_WK1_CAPACITY) broken("the WK1 stream of a text does not fit");
    if (text_worksheet_block(text, size, TextRequest{format, decimal_comma, OtherPointScope::None, false}, wk1,
                             TEXT_WK1_CAPACITY - 1)
            .block_size != 0)
        broken("a stream written into too small a buffer");
    reset_process_state();
    const int decoded = decode_wk1(wk1, n);
    if (decoded != WK1_OK) broken("the WK1 stream of a text does not decode: " + std::to_string(decoded));
    if (const char* problem = fuzz::limit_table_problem()) broken(problem);
    reset_process_state();
    if (decode_text_worksheet(text, size, format, decimal_comma) != WK1_OK) broken("decode_text_worksheet failed");

    stream[0] = choice;
    stream[1] = 0;  // no fault
    fuzz::run_and_check(stream, fuzz::HEADER_BYTES + n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const unsigned format_bits = data[0] & 3u;
    const TextFormat format = format_bits == 1 || format_bits == 2 ? TextFormat::Commas : TextFormat::Tabs;
    const bool decimal_comma = format_bits >= 2;
    if ((data[0] & 4u) != 0) {
        check_cell(data + 1, size - 1, decimal_comma ? ',' : '.');
        return 0;
    }
    if (size < 2) return 0;
    check_worksheet(data[1], data + 2, size - 2, format, decimal_comma);
    check_text_step(data + 2, size - 2, format, decimal_comma);
    check_utf16(data + 2, size - 2);
    return 0;
}
