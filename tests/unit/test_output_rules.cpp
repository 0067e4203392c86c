// Results written with a decimal comma, and a first row taken as titles.
#include <gtest/gtest.h>

#include <string>

#include "app/process_state.h"
#include "test_support.h"
#include "worksheet/data_table.h"
#include "worksheet/decimal_comma.h"
#include "worksheet/title_row.h"
#include "worksheet/wk1_reader.h"

using test::Wk1Builder;

TEST(DecimalComma, OnlyPointsBetweenDigitsChange) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"     58.0000\t      0.9000\tMin\n", "     58,0000\t      0,9000\tMin\n"},
        {"p (Wilcoxon)\t< 0.010\t>0.0500\n", "p (Wilcoxon)\t< 0,010\t>0,0500\n"},
        {"95%CI ll=Mean-t*SEM\t.5\t5.\t-.5\n", "95%CI ll=Mean-t*SEM\t.5\t5.\t-.5\n"},
        {"1.5", "1,5"},
        {".", "."},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        write_decimal_comma(text.data(), text.size());
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(TitleRow, FirstUsedRowBecomesMissingAndKeepsItsPlace) {
    Wk1Builder sheet;
    sheet.bof().range(1, 2, 2, 5);
    sheet.integer(1, 2, 2019).formula(2, 2, 2020.0).label(1, 3, "<0.5");
    sheet.number(2, 3, 1.5).number(1, 4, 2.5).number(2, 4, 3.5).label(2, 5, "<1").eof();
    const std::vector<unsigned char> plain = sheet.bytes();
    const std::vector<unsigned char> titled = first_row_as_titles(plain.data(), plain.size());

    reset_process_state();
    ASSERT_EQ(decode_wk1(titled.data(), titled.size()), WK1_OK);
    ASSERT_EQ(row_count, 4);
    ASSERT_EQ(column_count, 2);
    EXPECT_EQ(data_rows[0].value[0], CELL_MISSING);
    EXPECT_EQ(data_rows[0].value[1], CELL_MISSING);
    EXPECT_EQ(data_rows[1].value[0], CELL_SMALL);  // only the first row changes
    EXPECT_EQ(data_rows[1].value[1], 1.5);
    EXPECT_EQ(data_rows[3].value[1], CELL_SMALL);

    // A stream cut inside a record is copied up to that record.
    const std::vector<unsigned char> cut = first_row_as_titles(plain.data(), 20);
    EXPECT_LE(cut.size(), 20u + 6u);
    EXPECT_TRUE(first_row_as_titles(nullptr, 0).empty());
}
