// Results written for a reader whose numbers have a decimal comma: a
// worksheet read from text with "," as the decimal separator gets its
// result back the same way, so that a spreadsheet of that language reads
// "0,5193" as a number (it reads "0.5193" as text, and "1.10" as a date).
//
// Only a "." with a digit on either side is a decimal point; every other
// byte, labels and tabs included, stays as it is. A result of a WK1
// worksheet is written as it always was.
#pragma once

#include <cstddef>

// Rewrites the decimal points of `size` bytes of result text in place.
void write_decimal_comma(char* text, std::size_t size);
