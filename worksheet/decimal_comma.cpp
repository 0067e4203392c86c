#include "worksheet/decimal_comma.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void write_decimal_comma(char* text, std::size_t size) {
    if (text == nullptr) return;
    for (std::size_t i = 1; i + 1 < size; ++i)
        if (text[i] == '.' && is_digit(text[i - 1]) && is_digit(text[i + 1])) text[i] = ',';
}
