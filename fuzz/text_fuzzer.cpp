// Fuzz target: worksheets copied as text (tab- or comma-separated). Byte 0
// chooses the text format (bits 0-1: tabs, commas, commas with a decimal
// comma, tabs with a decimal comma) and the mode (bit 2):
//  - cell mode: the rest is the text of one cell; whether it is a number and
//    which double it is must agree with strtod on the same digits;
//  - worksheet mode: byte 1 chooses the analysis and options as the first
//    header byte of the pipeline target does; the rest is the text. Its WK1
//    stream must fit its capacity and decode without error, every cell must
//    be a marker or a value inside the missing bound, and the whole program
//    run on it must meet every invariant. The command line's own steps run
//    on it too: UTF-16 text becomes well-formed UTF-8, and the count of cells
//    with the other decimal separator stays within the text's cells.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/text_input.h"
#include "fuzz/pipeline_check.h"
#include "worksheet/text_number.h"
#include "worksheet/text_reader.h"

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

void check_cell(const uint8_t* text, std::size_t size, char point) {
    if (size > 4096) return;  // strtod on megabytes of digits only costs time
    CellTextScan scan;
    begin_cell_text(scan);
    for (std::size_t i = 0; i < size; ++i) feed_cell_text(scan, text[i], point);
    const std::string s(reinterpret_cast<const char*>(text), size);
    const bool number = is_number_text(s, point);
    if (cell_text_is_number(scan) != number) broken("number syntax disagrees on \"" + s.substr(0, 80) + "\"");
    const double value = cell_text_value(scan);
    if (value != CELL_MISSING && value != CELL_SMALL && value != CELL_BIG && !(value > -MISSING_BOUND && value < MISSING_BOUND))
        broken("cell value outside the bound");
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

struct ScanState {
    std::size_t row;
    std::size_t column;
    bool any;
};

void visit(const TextCell& cell, void* context) {
    auto* state = static_cast<ScanState*>(context);
    const double v = cell.value;
    if (v != CELL_MISSING && v != CELL_SMALL && v != CELL_BIG && !(v > -MISSING_BOUND && v < MISSING_BOUND))
        broken("a text cell outside the bound");
    if (state->any && (cell.row < state->row || (cell.row == state->row && cell.column <= state->column)))
        broken("text cells out of order");
    state->row = cell.row;
    state->column = cell.column;
    state->any = true;
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

void check_cli_text_steps(const uint8_t* text, std::size_t size, bool decimal_comma) {
    std::vector<unsigned char> bytes(text, text + size);
    const bool utf16 = size >= 2 && ((text[0] == 0xFF && text[1] == 0xFE) || (text[0] == 0xFE && text[1] == 0xFF));
    if (convert_utf16_text(bytes) != utf16) broken("UTF-16 text not told by its byte order mark");
    if (utf16) {
        if (!is_utf8(bytes)) broken("UTF-16 text did not become well-formed UTF-8");
        if (bytes.size() > (size / 2) * 3 + 3) broken("UTF-8 of UTF-16 text longer than three bytes a unit");
    } else if (bytes.size() != size || (size > 0 && std::memcmp(bytes.data(), text, size) != 0)) {
        broken("text without a UTF-16 mark changed");
    }
    std::size_t fields = 1;
    for (std::size_t i = 0; i < size; ++i) fields += text[i] == '\t' || text[i] == '\n';
    const OtherPointCells other = find_other_point_cells(std::vector<unsigned char>(text, text + size), decimal_comma);
    if (other.count > fields) broken("more cells with the other separator than cells");
    if ((other.count == 0) != other.example.empty() || other.example.size() > 40)
        broken("the example of a cell with the other separator");
}

uint8_t stream[fuzz::HEADER_BYTES + TEXT_WK1_CAPACITY];

void check_worksheet(uint8_t choice, const uint8_t* text, std::size_t size, TextFormat format, bool decimal_comma) {
    ScanState state{0, 0, false};
    scan_text_cells(text, size, format, decimal_comma, visit, &state);

    uint8_t* wk1 = stream + fuzz::HEADER_BYTES;
    const std::size_t n = text_worksheet_to_wk1(text, size, format, decimal_comma, wk1, TEXT_WK1_CAPACITY);
    if (n == 0 || n > TEXT_WK1_CAPACITY) broken("the WK1 stream of a text does not fit");
    if (text_worksheet_to_wk1(text, size, format, decimal_comma, wk1, TEXT_WK1_CAPACITY - 1) != 0)
        broken("a stream written into too small a buffer");
    reset_process_state();
    const int decoded = decode_wk1(wk1, n);
    if (decoded != WK1_OK) broken("the WK1 stream of a text does not decode: " + std::to_string(decoded));
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
    check_cli_text_steps(data + 2, size - 2, decimal_comma);
    return 0;
}
