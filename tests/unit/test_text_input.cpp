// The one step from text to a "Wk1" block: UTF-16 text becomes UTF-8, cells
// written with the other decimal separator are found for the message that
// tells why they were read as missing, and the window of cells the table
// holds is read in one scan.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "worksheet/text_input.h"
#include "worksheet/wk1_reader.h"

namespace {

std::string utf8_of(const std::string& s) {
    std::vector<unsigned char> out;
    EXPECT_TRUE(utf16_to_utf8(reinterpret_cast<const unsigned char*>(s.data()), s.size(), out));
    return {out.begin(), out.end()};
}

std::vector<unsigned char> block(TEXT_WK1_CAPACITY);

TextBlock step(const std::string& text, bool decimal_comma = false, OtherPointScope scope = OtherPointScope::Whole,
               TextFormat format = TextFormat::Tabs, bool cut = false) {
    return text_worksheet_block(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                                TextRequest{format, decimal_comma, scope, cut}, block.data(), block.size());
}

}  // namespace

TEST(Utf16Text, BothByteOrdersBecomeUtf8WithoutTheMark) {
    EXPECT_EQ(utf8_of(std::string("\xFF\xFE" "1\0\t\0<\0" "0\0.\0" "5\0\r\0\n\0", 18)), "1\t<0.5\r\n");
    // "A", e acute, euro sign
    EXPECT_EQ(utf8_of(std::string("\xFE\xFF\0" "A\0\xE9\x20\xAC", 8)), "A\xC3\xA9\xE2\x82\xAC");
}

TEST(Utf16Text, SurrogatesAndStrayBytes) {
    // A pair is one character; a lone surrogate and a last odd byte are U+FFFD.
    EXPECT_EQ(utf8_of(std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6)), "\xF0\x9F\x98\x80");  // U+1F600
    EXPECT_EQ(utf8_of(std::string("\xFF\xFE\x3D\xD8" "1\0" "7", 7)), "\xEF\xBF\xBD" "1" "\xEF\xBF\xBD");
    EXPECT_EQ(utf8_of("\xFF\xFE"), "");
}

TEST(Utf16Text, OtherTextIsNoUtf16) {
    for (const std::string& s : {std::string("1\t2\n"), std::string("\xEF\xBB\xBF" "1"), std::string("\xFF"),
                                std::string("\0\0\2\0", 4)}) {
        std::vector<unsigned char> out;
        EXPECT_FALSE(utf16_to_utf8(reinterpret_cast<const unsigned char*>(s.data()), s.size(), out));
    }
}

TEST(TextOtherPoint, DecimalCommaCellsInAPointWorksheet) {
    const TextBlock found = step("\xEF\xBB\xBF" "Glucose\tx\r\n  4,8 \t5\r\n6,25\t1.5\n<0,5\tn/a\n1,234\t\n,\t1e5");
    // "4,8", "6,25" and "1,234" (a thousands separator reads the same way);
    // not the label, the marker, the text or a lone comma.
    EXPECT_EQ(found.other_point_count, 3u);
    EXPECT_STREQ(found.other_point_example, "4,8");
}

TEST(TextOtherPoint, DecimalPointCellsInACommaWorksheet) {
    const TextBlock found = step("4,8\t4.8\n5\t.5e1\n", true);
    EXPECT_EQ(found.other_point_count, 2u);
    EXPECT_STREQ(found.other_point_example, "4.8");
    EXPECT_EQ(step("4.8\t5\n-1e3\t").other_point_count, 0u);
    EXPECT_EQ(step("").other_point_count, 0u);
    EXPECT_EQ(step("4,8", false, OtherPointScope::None).other_point_count, 0u);

    // A long cell is quoted by its first 40 bytes.
    const TextBlock long_cell = step("1," + std::string(100, '5'));
    EXPECT_EQ(long_cell.other_point_count, 1u);
    EXPECT_EQ(std::string(long_cell.other_point_example), "1," + std::string(38, '5'));
}

