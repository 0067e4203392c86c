// The limits kept for "<" and ">" cells: the same cell text read through
// tab-separated text, comma-separated text (quoted and not) and a WK1 label
// keeps the same limit, the data table is what it was without limits, and
// no stale limit survives a cell stored again or a new worksheet.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/process_state.h"
#include "test_support.h"
#include "worksheet/limit_table.h"
#include "worksheet/text_input.h"
#include "worksheet/wk1_reader.h"

namespace {

// In these cases: no limit kept (0 is a limit like any other).
const double NONE = std::nan("");

struct LimitCase {
    const char* text;
    bool decimal_comma;
    double marker;  // the data table's value
    double limit;   // the kept limit, NONE for none
};

const LimitCase LIMIT_CASES[] = {
    {"<0.5", false, CELL_SMALL, 0.5},     {"< 5", false, CELL_SMALL, 5},
    {">1e3", false, CELL_BIG, 1000},      {"<abc", false, CELL_SMALL, NONE},
    {"<", false, CELL_SMALL, NONE},       {"<5 mg", false, CELL_SMALL, NONE},
    {"<1e12", false, CELL_SMALL, NONE},   {"<<5", false, CELL_SMALL, NONE},
    {"<-2.5", false, CELL_SMALL, -2.5},   {"<+7", false, CELL_SMALL, 7},
    {"<0", false, CELL_SMALL, 0},         {"<0.1", false, CELL_SMALL, 0.1},
    {">  2  ", false, CELL_BIG, 2},       {"<0,5", true, CELL_SMALL, 0.5},
    {"<0,5", false, CELL_SMALL, NONE},    {"<0.5", true, CELL_SMALL, NONE},
    {"<123456789.123456789", false, CELL_SMALL, 123456789.123456789},
    {"<2.2250738585072014e-308", false, CELL_SMALL, 2.2250738585072014e-308},
};

void expect_cell(double marker, double limit, const std::string& how) {
    EXPECT_EQ(data_rows[0].value[1], marker) << how;
    const double kept = cell_limit[0][1];
    if (std::isnan(limit)) {
        EXPECT_FALSE(is_kept_limit(kept)) << how << " kept " << kept;
    } else {
        EXPECT_TRUE(is_kept_limit(kept)) << how;
        EXPECT_EQ(kept, limit) << how;  // bit for bit where it matters: the double itself
    }
    // The neighbouring measured cell keeps no limit.
    EXPECT_FALSE(is_kept_limit(cell_limit[0][0])) << how;
}

TEST(LimitTable, EveryReaderKeepsTheLimitOfACell) {
    for (const LimitCase& c : LIMIT_CASES) {
        const std::string text = c.text;
        const char sep = c.decimal_comma ? ';' : ',';
        // Tab-separated text.
        reset_process_state();
        const std::string tabs = "1\t" + text + "\n";
        ASSERT_EQ(decode_text_worksheet(reinterpret_cast<const unsigned char*>(tabs.data()), tabs.size(),
                                        TextFormat::Tabs, c.decimal_comma),
                  0);
        expect_cell(c.marker, c.limit, "tabs " + text);
        // Comma-separated text, plain and quoted.
        for (const std::string& field : {text, "\"" + text + "\"", " \"" + text.substr(0, 1) + "\"" + text.substr(1)}) {
            if (field.find(sep) != std::string::npos || (field[0] == ' ' && text.size() > 1 && text[1] == ' ')) continue;
            reset_process_state();
            const std::string csv = std::string("1") + sep + field + "\r\n";
            ASSERT_EQ(decode_text_worksheet(reinterpret_cast<const unsigned char*>(csv.data()), csv.size(),
                                            TextFormat::Commas, c.decimal_comma),
                      0);
            expect_cell(c.marker, c.limit, "csv " + field);
        }
        // A WK1 label as a spreadsheet writes it: "." first, then "," (the
        // block does not say which its spreadsheet used).
        if (c.decimal_comma) continue;
        reset_process_state();
        const auto wk1 = test::Wk1Builder().bof().range(0, 0, 1, 0).number(0, 0, 1).label(1, 0, text).eof().bytes();
        ASSERT_EQ(decode_wk1(wk1.data(), wk1.size()), 0);
        const double wk1_limit = text == "<0,5" ? 0.5 : c.limit;
        expect_cell(c.marker, wk1_limit, "wk1 " + text);
    }
}

// A cell stored again loses its limit; a new worksheet starts without any;
// the limits of a cut-off text stay with their cells.
TEST(LimitTable, NoLimitOutlivesItsCell) {
    reset_process_state();
    const auto sheet = test::Wk1Builder().bof().range(0, 0, 1, 1).label(1, 0, "<4").number(1, 0, 3)
                           .label(0, 1, ">9").label(1, 1, "<2").label(1, 1, "n.d.").eof().bytes();
    ASSERT_EQ(decode_wk1(sheet.data(), sheet.size()), 0);
    EXPECT_EQ(data_rows[0].value[1], 3.0);
    EXPECT_FALSE(is_kept_limit(cell_limit[0][1]));
    EXPECT_EQ(cell_limit[1][0], 9.0);
    EXPECT_EQ(data_rows[1].value[1], CELL_MISSING);
    EXPECT_FALSE(is_kept_limit(cell_limit[1][1]));

    const auto plain = test::Wk1Builder().bof().range(0, 0, 1, 1).number(0, 0, 1).label(0, 1, ">").eof().bytes();
    ASSERT_EQ(decode_wk1(plain.data(), plain.size()), 0);
    EXPECT_FALSE(is_kept_limit(cell_limit[1][0]));
    EXPECT_EQ(limit_cells_kept, 0);

    const std::string text = "x\ty\n\t<1\n<2\t>3\n";
    ASSERT_EQ(decode_text_worksheet(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                                    TextFormat::Tabs, false),
              0);
    EXPECT_EQ(cell_limit[1][1], 1.0);
    EXPECT_EQ(cell_limit[2][0], 2.0);
    EXPECT_EQ(cell_limit[2][1], 3.0);
    reset_process_state();
    EXPECT_FALSE(is_kept_limit(cell_limit[2][1]));
}

}  // namespace
