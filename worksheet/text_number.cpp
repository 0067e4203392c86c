// The number syntax of a worksheet cell's text, and its exact conversion.
#include "worksheet/text_number.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#if __has_include(<charconv>)
#include <charconv>
#endif

#include "worksheet/data_table.h"
#include "worksheet/limit_table.h"

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

// A sign where the syntax has room for one, before the mantissa or before
// the exponent's digits: kept in `negative`, and the text moves on to
// `signed_state`. False for any other byte.
bool take_sign(CellTextScan& scan, unsigned char byte, bool& negative, NumberState signed_state) {
    if (byte != '+' && byte != '-') return false;
    negative = byte == '-';
    scan.state = signed_state;
    return true;
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
        if (take_sign(scan, byte, scan.negative, SIGN)) return;
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
        if (take_sign(scan, byte, scan.exponent_negative, EXPONENT_SIGN)) return;
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
    return marker_for_sign(scan.first);
}

namespace {

double slow_cell_value(const unsigned char* text, std::size_t size, char decimal_point, bool& is_number) {
    CellTextScan scan;
    begin_cell_text(scan);
    for (std::size_t i = 0; i < size; ++i) feed_cell_text(scan, text[i], decimal_point);
    is_number = cell_text_is_number(scan);
    return cell_text_value(scan);
}

CellReading read_cell(const unsigned char* text, std::size_t size, char decimal_point, bool with_limit) {
    const unsigned char* begin = text;
    const unsigned char* end = text + size;
    while (begin < end && *begin == ' ') ++begin;
    while (end > begin && end[-1] == ' ') --end;
    if (begin == end) return CellReading{true, false, CELL_MISSING, NO_LIMIT};

    // The number syntax, with the mantissa's digits gathered while they fit.
    const auto point = static_cast<unsigned char>(decimal_point);
    const unsigned char* p = begin;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    std::uint64_t mantissa = 0;
    int digits = 0;       // after leading zeros
    int all_digits = 0;   // leading zeros too
    long long fraction_digits = 0;
    for (; p < end && is_digit(*p); ++p, ++all_digits)
        if (digits > 0 || *p != '0') mantissa = mantissa * 10 + (*p - '0'), ++digits;
    if (p < end && *p == point)
        for (++p; p < end && is_digit(*p); ++p, ++all_digits, ++fraction_digits)
            if (digits > 0 || *p != '0') mantissa = mantissa * 10 + (*p - '0'), ++digits;
    long long exponent = 0;
    bool well_formed = all_digits > 0;
    if (well_formed && p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool exponent_negative = p < end && *p == '-';
        if (p < end && (*p == '+' || *p == '-')) ++p;
        const unsigned char* first_exponent_digit = p;
        for (; p < end && is_digit(*p); ++p)
            if (exponent < EXPONENT_LIMIT) exponent = exponent * 10 + (*p - '0');
        well_formed = p > first_exponent_digit;
        if (exponent_negative) exponent = -exponent;
    }
    if (!well_formed || p != end) {
        const double marker = marker_for_sign(*begin);
        const bool limit_follows = with_limit && marker != CELL_MISSING;
        return CellReading{false, false, marker,
                           limit_follows ? read_limit_text(begin + 1, static_cast<std::size_t>(end - begin - 1),
                                                           decimal_point)
                                         : NO_LIMIT};
    }

    double value = 0.0;
    bool converted = digits <= MAX_QUICK_DIGITS && exact_decimal(mantissa, exponent - fraction_digits, negative, value);
#if defined(__cpp_lib_to_chars)
    // The longest text handed to from_chars (longer numbers are rare enough
    // for the scan).
    constexpr std::size_t MAX_CHARCONV_TEXT = 64;
    const auto length = static_cast<std::size_t>(end - begin);
    if (!converted && DOUBLE_ROUNDS_ONCE && length <= MAX_CHARCONV_TEXT) {
        // from_chars takes no "+" and only "." as the decimal point.
        char copy[MAX_CHARCONV_TEXT];
        std::size_t n = 0;
        for (const unsigned char* q = *begin == '+' ? begin + 1 : begin; q < end; ++q)
            copy[n++] = *q == point ? '.' : static_cast<char>(*q);
        const std::from_chars_result result = std::from_chars(copy, copy + n, value);
        // Overflow and underflow leave `value` as it was: the scan decides.
        converted = result.ec == std::errc() && result.ptr == copy + n;
    }
#endif
    if (!converted) {
        bool is_number = false;
        value = slow_cell_value(begin, static_cast<std::size_t>(end - begin), decimal_point, is_number);
        return CellReading{false, is_number, value, NO_LIMIT};
    }
    return CellReading{false, true, is_missing_value(value) ? CELL_MISSING : value, NO_LIMIT};
}

}  // namespace

CellReading read_cell_text(const unsigned char* text, std::size_t size, char decimal_point) {
    return read_cell(text, size, decimal_point, true);
}

CellReading read_cell_number(const unsigned char* text, std::size_t size, char decimal_point) {
    return read_cell(text, size, decimal_point, false);
}

bool read_plain_number_bytewise(const unsigned char* text, const unsigned char* end, char decimal_point,
                                const unsigned char*& stop, double& value) {
    const unsigned char* p = text;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+')) ++p;
    const unsigned char* const first = p;
    const unsigned char* point = nullptr;
    std::uint64_t mantissa = 0;
    for (; p < end; ++p) {
        const unsigned digit = static_cast<unsigned>(*p) - '0';
        if (digit <= 9) {
            mantissa = mantissa * 10 + digit;  // wraps past 19 digits, which are refused
        } else if (*p == static_cast<unsigned char>(decimal_point) && point == nullptr) {
            point = p;
        } else {
            break;
        }
    }
    stop = p;
    const long long digits = (p - first) - (point != nullptr ? 1 : 0);
    const long long fraction_digits = point != nullptr ? p - point - 1 : 0;
    double number = 0.0;
    if (digits == 0 || digits > MAX_QUICK_DIGITS || !exact_decimal(mantissa, -fraction_digits, negative, number))
        return false;
    value = is_missing_value(number) ? CELL_MISSING : number;
    return true;
}
