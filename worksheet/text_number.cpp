// The number syntax of a worksheet cell's text, and its exact conversion.
#include "worksheet/text_number.h"

#include <cstdio>
#include <cstdlib>

#include "worksheet/data_table.h"

namespace {

// Where the text fed so far stands. ORDER: the accepting states are the ones
// named in cell_text_is_number.
enum NumberState {
    LEADING,        // only spaces so far
    SIGN,           // "+" or "-"
    INTEGER_PART,   // digits before any decimal point
    BARE_POINT,     // a decimal point with no digit before it
    FRACTION,       // a decimal point after digits, or digits after it
    EXPONENT_MARK,  // "e" or "E"
    EXPONENT_SIGN,
    EXPONENT_DIGITS,
    TRAILING,       // spaces after a complete number
    NOT_A_NUMBER,
};

// Exponents are counted up to here; a double is 0 or infinite long before.
constexpr long long EXPONENT_LIMIT = 100000000;
// The decimal exponent handed to strtod is clamped to this. With at most
// TEXT_NUMBER_DIGITS + 1 digits, every exponent beyond it already gives an
// infinity or a zero, so clamping changes no result.
constexpr long long CONVERTED_EXPONENT_LIMIT = 100000;

bool is_digit(unsigned char byte) { return byte >= '0' && byte <= '9'; }

// One mantissa digit. Leading zeros only move the decimal point; digits past
// the buffer only matter by being non-zero.
void take_mantissa_digit(CellTextScan& scan, unsigned char byte, bool after_point) {
    const int digit = byte - '0';
    if (scan.digit_count == 0 && digit == 0) {
        if (after_point) --scan.scale;
        return;
    }
    if (scan.digit_count < TEXT_NUMBER_DIGITS) {
        scan.digits[scan.digit_count++] = static_cast<char>(byte);
        if (after_point) --scan.scale;
        return;
    }
    if (!after_point) ++scan.scale;
    if (digit != 0) scan.dropped_non_zero = true;
}

void take_exponent_digit(CellTextScan& scan, unsigned char byte) {
    if (scan.exponent < EXPONENT_LIMIT) scan.exponent = scan.exponent * 10 + (byte - '0');
}

// The number as strtod reads it: its kept digits as an integer, times a power
// of ten. Only digits, a sign and "e" go into the text, so no locale setting
// can change how it is read.
double convert_number(const CellTextScan& scan) {
    char text[TEXT_NUMBER_DIGITS + 40];
    int length = 0;
    if (scan.negative) text[length++] = '-';
    long long exponent = scan.scale + (scan.exponent_negative ? -scan.exponent : scan.exponent);
    if (scan.digit_count == 0) {
        text[length++] = '0';
        exponent = 0;
    } else {
        for (int i = 0; i < scan.digit_count; ++i) text[length++] = scan.digits[i];
        // A non-zero digit after the kept ones: whatever they were, the value
        // lies strictly between the kept digits and the next step up.
        if (scan.dropped_non_zero) {
            text[length++] = '1';
            --exponent;
        }
    }
    if (exponent > CONVERTED_EXPONENT_LIMIT) exponent = CONVERTED_EXPONENT_LIMIT;
    if (exponent < -CONVERTED_EXPONENT_LIMIT) exponent = -CONVERTED_EXPONENT_LIMIT;
    std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), "e%lld", exponent);
    return std::strtod(text, nullptr);
}

}  // namespace

void begin_cell_text(CellTextScan& scan) {
    scan.state = LEADING;
    scan.has_text = false;
    scan.first = 0;
    scan.negative = false;
    scan.digit_count = 0;
    scan.dropped_non_zero = false;
    scan.scale = 0;
    scan.exponent_negative = false;
    scan.exponent = 0;
}

void feed_cell_text(CellTextScan& scan, unsigned char byte, char decimal_point) {
    const auto point = static_cast<unsigned char>(decimal_point);
    if (byte == ' ') {
        if (scan.state == LEADING || scan.state == TRAILING || scan.state == NOT_A_NUMBER) return;
        scan.state = cell_text_is_number(scan) ? TRAILING : NOT_A_NUMBER;
        return;
    }
    if (!scan.has_text) {
        scan.has_text = true;
        scan.first = byte;
    }
    switch (scan.state) {
    case LEADING:
        if (byte == '+' || byte == '-') {
            scan.negative = byte == '-';
            scan.state = SIGN;
            return;
        }
        [[fallthrough]];
    case SIGN:
        if (is_digit(byte)) {
            take_mantissa_digit(scan, byte, false);
            scan.state = INTEGER_PART;
        } else {
            scan.state = byte == point ? BARE_POINT : NOT_A_NUMBER;
        }
        return;
    case INTEGER_PART:
        if (is_digit(byte))
            take_mantissa_digit(scan, byte, false);
        else if (byte == point)
            scan.state = FRACTION;
        else
            scan.state = byte == 'e' || byte == 'E' ? EXPONENT_MARK : NOT_A_NUMBER;
        return;
    case BARE_POINT:
    case FRACTION:
        if (is_digit(byte)) {
            take_mantissa_digit(scan, byte, true);
            scan.state = FRACTION;
        } else {
            scan.state = scan.state == FRACTION && (byte == 'e' || byte == 'E') ? EXPONENT_MARK : NOT_A_NUMBER;
        }
        return;
    case EXPONENT_MARK:
        if (byte == '+' || byte == '-') {
            scan.exponent_negative = byte == '-';
            scan.state = EXPONENT_SIGN;
            return;
        }
        [[fallthrough]];
    case EXPONENT_SIGN:
    case EXPONENT_DIGITS:
        if (is_digit(byte)) {
            take_exponent_digit(scan, byte);
            scan.state = EXPONENT_DIGITS;
        } else {
            scan.state = NOT_A_NUMBER;
        }
        return;
    default:
        scan.state = NOT_A_NUMBER;
        return;
    }
}

bool cell_text_is_number(const CellTextScan& scan) {
    return scan.state == INTEGER_PART || scan.state == FRACTION || scan.state == EXPONENT_DIGITS ||
           scan.state == TRAILING;
}

double cell_text_number(const CellTextScan& scan) { return convert_number(scan); }

double cell_text_value(const CellTextScan& scan) {
    if (cell_text_is_number(scan)) {
        const double value = convert_number(scan);
        return is_missing_value(value) ? CELL_MISSING : value;
    }
    if (scan.first == '<') return CELL_SMALL;
    if (scan.first == '>') return CELL_BIG;
    return CELL_MISSING;
}
