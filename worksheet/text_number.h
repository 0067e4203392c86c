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

#include <cstddef>

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
