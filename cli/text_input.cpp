#include "cli/text_input.h"

#include <memory>

#include "worksheet/text_cells.h"
#include "worksheet/text_number.h"

namespace {

void put_utf8(std::vector<unsigned char>& out, unsigned long code) {
    if (code < 0x80) {
        out.push_back(static_cast<unsigned char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<unsigned char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<unsigned char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<unsigned char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<unsigned char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<unsigned char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<unsigned char>(0x80 | (code & 0x3F)));
    }
}

constexpr unsigned long REPLACEMENT = 0xFFFD;

// An example cell is quoted in a message line; a longer one is cut.
constexpr std::size_t MAX_EXAMPLE_BYTES = 40;

bool is_high_surrogate(unsigned long u) { return u >= 0xD800 && u <= 0xDBFF; }
bool is_low_surrogate(unsigned long u) { return u >= 0xDC00 && u <= 0xDFFF; }

struct OtherPointSearch {
    const unsigned char* text;
    char other_point;    // the decimal point not in use
    CellTextScan* scan;  // reads a cell again with other_point
    OtherPointCells found;
};

// Counts a cell that is no number with the decimal point in use but is one
// with the other; the first of them becomes the example, trimmed of spaces.
void check_cell(const TextCell& cell, void* context) {
    OtherPointSearch& search = *static_cast<OtherPointSearch*>(context);
    if (cell.is_number) return;
    begin_cell_text(*search.scan);
    for (std::size_t at = cell.text_begin; at < cell.text_end; ++at)
        feed_cell_text(*search.scan, search.text[at], search.other_point);
    if (!cell_text_is_number(*search.scan) || search.found.count++ > 0) return;
    std::size_t first = cell.text_begin, last = cell.text_end;
    while (first < last && search.text[first] == ' ') ++first;
    while (last > first && search.text[last - 1] == ' ') --last;
    if (last - first > MAX_EXAMPLE_BYTES) last = first + MAX_EXAMPLE_BYTES;
    search.found.example.assign(search.text + first, search.text + last);
}

}  // namespace

bool has_utf16_mark(const std::vector<unsigned char>& bytes) {
    return bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF));
}

bool convert_utf16_text(std::vector<unsigned char>& bytes) {
    if (!has_utf16_mark(bytes)) return false;
    const bool little = bytes[0] == 0xFF;

    const std::size_t n = bytes.size();
    auto unit = [&](std::size_t at) -> unsigned long {
        const unsigned long a = bytes[at], b = bytes[at + 1];
        return little ? (a | (b << 8)) : ((a << 8) | b);
    };
    std::vector<unsigned char> out;
    out.reserve(n);
    std::size_t at = 2;
    while (at + 1 < n) {
        const unsigned long u = unit(at);
        at += 2;
        if (is_high_surrogate(u) && at + 1 < n && is_low_surrogate(unit(at))) {
            put_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(at) - 0xDC00));
            at += 2;
        } else {
            put_utf8(out, is_high_surrogate(u) || is_low_surrogate(u) ? REPLACEMENT : u);
        }
    }
    if (at < n) put_utf8(out, REPLACEMENT);
    bytes.swap(out);
    return true;
}

OtherPointCells find_other_point_cells(const std::vector<unsigned char>& text, bool decimal_comma) {
    // The scan keeps a cell's digits; on the heap, not the stack.
    const auto scan = std::make_unique<CellTextScan>();
    OtherPointSearch search{text.data(), decimal_comma ? '.' : ',', scan.get(), OtherPointCells{0, ""}};
    scan_text_cells(text.data(), text.size(), TextFormat::Tabs, decimal_comma, check_cell, &search);
    return search.found;
}
