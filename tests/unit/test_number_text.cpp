// Number texts without printf: the very text snprintf writes, for the
// values where rounding, sign, width or a small buffer could tell them apart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "worksheet/number_text.h"

namespace {

std::string fixed(double v, int precision, int width, const char* prefix, const char* suffix, std::size_t size) {
    char text[512];
    const int n = print_fixed(text, size, v, precision, width, prefix, suffix);
    return std::to_string(n) + ":" + text;
}

std::string printed(double v, int precision, int width, const char* prefix, const char* suffix, std::size_t size) {
    char text[512];
    const int n = std::snprintf(text, size, "%s%*.*f%s", prefix, width, precision, v, suffix);
    return std::to_string(n) + ":" + text;
}

}  // namespace

TEST(NumberText, FixedTextsAreWhatSnprintfWrites) {
    const double values[] = {0.0, -0.0, 0.25, 0.35, -0.05, 2.5, 0.00005, 0.00015, 9.99995, -9.99995,
                             0.1, 1e15, 9.2e18, -1e300, 5e-324, 123456789.123456789,
                             std::numeric_limits<double>::infinity(), std::nan("")};
    for (double v : values) {
        for (int precision : {0, 1, 3, 4}) {
            for (int width : {0, 8, 12}) {
                SCOPED_TRACE(v);
                EXPECT_EQ(fixed(v, precision, width, "\t", "\t", 512), printed(v, precision, width, "\t", "\t", 512));
                // Cut to a result cell's size, as snprintf cuts.
                EXPECT_EQ(fixed(v, precision, width, "> ", "", 16), printed(v, precision, width, "> ", "", 16));
            }
        }
    }
}

TEST(NumberText, IntegerTextsAreWhatSnprintfWrites) {
    for (long v : {0L, -7L, 12345L, -2147483647L, 2147483647L}) {
        for (int width : {0, 12}) {
            char fast[64], plain[64];
            EXPECT_EQ(print_integer(fast, sizeof fast, v, width, "\t", "\t"),
                      std::snprintf(plain, sizeof plain, "\t%*ld\t", width, v));
            EXPECT_STREQ(fast, plain);
        }
    }
}
