// A quick way through strtod for the WebAssembly build, whose C library
// converts every decimal number by way of 128-bit long doubles computed in
// software: reading a large worksheet spent most of its time there.
//
// The linker sends every call of strtod here (--wrap=strtod). Text of the
// form the cell reader hands over, an optional "-", decimal digits, "e" and
// a decimal exponent, whose digits make an integer below 2^53 and whose
// exponent is at most 22 in size, is converted with one IEEE multiplication
// or division of two exactly represented doubles: a correctly rounded
// result, which is the one strtod gives. Every other text goes to the C
// library's strtod.
#include <cstdlib>

extern "C" double __real_strtod(const char* text, char** end);

namespace {

// 10^0 .. 10^22, each exactly a double.
constexpr double EXACT_POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                          1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int MAX_EXACT_EXPONENT = 22;
constexpr unsigned long long MAX_EXACT_INTEGER = 1ull << 53;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

extern "C" double __wrap_strtod(const char* text, char** end) {
    const char* p = text;
    const bool negative = *p == '-';
    if (negative) ++p;
    unsigned long long digits = 0;
    const char* first_digit = p;
    while (is_digit(*p) && digits < MAX_EXACT_INTEGER) digits = digits * 10 + static_cast<unsigned>(*p++ - '0');
    if (p == first_digit || is_digit(*p) || digits > MAX_EXACT_INTEGER || *p != 'e') return __real_strtod(text, end);
    ++p;
    const bool negative_exponent = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    int exponent = 0;
    const char* first_exponent_digit = p;
    while (is_digit(*p) && exponent <= MAX_EXACT_EXPONENT) exponent = exponent * 10 + (*p++ - '0');
    if (p == first_exponent_digit || is_digit(*p) || *p != '\0' || exponent > MAX_EXACT_EXPONENT)
        return __real_strtod(text, end);

    const double significand = static_cast<double>(digits);  // exact: below 2^53
    const double value = negative_exponent ? significand / EXACT_POWERS_OF_TEN[exponent]
                                           : significand * EXACT_POWERS_OF_TEN[exponent];
    if (end != nullptr) *end = const_cast<char*>(p);
    return negative ? -value : value;
}
