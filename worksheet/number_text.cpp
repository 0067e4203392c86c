// Fixed-point and integer texts by std::to_chars.
#include "worksheet/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Longest "%.*f" text of a finite double at the precisions the reports
// use, with room to spare: 309 integer digits, sign, point, decimals.
constexpr int NUMBER_ROOM = 400;

// Copies prefix, the number right-aligned in `width`, and suffix into out
// when the whole fits with its terminator; returns the length, or -1.
int assemble(char* out, std::size_t size, const char* prefix, const char* number, int length, int width,
             const char* suffix) {
    const std::size_t prefix_length = std::strlen(prefix);
    const std::size_t suffix_length = std::strlen(suffix);
    const std::size_t padding = length < width ? static_cast<std::size_t>(width - length) : 0;
    const std::size_t total = prefix_length + padding + static_cast<std::size_t>(length) + suffix_length;
    if (total >= size) return -1;
    char* at = out;
    std::memcpy(at, prefix, prefix_length);
    at += prefix_length;
    std::memset(at, ' ', padding);
    at += padding;
    std::memcpy(at, number, static_cast<std::size_t>(length));
    at += length;
    std::memcpy(at, suffix, suffix_length);
    at += suffix_length;
    *at = '\0';
    return static_cast<int>(total);
}

}  // namespace

int print_fixed(char* out, std::size_t size, double value, int precision, int width, const char* prefix,
                const char* suffix) {
    if (std::isfinite(value) && precision >= 0 && precision <= 20) {
        char number[NUMBER_ROOM];
        const std::to_chars_result r =
            std::to_chars(number, number + sizeof number, value, std::chars_format::fixed, precision);
        if (r.ec == std::errc()) {
            const int written = assemble(out, size, prefix, number, static_cast<int>(r.ptr - number), width, suffix);
            if (written >= 0) return written;
        }
    }
    return std::snprintf(out, size, "%s%*.*f%s", prefix, width, precision, value, suffix);
}

int print_integer(char* out, std::size_t size, long value, int width, const char* prefix, const char* suffix) {
    char number[32];
    const std::to_chars_result r = std::to_chars(number, number + sizeof number, value);
    if (r.ec == std::errc()) {
        const int written = assemble(out, size, prefix, number, static_cast<int>(r.ptr - number), width, suffix);
        if (written >= 0) return written;
    }
    return std::snprintf(out, size, "%s%*ld%s", prefix, width, value, suffix);
}