// What one scan tells of a text: the table it decodes to, whether it holds a
// value, the extent of its cells, the other-separator cells of the window
// or of the whole text, and whether it is text at all.
TEST(TextStep, OneScanTellsWhatTheTextHolds) {
    const std::string wide_row = std::string(60, '\t') + "1,5\n";       // a cell 60 columns out
    const std::string left_later = "\t\t7\n2,5\t3\n";                    // a later row starts further left
    const std::string tall = std::string(1100, '\n') + "2,5\n";         // a cell 1100 rows down
    struct Case {
        const char* what;
        std::string text;
        bool cut;
        int rows, columns;  // the decoded table
        double first;       // its cell (0, 0)
        bool values;
        long extent_rows, extent_columns;
        std::size_t other_window, other_whole;
        bool not_text;
    };
    const Case cases[] = {
        {"plain", "1\t2\n3\t4\n", false, 2, 2, 1.0, true, 2, 2, 0, 0, false},
        {"no cells", " \t\n", false, 0, 0, 0.0, false, 0, 0, 0, 0, false},
        {"text only", "Title\tn/a\n", false, 1, 2, CELL_MISSING, false, 1, 2, 0, 0, false},
        {"beyond the columns", "5\n" + wide_row, false, 2, MAX_COLUMNS, 5.0, true, 2, 61, 0, 1, false},
        {"only values beyond", "x\n" + wide_row.substr(0, 60) + "9\n", false, 2, MAX_COLUMNS, CELL_MISSING, true,
         2, 61, 0, 0, false},
        {"origin moves left", left_later, false, 2, 3, CELL_MISSING, true, 2, 3, 1, 1, false},
        {"beyond the rows", "1\n" + tall, false, MAX_ROWS, 1, 1.0, true, 1102, 1, 0, 1, false},
        {"cut at the last line", "1\t2\n3\t4", true, 1, 2, 1.0, true, 1, 2, 0, 0, false},
        {"a zero byte", std::string("1\0\t2", 4), false, 1, 2, CELL_MISSING, true, 1, 2, 0, 0, true},
        {"UTF-16", std::string("\xFF\xFE" "7\0\t\0" "8\0", 8), false, 1, 2, 7.0, true, 1, 2, 0, 0, false},
    };
    for (const Case& c : cases) {
        const TextBlock window = step(c.text, false, OtherPointScope::Window, TextFormat::Tabs, c.cut);
        reset_process_state();
        ASSERT_EQ(decode_wk1(block.data(), window.block_size), WK1_OK) << c.what;
        EXPECT_EQ(row_count, c.rows) << c.what;
        EXPECT_EQ(column_count, c.columns) << c.what;
        if (row_count > 0 && column_count > 0) {
            EXPECT_EQ(data_rows[0].value[0], c.first) << c.what;
        }
        EXPECT_EQ(window.values, c.values) << c.what;
        EXPECT_EQ(window.extent_rows, c.extent_rows) << c.what;
        EXPECT_EQ(window.extent_columns, c.extent_columns) << c.what;
        EXPECT_EQ(window.other_point_count, c.other_window) << c.what;
        EXPECT_EQ(window.not_text, c.not_text) << c.what;
        EXPECT_EQ(step(c.text, false, OtherPointScope::Whole, TextFormat::Tabs, c.cut).other_point_count, c.other_whole)
            << c.what;
    }
}

TEST(TextStep, NeedsABufferOfFullCapacity) {
    unsigned char small[64];
    EXPECT_EQ(text_worksheet_block(reinterpret_cast<const unsigned char*>("1"), 1,
                                   TextRequest{TextFormat::Tabs, false, OtherPointScope::None, false}, small,
                                   sizeof small)
                  .block_size,
              0u);
}

// The window scan reads exactly the cells the table can hold; the plain scan
// reads them all. Both split alike.
TEST(TextWindowScan, ReadsOnlyTheCellsTheTableHolds) {
    struct Seen {
        std::vector<std::string> cells;
    };
    const auto visit = [](const TextCell& cell, void* context) {
        static_cast<Seen*>(context)->cells.push_back(std::to_string(cell.row) + "," + std::to_string(cell.column) +
                                                     (cell.read ? "=" + std::to_string(cell.value) : " unread"));
    };
    const std::string text = std::string(2, '\t') + "1\n" + std::string(51, '\t') + "2\t3\n\"4\n5\"";
    Seen plain, fixed;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    scan_text_cells(t, text.size(), TextFormat::Tabs, false, visit, &plain);
    const TextExtent extent =
        scan_text_window(t, text.size(), TextFormat::Tabs, false, TextWindow{true, 0, 2}, visit, &fixed);
    EXPECT_EQ(plain.cells, (std::vector<std::string>{"0,2=1.000000", "1,51=2.000000", "1,52=3.000000",
                                                     "2,0=-999999999.999000", "3,0=-999999999.999000"}));
    EXPECT_EQ(fixed.cells, (std::vector<std::string>{"0,2=1.000000", "1,51=2.000000", "1,52 unread", "2,0 unread",
                                                     "3,0 unread"}));
    EXPECT_TRUE(extent.any);
    EXPECT_EQ(extent.lowest_column, 0u);
    EXPECT_EQ(extent.highest_column, 52u);
    EXPECT_EQ(extent.highest_row, 3u);

    // Without a fixed origin the window starts at the first cell; a cell left
    // of it afterwards moves the window and ends the visits.
    Seen moving;
    const TextExtent moved =
        scan_text_window(t, text.size(), TextFormat::Tabs, false, TextWindow{false, 0, 0}, visit, &moving);
    EXPECT_TRUE(moved.window_moved);
    EXPECT_EQ(moving.cells, (std::vector<std::string>{"0,2=1.000000", "1,51=2.000000", "1,52 unread"}));
    EXPECT_EQ(moved.highest_row, 3u);
}
