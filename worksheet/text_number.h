// Recognising the text of one worksheet cell, fed a byte at a time, and
// deciding what the cell holds: nothing, a decimal number, or other text.
//
// A number is an optional sign, digits with an optional decimal point (at
// least one digit in all), and an optional exponent ("e" or "E", an optional
// sign, digits), with spaces around it. The decimal point is "." or, for
// worksheets written with a decimal comma, ",". The value is the double that
// strtod gives for the same digits in the "C" locale, whatever the process
// locale and however many digits there are.
//
// Nothing is allocated: the significant digits are kept in a fixed buffer,
// long enough that the digits cut off beyond it can only break a tie, which
// one extra non-zero digit records.
#pragma once

#include <cfloat>
#include <cstddef>
#include <cstdint>

#include "worksheet/cell_rules.h"

// Significant digits kept. Telling two neighbouring doubles apart, or a
// double from the midpoint beside it, never needs more than 768 significant
// decimal digits; beyond them only "is the rest zero?" matters.
constexpr int TEXT_NUMBER_DIGITS = 800;

struct CellTextScan {
    int state;                // where the text stands in the number syntax
    bool has_text;            // a byte other than a space has been fed
    unsigned char first;      // that first byte
    bool negative;            // the mantissa's sign
    int digit_count;          // significant digits kept in `digits`
    bool dropped_non_zero;    // a non-zero digit beyond the kept ones
    long long scale;          // value = digits * 10^(scale + exponent)
    bool exponent_negative;
    long long exponent;       // saturates far beyond any double's range
    char digits[TEXT_NUMBER_DIGITS];
};

// Starts a new cell.
void begin_cell_text(CellTextScan& scan);

// Feeds the cell's next byte; `decimal_point` is '.' or ','.
void feed_cell_text(CellTextScan& scan, unsigned char byte, char decimal_point);

// True when the cell held only spaces (or nothing).
inline bool cell_text_is_empty(const CellTextScan& scan) { return !scan.has_text; }

// The cell's value: a number strictly inside (-999999999.999, +999999999.999)
// as it is, any other number CELL_MISSING; text starting with "<" CELL_SMALL,
// with ">" CELL_BIG, any other text CELL_MISSING. Not for an empty cell.
double cell_text_value(const CellTextScan& scan);

// True when the text fed so far is wholly a number.
bool cell_text_is_number(const CellTextScan& scan);

// That number, exactly as strtod reads it (an infinity when it overflows),
// before any range rule. Only for text that is a number.
double cell_text_number(const CellTextScan& scan);

// What a cell's whole text holds, read at once.
struct CellReading {
    bool empty;      // only spaces (or nothing)
    bool is_number;  // wholly a number
    double value;    // cell_text_value's value; CELL_MISSING for an empty cell
    double limit;    // a "<" or ">" cell's limit as the limit table keeps it
                     // (limit_table.h), read with the same decimal point;
                     // NO_LIMIT (0.0) for every other cell
};

// Reads `size` bytes of one cell's text: the answers of feeding them one by
// one to a CellTextScan, bit for bit. Numbers of the common forms are
// converted by an exact quick route (a correctly rounded conversion, which is
// what strtod gives); every other text goes through the byte-at-a-time scan.
CellReading read_cell_text(const unsigned char* text, std::size_t size, char decimal_point);

// The same reading without looking for a limit (limit is always NO_LIMIT):
// how the limit itself, the text after the sign, is read.
CellReading read_cell_number(const unsigned char* text, std::size_t size, char decimal_point);

// ---- The quick route ------------------------------------------------------

// The quick route needs double arithmetic rounded once, to double: not so
// where intermediate results are kept wider (the x87 unit of 32-bit x86).
constexpr bool DOUBLE_ROUNDS_ONCE = FLT_EVAL_METHOD == 0;

// 10^0 .. 10^22, each exactly a double.
constexpr double EXACT_POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                          1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr long long MAX_EXACT_POWER = 22;
constexpr std::uint64_t MAX_EXACT_INTEGER = std::uint64_t{1} << 53;
// Digits that always fit the 64-bit mantissa.
constexpr int MAX_QUICK_DIGITS = 19;

// mantissa * 10^power, negated when `negative`, correctly rounded (what
// strtod gives) when both are exact doubles: then one rounded operation
// gives it. False, and `value` untouched, when they are not.
inline bool exact_decimal(std::uint64_t mantissa, long long power, bool negative, double& value) {
    if (!DOUBLE_ROUNDS_ONCE || mantissa > MAX_EXACT_INTEGER || power < -MAX_EXACT_POWER || power > MAX_EXACT_POWER)
        return false;
    const auto significand = static_cast<double>(mantissa);
    const double magnitude =
        power < 0 ? significand / EXACT_POWERS_OF_TEN[-power] : significand * EXACT_POWERS_OF_TEN[power];
    value = negative ? -magnitude : magnitude;
    return true;
}

