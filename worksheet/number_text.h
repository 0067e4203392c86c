// Numbers as the result text writes them, without the cost of parsing a
// format at every cell: printf's "%[width].[precision]f" and
// "%[width]d", between a fixed prefix and suffix. A finite value with at
// most four decimals and below about 10^15 is rounded by integer
// arithmetic from its exact binary value, as printf rounds it (ties to
// even), and integers are converted by std::to_chars, so every text is the
// one snprintf writes; anything else goes to snprintf itself.
#pragma once

#include <cstddef>

// What snprintf(out, size, "<prefix>%<width>.<precision>f<suffix>", value)
// writes, and its return value.
int print_fixed(char* out, std::size_t size, double value, int precision, int width = 0, const char* prefix = "",
                const char* suffix = "");

// What snprintf(out, size, "<prefix>%<width>ld<suffix>", value) writes, and
// its return value.
int print_integer(char* out, std::size_t size, long value, int width = 0, const char* prefix = "",
                  const char* suffix = "");
