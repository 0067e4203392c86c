// Text given to the command line: UTF-16 text becomes UTF-8, and cells
// written with the other decimal separator are found for the message that
// tells why they were read as missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/text_input.h"

namespace {

std::vector<unsigned char> bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::string text(const std::vector<unsigned char>& b) { return {b.begin(), b.end()}; }

}  // namespace

TEST(CliUtf16Text, BothByteOrdersBecomeUtf8WithoutTheMark) {
    auto little = bytes(std::string("\xFF\xFE" "1\0\t\0<\0" "0\0.\0" "5\0\r\0\n\0", 18));
    ASSERT_TRUE(convert_utf16_text(little));
    EXPECT_EQ(text(little), "1\t<0.5\r\n");

    auto big = bytes(std::string("\xFE\xFF\0" "A\0\xE9\x20\xAC", 8));  // "A", e acute, euro sign
    ASSERT_TRUE(convert_utf16_text(big));
    EXPECT_EQ(text(big), "A\xC3\xA9\xE2\x82\xAC");
}

TEST(CliUtf16Text, SurrogatesAndStrayBytes) {
    // A pair is one character; a lone surrogate and a last odd byte are U+FFFD.
    auto pair = bytes(std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6));  // U+1F600
    ASSERT_TRUE(convert_utf16_text(pair));
    EXPECT_EQ(text(pair), "\xF0\x9F\x98\x80");

    auto lone = bytes(std::string("\xFF\xFE\x3D\xD8" "1\0" "7", 7));
    ASSERT_TRUE(convert_utf16_text(lone));
    EXPECT_EQ(text(lone), "\xEF\xBF\xBD" "1" "\xEF\xBF\xBD");

    auto mark_only = bytes("\xFF\xFE");
    ASSERT_TRUE(convert_utf16_text(mark_only));
    EXPECT_TRUE(mark_only.empty());
}

TEST(CliUtf16Text, OtherTextIsLeftAsItIs) {
    for (const std::string& s : {std::string("1\t2\n"), std::string("\xEF\xBB\xBF" "1"), std::string("\xFF"),
                                std::string("\0\0\2\0", 4)}) {
        auto b = bytes(s);
        EXPECT_FALSE(convert_utf16_text(b));
        EXPECT_EQ(text(b), s);
    }
}

TEST(CliOtherPointCells, DecimalCommaCellsInAPointWorksheet) {
    const OtherPointCells found =
        find_other_point_cells(bytes("\xEF\xBB\xBF" "Glucose\tx\r\n  4,8 \t5\r\n6,25\t1.5\n<0,5\tn/a\n1,234\t\n,\t1e5"), false);
    // "4,8", "6,25" and "1,234" (a thousands separator reads the same way);
    // not the label, the marker, the text or a lone comma.
    EXPECT_EQ(found.count, 3u);
    EXPECT_EQ(found.example, "4,8");
}

TEST(CliOtherPointCells, DecimalPointCellsInACommaWorksheet) {
    const OtherPointCells found = find_other_point_cells(bytes("4,8\t4.8\n5\t.5e1\n"), true);
    EXPECT_EQ(found.count, 2u);
    EXPECT_EQ(found.example, "4.8");
    EXPECT_EQ(find_other_point_cells(bytes("4.8\t5\n-1e3\t"), false).count, 0u);
    EXPECT_EQ(find_other_point_cells(bytes(""), false).count, 0u);

    // A long cell is quoted by its first 40 bytes.
    const OtherPointCells long_cell = find_other_point_cells(bytes("1," + std::string(100, '5')), false);
    EXPECT_EQ(long_cell.count, 1u);
    EXPECT_EQ(long_cell.example, "1," + std::string(38, '5'));
}