// Eight bytes of text as a little-endian integer: the first in the lowest
// byte. Spelled byte by byte, which compilers turn into one load.
inline std::uint64_t text_eight_bytes(const unsigned char* p) {
    return static_cast<std::uint64_t>(p[0]) | static_cast<std::uint64_t>(p[1]) << 8 |
           static_cast<std::uint64_t>(p[2]) << 16 | static_cast<std::uint64_t>(p[3]) << 24 |
           static_cast<std::uint64_t>(p[4]) << 32 | static_cast<std::uint64_t>(p[5]) << 40 |
           static_cast<std::uint64_t>(p[6]) << 48 | static_cast<std::uint64_t>(p[7]) << 56;
}

// In eight bytes of text, a non-zero byte where the byte is no digit. Past
// the first byte that is neither a digit nor a decimal point the bytes may
// be wrong (a carry from it), so only the lead up to it is looked at.
inline std::uint64_t non_digit_bytes(std::uint64_t bytes) {
    constexpr std::uint64_t HIGH = 0xF0F0F0F0F0F0F0F0u, DIGIT = 0x3030303030303030u, SIX = 0x0606060606060606u;
    return ((bytes & HIGH) ^ DIGIT) | (((bytes + SIX) & HIGH) ^ DIGIT);
}

// The number of bytes before the first marked one; 8 when none is.
inline int bytes_before_mark(std::uint64_t marks) { return marks == 0 ? 8 : __builtin_ctzll(marks) / 8; }

// The value of up to 8 digits, 0 to 9 each, the first in the lowest byte
// and `count` (1 to 8) of them: they are moved to the top, behind zeros, and
// joined two, four, then eight at a time.
inline std::uint64_t eight_digit_value(std::uint64_t digits, int count) {
    digits <<= 8 * (8 - count);
    digits = digits * 10 + (digits >> 8);
    constexpr std::uint64_t PAIRS = 0x000000FF000000FFu;
    constexpr std::uint64_t HUNDREDS = 100 + (std::uint64_t{1000000} << 32);
    constexpr std::uint64_t UNITS = 1 + (std::uint64_t{10000} << 32);
    return ((digits & PAIRS) * HUNDREDS + ((digits >> 16) & PAIRS) * UNITS) >> 32;
}

// The commonest cell, read as it is split: a plain decimal number, that is
// an optional sign and digits with at most one decimal point among them, at
// most MAX_QUICK_DIGITS digits and no spaces. Reads from `text` to the first
// byte that cannot go on such a number, returned in `stop`, and gives the
// cell value read_cell_text gives for text[0 .. stop) (a number beyond the
// missing bound is CELL_MISSING). False when those bytes are no such number
// or the quick route cannot convert it: the cell is then read the long way.
bool read_plain_number_bytewise(const unsigned char* text, const unsigned char* end, char decimal_point,
                                const unsigned char*& stop, double& value);

// The same, eight bytes at once where a number ends inside them, as nearly
// every number of a worksheet does; a byte at a time otherwise. Inlined
// into the splitter's loop whatever the compiler's size limits say: a call
// would cost a fifth of what the reading itself costs.
[[gnu::always_inline]] inline bool read_plain_number(const unsigned char* text, const unsigned char* end,
                                                     char decimal_point, const unsigned char*& stop, double& value) {
    if (!DOUBLE_ROUNDS_ONCE || end - text < 9) return read_plain_number_bytewise(text, end, decimal_point, stop, value);
    const bool negative = *text == '-';
    const unsigned char* const p = negative || *text == '+' ? text + 1 : text;
    const std::uint64_t bytes = text_eight_bytes(p);
    const std::uint64_t marks = non_digit_bytes(bytes);
    const int whole = bytes_before_mark(marks);
    int fraction = 0;
    std::uint64_t digit_bytes = bytes;
    if (whole < 8 && p[whole] == static_cast<unsigned char>(decimal_point)) {
        fraction = whole < 7 ? bytes_before_mark(marks >> (8 * (whole + 1))) : 8;
        if (whole + 1 + fraction >= 8) return read_plain_number_bytewise(text, end, decimal_point, stop, value);
        // The fraction's digits moved down over the point.
        const std::uint64_t lead = (std::uint64_t{1} << (8 * whole)) - 1;
        digit_bytes = (bytes & lead) | ((bytes >> 8) & ~lead);
        stop = p + whole + 1 + fraction;
    } else if (whole < 8) {
        stop = p + whole;
    } else {
        return read_plain_number_bytewise(text, end, decimal_point, stop, value);
    }
    const int digits = whole + fraction;
    if (digits == 0) return false;
    // At most 7 digits: the mantissa is an exact double, the power of ten
    // 10^0 .. 10^-6, the quotient what exact_decimal gives (x / 1 is x), and
    // no number of 7 digits reaches the missing bound.
    static_assert(9999999.0 < MISSING_BOUND, "a number of seven digits is never missing");
    const std::uint64_t mantissa =
        eight_digit_value((digit_bytes - 0x3030303030303030u) & ((std::uint64_t{1} << (8 * digits)) - 1), digits);
    const double magnitude = static_cast<double>(mantissa) / EXACT_POWERS_OF_TEN[fraction];
    value = negative ? -magnitude : magnitude;
    return true;
}
