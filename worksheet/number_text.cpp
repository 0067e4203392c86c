// Fixed-point texts by integer arithmetic and integer texts by
// std::to_chars.
#include "worksheet/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Longest text small_fixed writes, with room to spare: a sign, 19 digits,
// the point and four decimals.
constexpr int NUMBER_ROOM = 32;

// Copies prefix, the number right-aligned in `width`, and suffix into out
// when the whole fits with its terminator; returns the length, or -1. (The
// pieces are a few characters each: copied one by one.)
int assemble(char* out, std::size_t size, const char* prefix, const char* number, int length, int width,
             const char* suffix) {
    const std::size_t prefix_length = std::strlen(prefix);
    const std::size_t suffix_length = std::strlen(suffix);
    const std::size_t padding = length < width ? static_cast<std::size_t>(width - length) : 0;
    const std::size_t total = prefix_length + padding + static_cast<std::size_t>(length) + suffix_length;
    if (total >= size) return -1;
    char* at = out;
    for (std::size_t i = 0; i < prefix_length; ++i) *at++ = prefix[i];
    for (std::size_t i = 0; i < padding; ++i) *at++ = ' ';
    for (int i = 0; i < length; ++i) *at++ = number[i];
    for (std::size_t i = 0; i < suffix_length; ++i) *at++ = suffix[i];
    *at = '\0';
    return static_cast<int>(total);
}

// "%.<precision>f" of a finite value, for precisions up to 4 and values
// below 2^53 or so, by integer arithmetic: v = m 2^e, so v 10^p is
// m 5^p 2^(e+p), and m 5^p < 2^63. Rounded to the nearest integer N, ties
// to even, as printf rounds the exact value; then N with a point p digits
// from the right. Returns the length, or 0 when the value is outside that
// range (snprintf writes it then).
int small_fixed(char* out, double value, int precision) {
    static const uint64_t POWERS_OF_FIVE[] = {1, 5, 25, 125, 625};
    static const uint64_t POWERS_OF_TEN[] = {1, 10, 100, 1000, 10000};
    if (precision < 0 || precision > 4) return 0;
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
    if (biased != 0) mantissa |= uint64_t{1} << 52;
    const int exponent = (biased != 0 ? biased : 1) - 1075;  // value = mantissa * 2^exponent
    const uint64_t scaled = mantissa * POWERS_OF_FIVE[precision];
    const int shift = -(exponent + precision);  // N = scaled / 2^shift
    uint64_t n = 0;
    if (shift <= 0) {
        if (shift < -10 || scaled > (uint64_t{1} << 53) * 1024 >> -shift) return 0;
        n = scaled << -shift;
    } else if (shift < 64) {
        n = scaled >> shift;
        const uint64_t rest = scaled & ((uint64_t{1} << shift) - 1);
        const uint64_t half = uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && (n & 1) != 0)) ++n;
    }  // else below half of the last place: N = 0
    const uint64_t whole = n / POWERS_OF_TEN[precision];
    uint64_t fraction = n % POWERS_OF_TEN[precision];
    char* at = out;
    if (negative) *at++ = '-';
    // At most 20 digits: with the sign, the point and the decimals well
    // inside NUMBER_ROOM.
    at = std::to_chars(at, at + 20, whole).ptr;
    if (precision > 0) {
        *at++ = '.';
        for (int i = precision - 1; i >= 0; --i) {
            at[i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        at += precision;
    }
    return static_cast<int>(at - out);
}

}  // namespace

int print_fixed(char* out, std::size_t size, double value, int precision, int width, const char* prefix,
                const char* suffix) {
    if (std::isfinite(value)) {
        char number[NUMBER_ROOM];
        const int length = small_fixed(number, value, precision);
        if (length > 0) {
            const int written = assemble(out, size, prefix, number, length, width, suffix);
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
