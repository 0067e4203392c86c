#include "cli/text_input.h"

#include <memory>

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
    OtherPointCells found{0, ""};
    const char used_point = decimal_comma ? ',' : '.';
    const char other_point = decimal_comma ? '.' : ',';
    // Each scan keeps a cell's digits; on the heap, not the stack.
    const auto used = std::make_unique<CellTextScan>();
    const auto other = std::make_unique<CellTextScan>();
    const std::size_t n = text.size();
    std::size_t at = n >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF ? 3 : 0;
    std::size_t field_start = at;

    begin_cell_text(*used);
    begin_cell_text(*other);
    for (;; ++at) {
        const bool end = at >= n;
        const bool line_break = !end && (text[at] == '\n' || (text[at] == '\r' && at + 1 < n && text[at + 1] == '\n'));
        if (end || line_break || text[at] == '\t') {
            if (!cell_text_is_empty(*used) && !cell_text_is_number(*used) && cell_text_is_number(*other)) {
                if (found.count++ == 0) {
                    std::size_t first = field_start, last = at;
                    while (first < last && text[first] == ' ') ++first;
                    while (last > first && text[last - 1] == ' ') --last;
                    if (last - first > MAX_EXAMPLE_BYTES) last = first + MAX_EXAMPLE_BYTES;
                    found.example.assign(text.begin() + static_cast<std::ptrdiff_t>(first),
                                         text.begin() + static_cast<std::ptrdiff_t>(last));
                }
            }
            if (end) break;
            if (text[at] == '\r') ++at;  // the "\r" of "\r\n"
            field_start = at + 1;
            begin_cell_text(*used);
            begin_cell_text(*other);
            continue;
        }
        feed_cell_text(*used, text[at], used_point);
        feed_cell_text(*other, text[at], other_point);
    }
    return found;
}
