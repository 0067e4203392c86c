// What the command line does with a worksheet given as text before the text
// reader sees it: text saved as UTF-16 (with its byte order mark, as
// spreadsheets save "Unicode text") becomes UTF-8, and cells that hold a
// number written with the other decimal separator are found, so that the
// user learns why they were read as missing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// True when `bytes` start with a UTF-16 byte order mark (FF FE or FE FF).
bool has_utf16_mark(const std::vector<unsigned char>& bytes);

// When `bytes` start with a UTF-16 byte order mark (FF FE little-endian,
// FE FF big-endian), rewrites them as UTF-8 without the mark and returns
// true. A lone surrogate or a last odd byte becomes U+FFFD.
bool convert_utf16_text(std::vector<unsigned char>& bytes);

struct OtherPointCells {
    std::size_t count;    // cells read as missing that are numbers with the other separator
    std::string example;  // the first of them, trimmed of spaces
};

// Cells of tab-separated text that are not numbers with the decimal point in
// use ("," with a decimal comma, else ".") but are with the other one.
OtherPointCells find_other_point_cells(const std::vector<unsigned char>& text, bool decimal_comma);
