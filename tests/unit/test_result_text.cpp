// Result text: the append rules, the shared cell writers, and publication on
// the clipboard with every failure status.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "test_support.h"

namespace {

class ResultText : public ::testing::Test {
protected:
    void SetUp() override {
        reset_process_state();
        headless::reset();
    }
};

// ---- Append rules ----------------------------------------------------------

TEST_F(ResultText, CellsThatWouldFillTheLineAreDroppedOneByOne) {
    clear_line_text();
    const std::string wide(LINE_TEXT_CAPACITY - 10, 'x');
    append_cell(wide.c_str());
    append_cell("0123456789");  // would reach the capacity exactly: dropped
    append_cell("012345678");   // stays one below: kept
    EXPECT_EQ(line_text_length(), LINE_TEXT_CAPACITY - 1);
    append_cell("");
    EXPECT_EQ(line_text_length(), LINE_TEXT_CAPACITY - 1);
    append_newline();  // no capacity test for the newline
    EXPECT_EQ(line_text_length(), LINE_TEXT_CAPACITY);
    EXPECT_EQ(line_text[LINE_TEXT_CAPACITY - 1], '\n');
    EXPECT_EQ(line_text[LINE_TEXT_CAPACITY], '\0');
}

TEST_F(ResultText, LinesThatWouldFillTheResultAreDroppedWhileShorterOnesStillFit) {
    start_result_text("Title\n");
    const std::string line(LINE_TEXT_CAPACITY - 1, 'y');
    while (result_text_length() + LINE_TEXT_CAPACITY < RESULT_TEXT_CAPACITY) {
        set_line_text(line.c_str());
        append_line_to_result();
    }
    const int before = result_text_length();
    const int room = RESULT_TEXT_CAPACITY - before;  // a line of `room` characters would reach the capacity
    set_line_text(std::string(static_cast<std::size_t>(room), 'z').c_str());
    append_line_to_result();
    EXPECT_EQ(result_text_length(), before);
    set_line_text(std::string(static_cast<std::size_t>(room - 1), 'w').c_str());
    append_line_to_result();
    EXPECT_EQ(result_text_length(), RESULT_TEXT_CAPACITY - 1);
    EXPECT_EQ(result_text[RESULT_TEXT_CAPACITY - 1], '\0');
    EXPECT_EQ(std::string(result_text).size(), static_cast<std::size_t>(RESULT_TEXT_CAPACITY - 1));
}

TEST_F(ResultText, TitleReplacesEarlierContent) {
    start_result_text("Old\nmore\n");
    start_result_text("Pearson\n");
    EXPECT_STREQ(result_text, "Pearson\n");
    EXPECT_EQ(result_text_length(), 8);
}

// ---- Result cells ----------------------------------------------------------

TEST_F(ResultText, ValuesAreWrittenWithFourDecimals) {
    set_result_value(0, 1, 3.14159);
    EXPECT_STREQ(result_cells[0][1], "3.1416");
    set_result_value(0, 2, CELL_MISSING);
    EXPECT_STREQ(result_cells[0][2], "-999999999.9990");
}

TEST_F(ResultText, ValuesTooWideForACellKeepTheirLeadingDigits) {
    set_result_value(0, 1, 12345678901.25);
    EXPECT_STREQ(result_cells[0][1], "12345678901.25");
    set_result_value(0, 2, -1234567890.5);
    EXPECT_STREQ(result_cells[0][2], "-1234567890.5");
    set_result_value(0, 3, 1.5e300);
    EXPECT_STREQ(result_cells[0][3], "1.5e+300");
    for (int c = 1; c <= 3; ++c) {
        EXPECT_LE(std::strlen(result_cells[0][c]), 15u);
        EXPECT_NEAR(std::atof(result_cells[0][c]), c == 1 ? 12345678901.25 : c == 2 ? -1234567890.5 : 1.5e300,
                    std::fabs(std::atof(result_cells[0][c])) * 1e-12);
    }
}

TEST_F(ResultText, NonFiniteValuesPrintAsNotAvailable) {
    column_count = 4;
    set_result_value(2, 1, std::numeric_limits<double>::infinity());
    set_result_value(2, 2, std::numeric_limits<double>::quiet_NaN());
    set_result_value(2, 3, -std::numeric_limits<double>::infinity());
    set_row_label(2, "p value");
    begin_labelled_line(2);
    append_value_texts(2);
    EXPECT_STREQ(line_text, "p value\t#n/a\t#n/a\t#n/a");
}

TEST_F(ResultText, ValueTextsSkipEntryZeroAndMarkMissingEntries) {
    column_count = 7;
    set_result_text(1, 0, "never");
    set_result_value(1, 1, CELL_MISSING);
    set_result_text(1, 2, ">0.2000");  // not a number at its start: reads as 0, printed as it stands
    set_result_value(1, 3, -2.5);
    // Around the missing bound: what the text reads as decides.
    set_result_text(1, 4, "-99999999.5000");
    set_result_text(1, 5, "-999999998.9990");
    set_result_text(1, 6, "-1e+10");
    clear_line_text();
    append_value_texts(1);
    EXPECT_STREQ(line_text, "\t#n/a\t>0.2000\t-2.5000\t-99999999.5000\t-999999998.9990\t#n/a");
}

TEST_F(ResultText, OneColumnHasNoValueTexts) {
    column_count = 1;
    set_result_value(0, 0, 1.0);
    clear_line_text();
    append_value_texts(0);
    EXPECT_EQ(line_text_length(), 0);
}

TEST_F(ResultText, MatrixRowShowsCoefficientsLeftOfTheDiagonalAndCountsFromIt) {
    column_count = 4;
    correlation_r[2][0] = 0.5;
    correlation_r[2][1] = CELL_MISSING;
    correlation_n[2][2] = 12;
    correlation_n[2][3] = 9;
    clear_line_text();
    append_matrix_row(2);
    EXPECT_STREQ(line_text, "      0.5000\t\t          12\t           9\t");
    correlation_r[2][0] = std::numeric_limits<double>::quiet_NaN();
    correlation_r[2][1] = std::numeric_limits<double>::infinity();
    clear_line_text();
    append_matrix_row(2);
    EXPECT_STREQ(line_text, "\t\t          12\t           9\t");
}

TEST_F(ResultText, LabelsAreCutToTheirTable) {
    set_row_label(3, std::string(80, 'L').c_str());
    EXPECT_EQ(std::strlen(row_labels[3]), 50u);
}

// ---- Publication -----------------------------------------------------------

TEST_F(ResultText, PublishingPutsTheTextOnTheClipboardAsItIs) {
    EXPECT_EQ(publish_result_text(nullptr, "a\tb\nc"), 0);
    EXPECT_EQ(headless::clipboard_text(), "a\tb\nc");
    EXPECT_FALSE(headless::clipboard_is_open());
}

TEST_F(ResultText, EveryPublicationFailureHasItsStatus) {
    EXPECT_EQ(publish_result_text(nullptr, "x"), 1);
    EXPECT_EQ(publish_result_text(nullptr, ""), 1);
    headless::set_fault(headless::Fault::GlobalAlloc, true);
    EXPECT_EQ(publish_result_text(nullptr, "text"), 2);
    headless::reset();
    headless::set_fault(headless::Fault::GlobalLock, true);
    EXPECT_EQ(publish_result_text(nullptr, "text"), 3);
    headless::reset();
    headless::set_fault(headless::Fault::OpenClipboard, true);
    EXPECT_EQ(publish_result_text(nullptr, "text"), 4);
    headless::reset();
    headless::set_fault(headless::Fault::SetClipboardData, true);
    EXPECT_EQ(publish_result_text(nullptr, "text"), 4);
    EXPECT_FALSE(headless::clipboard_is_open());
    EXPECT_FALSE(headless::clipboard_has_text());
}

TEST_F(ResultText, FailedPublicationIsReportedAndReturned) {
    start_result_text("x");
    EXPECT_EQ(publish_results(nullptr), 1);
    ASSERT_EQ(headless::messages().size(), 1u);
    EXPECT_EQ(headless::messages()[0].text, "Error while writing results to Clipboard");
    EXPECT_EQ(headless::messages()[0].caption, "morvenda");

    headless::reset();
    start_result_text("Paired\n");
    EXPECT_EQ(publish_results(nullptr), 0);
    EXPECT_TRUE(headless::messages().empty());
}

}  // namespace
