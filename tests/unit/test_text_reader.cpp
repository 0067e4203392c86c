// Worksheets copied as text: what a cell's text becomes, exact number
// conversion, lines and separators, quoting, the used range and its caps,
// hostile input, and agreement with the WK1 worksheet of the same cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "test_support.h"
#include "worksheet/text_number.h"
#include "worksheet/text_input.h"
#include "worksheet/wk1_reader.h"

using test::Wk1Builder;

namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The cell's value fed a byte at a time; the quick whole-text reading must
// give the same answers bit for bit.
double cell_value(const std::string& text, char decimal_point = '.') {
    CellTextScan scan;
    begin_cell_text(scan);
    for (const char c : text) feed_cell_text(scan, static_cast<unsigned char>(c), decimal_point);
    const CellReading quick =
        read_cell_text(reinterpret_cast<const unsigned char*>(text.data()), text.size(), decimal_point);
    EXPECT_EQ(quick.empty, cell_text_is_empty(scan)) << text;
    EXPECT_EQ(quick.is_number, cell_text_is_number(scan)) << text;
    if (!cell_text_is_empty(scan)) {
        EXPECT_TRUE(same_bits(quick.value, cell_text_value(scan))) << text;
    }
    return cell_text_is_empty(scan) ? std::nan("") : cell_text_value(scan);
}

int decode(const std::string& text, TextFormat format = TextFormat::Tabs, bool decimal_comma = false) {
    reset_process_state();
    return decode_text_worksheet(reinterpret_cast<const unsigned char*>(text.data()), text.size(), format,
                                 decimal_comma);
}

double at(int row, int column) { return data_rows[row].value[column]; }

// ---- What a cell's text becomes --------------------------------------------

TEST(TextCell, DecimalNumbersInTheirCLocaleForms) {
    EXPECT_EQ(cell_value("42"), 42.0);
    EXPECT_EQ(cell_value("+1.5"), 1.5);
    EXPECT_EQ(cell_value("-2.25"), -2.25);
    EXPECT_EQ(cell_value("3."), 3.0);
    EXPECT_EQ(cell_value(".5"), 0.5);
    EXPECT_EQ(cell_value("1.5e3"), 1500.0);
    EXPECT_EQ(cell_value("25E-2"), 0.25);
    EXPECT_EQ(cell_value("1e+2"), 100.0);
    EXPECT_EQ(cell_value("  007.50  "), 7.5);
    EXPECT_TRUE(same_bits(cell_value("-0"), -0.0));
    EXPECT_TRUE(same_bits(cell_value("0.000e-7"), 0.0));
}

TEST(TextCell, AnythingElseIsTextAndMissing) {
    for (const char* text : {"1e", "e5", ".", "+", "-", "1.2.3", "1 2", "0x10", "inf", "nan", "1,5", "1e5x",
                             "--1", "1e+-3", ".e1", "1.5\t", "12%", "\xC2\xA0" "1", "1\r"})
        EXPECT_EQ(cell_value(text), CELL_MISSING) << text;
}

TEST(TextCell, LimitMarkersFromTheFirstCharacterAfterSpaces) {
    EXPECT_EQ(cell_value("<0.5"), CELL_SMALL);
    EXPECT_EQ(cell_value("  <0,5 mg"), CELL_SMALL);
    EXPECT_EQ(cell_value("<"), CELL_SMALL);
    EXPECT_EQ(cell_value(">100"), CELL_BIG);
    EXPECT_EQ(cell_value("a<5"), CELL_MISSING);
    EXPECT_EQ(cell_value("Creatinine"), CELL_MISSING);
}

TEST(TextCell, SpacesAloneAreNoCell) {
    EXPECT_TRUE(std::isnan(cell_value("")));
    EXPECT_TRUE(std::isnan(cell_value("    ")));
}

TEST(TextCell, DecimalCommaReplacesThePoint) {
    EXPECT_EQ(cell_value("1,5", ','), 1.5);
    EXPECT_EQ(cell_value("-,25e1", ','), -2.5);
    EXPECT_EQ(cell_value("1.5", ','), CELL_MISSING);
    EXPECT_EQ(cell_value("1,5,0", ','), CELL_MISSING);
}

TEST(TextCell, NumbersOutsideTheValueRangeAreMissing) {
    EXPECT_EQ(cell_value("999999999.998"), 999999999.998);
    EXPECT_EQ(cell_value("999999999.999"), CELL_MISSING);
    EXPECT_EQ(cell_value("-999999999.999"), CELL_MISSING);
    EXPECT_EQ(cell_value("1e9"), CELL_MISSING);
    EXPECT_EQ(cell_value("-1e12"), CELL_MISSING);
    EXPECT_EQ(cell_value("1e400"), CELL_MISSING);
    EXPECT_EQ(cell_value("1e99999999999999999999"), CELL_MISSING);
    EXPECT_EQ(cell_value("1e-400"), 0.0);
    // As in a worksheet, the marker's own value reads as the marker.
    EXPECT_EQ(cell_value("-999999998.999"), CELL_SMALL);
}

// ---- Exactness: the same double as strtod ----------------------------------

// Compared before the range rule, which only replaces values by a marker.
void expect_as_strtod(const std::string& text) {
    CellTextScan scan;
    begin_cell_text(scan);
    for (const char c : text) feed_cell_text(scan, static_cast<unsigned char>(c), '.');
    ASSERT_TRUE(cell_text_is_number(scan)) << text;
    EXPECT_TRUE(same_bits(cell_text_number(scan), std::strtod(text.c_str(), nullptr))) << text;
    cell_value(text);
}

TEST(TextNumberExactness, ShortAndRoundTripForms) {
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> magnitude(-12.0, 9.0);
    char text[64];
    for (int i = 0; i < 20000; ++i) {
        const double v = std::pow(10.0, magnitude(random)) * (random() % 2 ? 1 : -1);
        const int digits = static_cast<int>(random() % 20);
        if (i % 3 == 0)
            std::snprintf(text, sizeof text, "%.17g", v);
        else
            std::snprintf(text, sizeof text, i % 3 == 1 ? "%.*e" : "%.*f", digits, v);
        expect_as_strtod(text);
    }
}

TEST(TextNumberExactness, LongDigitStringsAndHalfwayCases) {
    // 2^53 + 1 and 1 + 2^-53 lie halfway between two doubles: ties go to
    // even, and any non-zero digit however far out breaks the tie upwards.
    const std::string half_above_one = "1.00000000000000011102230246251565404236316680908203125";
    expect_as_strtod(half_above_one);
    expect_as_strtod(half_above_one + std::string(900, '0') + "1");
    expect_as_strtod("-" + half_above_one + std::string(2000, '0') + "1e-7");
    expect_as_strtod("9007199254740993");
    expect_as_strtod("9007199254740993." + std::string(900, '0') + "1");
    expect_as_strtod("9007199254740993." + std::string(900, '0'));
    expect_as_strtod("9007199254740992." + std::string(1200, '9'));
    expect_as_strtod("9007199254740993" + std::string(900, '0') + "1e-901");
    expect_as_strtod("0." + std::string(5000, '0') + "1e5005");
    expect_as_strtod(std::string(3000, '1') + "e-2990");
    // Half the smallest subnormal rounds to zero; a hair more does not.
    expect_as_strtod("2.4703282292062327208828439643411068618252990130716238221279284125033775363510437593264991818081799618989828234772285886546332835517796989819938739800539093906315035659515570226392290858392449105184435931802849936536152500319370457678249219365623669863658480757001585769269903706311928279558551332927834338409351978015531246597263579574622766465272827220056374006485499977096599470454020828166226237857393450736339007967761930577506740176324673600968951340535537458516661134223766678604162159680461914467291840300530057530849048765391711386591646239524912623653881879636239373280423891018672348497668235089863388587925628302755995657524455507255189313690836254779186948667994968324049705821028513185451396213837722826145437693412532098591327667236328125e-324");
    expect_as_strtod("2.4703282292062327208828439643411068618252990130716238221279284125033775363510437593264991818081799618989828234772285886546332835517796989819938739800539093906315035659515570226392290858392449105184435931802849936536152500319370457678249219365623669863658480757001585769269903706311928279558551332927834338409351978015531246597263579574622766465272827220056374006485499977096599470454020828166226237857393450736339007967761930577506740176324673600968951340535537458516661134223766678604162159680461914467291840300530057530849048765391711386591646239524912623653881879636239373280423891018672348497668235089863388587925628302755995657524455507255189313690836254779186948667994968324049705821028513185451396213837722826145437693412532098591327667236328125001e-324");
    std::mt19937_64 random(7);
    for (int i = 0; i < 2000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        const std::size_t digits = 1 + random() % 1200;
        for (std::size_t k = 0; k < digits; ++k) text += static_cast<char>('0' + random() % 10);
        if (random() % 2) text.insert(text.size() - random() % digits, ".");
        // Mostly inside the range of doubles, some just beyond either end.
        text += "e" + std::to_string(static_cast<long>(random() % 660) - 330 - static_cast<long>(digits));
        expect_as_strtod(text);
    }
}

// Short numbers, read eight bytes at a time as the text is split, against
// the cell rules: every ending of a field, near the end of the text too.
// Each line starts with a cell, so that the table's origin is the text's.
TEST(TextNumberExactness, PlainNumbersAsTheyAreSplit) {
    std::mt19937_64 random(2026);
    const char* const endings[] = {"\t", "\n0\t", "\r\n0\t", " \t", "e1\t", "\r\t", ".5\t", ",5\t", "x\t", "\t\t"};
    const char forms[] = "0123456789012345678901234567890123456789.-+";
    for (int sheet = 0; sheet < 400; ++sheet) {
        std::string text = "0\t";
        for (int cell = 0; cell < 40; ++cell) {
            const int length = static_cast<int>(random() % 11);
            for (int k = 0; k < length; ++k) text += forms[random() % (sizeof forms - 1)];
            text += endings[random() % 10];
        }
        // The text ends inside a field as often as after one.
        text.resize(text.size() - random() % 3);
        ASSERT_EQ(decode(text), 0);
        std::size_t begin = 0;
        int row = 0, column = 0;
        for (std::size_t pos = 0; pos <= text.size(); ++pos) {
            if (pos < text.size() && text[pos] != '\t' && text[pos] != '\n') continue;
            std::string field = text.substr(begin, pos - begin);
            const bool line_break = pos < text.size() && text[pos] == '\n';
            if (line_break && !field.empty() && field.back() == '\r') field.pop_back();
            const CellReading expected =
                read_cell_text(reinterpret_cast<const unsigned char*>(field.data()), field.size(), '.');
            if (!expected.empty && row < row_count && column < column_count) {
                ASSERT_TRUE(same_bits(at(row, column), expected.value)) << "[" << field << "]";
            }
            row += line_break ? 1 : 0;
            column = line_break ? 0 : column + 1;
            begin = pos + 1;
        }
    }
}

// ---- Lines and separators ----------------------------------------------------

TEST(TextLines, LineEndsByteOrderMarkAndTheLastLine) {
    for (const std::string& text : {std::string("1\t2\n3\t4\n"), std::string("1\t2\r\n3\t4\r\n"),
                                    std::string("1\t2\n3\t4"), std::string("\xEF\xBB\xBF" "1\t2\r\n3\t4")}) {
        ASSERT_EQ(decode(text), 0);
        ASSERT_EQ(row_count, 2);
        ASSERT_EQ(column_count, 2);
        EXPECT_EQ(at(0, 0), 1.0);
        EXPECT_EQ(at(1, 1), 4.0);
    }
    // A lone carriage return is part of the cell; a mark inside is text.
    ASSERT_EQ(decode("1\r2\t\xEF\xBB\xBF" "3\n"), 0);
    EXPECT_EQ(at(0, 0), CELL_MISSING);
    EXPECT_EQ(at(0, 1), CELL_MISSING);
}

TEST(TextLines, EmptyCellsAreBlanksInsideTheRangeAndWidenNothing) {
    ASSERT_EQ(decode("\t\t\n\t5\t \t\n\t\t\t\t\n\t\t7\n\n  \n"), 0);
    EXPECT_EQ(row_count, 3);
    EXPECT_EQ(column_count, 2);
    EXPECT_EQ(at(0, 0), 5.0);
    EXPECT_EQ(at(0, 1), CELL_MISSING);
    EXPECT_EQ(at(1, 0), CELL_MISSING);
    EXPECT_EQ(at(2, 1), 7.0);
}

TEST(TextLines, TabsSeparateAndQuotesAreOrdinaryText) {
    ASSERT_EQ(decode("\"5\",6\t7"), 0);
    EXPECT_EQ(column_count, 2);
    EXPECT_EQ(at(0, 0), CELL_MISSING);
    EXPECT_EQ(at(0, 1), 7.0);
}

TEST(TextLines, NoCellsIsAWorksheetWithoutCells) {
    for (const std::string& text : {std::string(""), std::string("\xEF\xBB\xBF"), std::string(" \t \n\r\n\t")}) {
        EXPECT_EQ(decode(text), 0);
        EXPECT_EQ(row_count, 0);
        EXPECT_EQ(column_count, 0);
    }
    std::vector<unsigned char> stream(TEXT_WK1_CAPACITY);
    stream.resize(text_worksheet_block(nullptr, 0, TextRequest{TextFormat::Tabs, false, OtherPointScope::None, false},
                                       stream.data(), stream.size())
                      .block_size);
    const test::RunResult from_text = test::run_program(stream, test::calculate(ID_DESCRIPTIVE));
    const test::RunResult from_wk1 =
        test::run_program(Wk1Builder().bof().range(0, 0, 0, 0).eof().bytes(), test::calculate(ID_DESCRIPTIVE));
    EXPECT_EQ(from_text.status, from_wk1.status);
    EXPECT_EQ(from_text.text, from_wk1.text);
    ASSERT_EQ(from_text.messages.size(), from_wk1.messages.size());
    for (std::size_t i = 0; i < from_text.messages.size(); ++i)
        EXPECT_EQ(from_text.messages[i].text, from_wk1.messages[i].text);
}

// Whether copied text is a worksheet at all: one value or limit cell makes it
// one; titles, out-of-range numbers and numbers with the other separator do not.
TEST(TextLines, ValuesTellAWorksheetFromOtherText) {
    const auto has_values = [](const std::string& text, bool decimal_comma = false) {
        std::vector<unsigned char> stream(TEXT_WK1_CAPACITY);
        return text_worksheet_block(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                                    TextRequest{TextFormat::Tabs, decimal_comma, OtherPointScope::None, false},
                                    stream.data(), stream.size())
            .values;
    };
    EXPECT_FALSE(has_values(""));
    EXPECT_FALSE(has_values("Copy the cells, then start the program.\r\n"));
    EXPECT_FALSE(has_values("Gr\xC3\xB6\xC3\x9F" "e\t\xC2\xB5g/l\n1e9\t-1e12\n2,5\tn.d."));
    EXPECT_FALSE(has_values("2.5", true));
    EXPECT_TRUE(has_values("Title\n\t 2.5 "));
    EXPECT_TRUE(has_values("2,5", true));
    EXPECT_TRUE(has_values("text\t<0.5"));
    EXPECT_TRUE(has_values("text\n>1000"));
}

// ---- Comma-separated values ------------------------------------------------

TEST(TextCsv, QuotedFieldsHoldSeparatorsLineBreaksAndQuotes) {
    ASSERT_EQ(decode("\"a,b\",1\r\n\"x\ny\", \"2\" ,\"<1\"\"\"\n3,\"\"\"q\",\"4\"5\n", TextFormat::Commas), 0);
    ASSERT_EQ(row_count, 3);
    ASSERT_EQ(column_count, 3);
    EXPECT_EQ(at(0, 0), CELL_MISSING);
    EXPECT_EQ(at(0, 1), 1.0);
    EXPECT_EQ(at(1, 0), CELL_MISSING);
    EXPECT_EQ(at(1, 1), 2.0);
    EXPECT_EQ(at(1, 2), CELL_SMALL);
    EXPECT_EQ(at(2, 0), 3.0);
    EXPECT_EQ(at(2, 1), CELL_MISSING);  // text starting with a quote
    EXPECT_EQ(at(2, 2), 45.0);          // what follows a closing quote joins the field
}

TEST(TextCsv, AnUnclosedQuoteRunsToTheEnd) {
    ASSERT_EQ(decode("1,\"<abc\n2,3\n4,5", TextFormat::Commas), 0);
    EXPECT_EQ(row_count, 1);
    EXPECT_EQ(column_count, 2);
    EXPECT_EQ(at(0, 1), CELL_SMALL);
    // An empty quoted field is no cell.
    ASSERT_EQ(decode("\"\",\" \",1", TextFormat::Commas), 0);
    EXPECT_EQ(column_count, 1);
    EXPECT_EQ(at(0, 0), 1.0);
}

TEST(TextCsv, DecimalCommaSeparatesBySemicolon) {
    ASSERT_EQ(decode("1,5;\"2,25\";3.5\n", TextFormat::Commas, true), 0);
    EXPECT_EQ(column_count, 3);
    EXPECT_EQ(at(0, 0), 1.5);
    EXPECT_EQ(at(0, 1), 2.25);
    EXPECT_EQ(at(0, 2), CELL_MISSING);
    ASSERT_EQ(decode("1,5\t2", TextFormat::Tabs, true), 0);
    EXPECT_EQ(at(0, 0), 1.5);
}

// ---- Used range and caps ---------------------------------------------------

std::string grid_text(int rows, int columns, int first_row = 0, int first_column = 0) {
    std::string text(static_cast<std::size_t>(first_row), '\n');
    for (int r = 0; r < rows; ++r) {
        text.append(static_cast<std::size_t>(first_column), '\t');
        for (int c = 0; c < columns; ++c) text += (c ? "\t" : "") + std::to_string(r * 1000 + c);
        text += '\n';
    }
    return text;
}

TEST(TextRange, OriginAtTheLowestRowAndColumnWithACell) {
    ASSERT_EQ(decode(grid_text(3, 2, 4, 3)), 0);
    EXPECT_EQ(row_count, 3);
    EXPECT_EQ(column_count, 2);
    EXPECT_EQ(at(0, 0), 0.0);
    EXPECT_EQ(at(2, 1), 2001.0);
    // Beyond the 16-bit row and column numbers of a WK1 worksheet.
    ASSERT_EQ(decode(grid_text(2, 2, 70000, 70000)), 0);
    EXPECT_EQ(row_count, 2);
    EXPECT_EQ(column_count, 2);
    EXPECT_EQ(at(1, 1), 1001.0);
}

TEST(TextRange, CapsAtMaxRowsAndMaxColumns) {
    ASSERT_EQ(decode(grid_text(1025, 3)), 0);
    EXPECT_EQ(row_count, MAX_ROWS);
    EXPECT_EQ(at(MAX_ROWS - 1, 2), 1023002.0);
    ASSERT_EQ(decode(grid_text(2, 60)), 0);
    EXPECT_EQ(column_count, MAX_COLUMNS);
    EXPECT_EQ(at(1, MAX_COLUMNS - 1), 1049.0);
    // The largest table fits the stream's capacity.
    ASSERT_EQ(decode(grid_text(MAX_ROWS + 5, MAX_COLUMNS + 5)), 0);
    EXPECT_EQ(row_count, MAX_ROWS);
    EXPECT_EQ(column_count, MAX_COLUMNS);
}

TEST(TextRange, OriginHoldsWhenTheCellsThatSetItLieBeyondTheCaps) {
    // Row 0's only cell is 60 columns out, column 0's only cell 1100 rows down.
    std::string text = std::string(60, '\t') + "1\n\t\t5\n";
    text.append(1100, '\n');
    text += "9\n";
    ASSERT_EQ(decode(text), 0);
    EXPECT_EQ(row_count, MAX_ROWS);
    EXPECT_EQ(column_count, MAX_COLUMNS);
    EXPECT_EQ(at(0, 0), CELL_MISSING);
    EXPECT_EQ(at(1, 2), 5.0);
}

// ---- Hostile input ---------------------------------------------------------

void expect_sound_table() {
    ASSERT_GE(row_count, 0);
    ASSERT_LE(row_count, MAX_ROWS);
    ASSERT_GE(column_count, 0);
    ASSERT_LE(column_count, MAX_COLUMNS);
    for (int r = 0; r < row_count; ++r)
        for (int c = 0; c < column_count; ++c) {
            const double v = at(r, c);
            ASSERT_TRUE(v == CELL_MISSING || !is_missing_value(v)) << r << "," << c;
        }
}

TEST(TextHostileInput, GarbageInEveryFormatGivesASoundTable) {
    std::mt19937 random(99);
    for (int i = 0; i < 300; ++i) {
        std::string text(random() % 5000, '\0');
        // Mostly separators, digits and quotes, so that rows and numbers form.
        const char alphabet[] = "\t\t,,;;\n\r\"\"0123456789.,eE+-<> \xEF\xBB\xBF\xFF\x80";
        for (char& c : text)
            c = random() % 4 == 0 ? static_cast<char>(random()) : alphabet[random() % (sizeof alphabet - 1)];
        const TextFormat format = i % 2 ? TextFormat::Commas : TextFormat::Tabs;
        ASSERT_EQ(decode(text, format, i % 3 == 0), 0);
        expect_sound_table();
    }
}

TEST(TextHostileInput, LongLinesManyLinesNulBytesAndOpenQuotes) {
    std::string long_line;
    for (int i = 0; i < 2000000; ++i) long_line += "12\t";
    ASSERT_EQ(decode(long_line), 0);
    EXPECT_EQ(column_count, MAX_COLUMNS);
    EXPECT_EQ(row_count, 1);

    std::string many_lines;
    for (int i = 0; i < 100000; ++i) many_lines += "3\t4\n";
    ASSERT_EQ(decode(many_lines), 0);
    EXPECT_EQ(row_count, MAX_ROWS);
    EXPECT_EQ(at(MAX_ROWS - 1, 1), 4.0);

    const std::string nul_bytes("1\t\0\t2\n\0\0\0\n", 11);
    ASSERT_EQ(decode(nul_bytes), 0);
    EXPECT_EQ(column_count, 3);
    EXPECT_EQ(at(0, 1), CELL_MISSING);
    EXPECT_EQ(at(1, 0), CELL_MISSING);

    ASSERT_EQ(decode("\xC0\xAF\t\xED\xA0\x80\t\xF8\x88\x80\x80\x80\t5"), 0);
    EXPECT_EQ(at(0, 3), 5.0);

    ASSERT_EQ(decode("\"" + std::string(3000000, 'x') + "\n1,2", TextFormat::Commas), 0);
    EXPECT_EQ(row_count, 1);
    EXPECT_EQ(column_count, 1);
    expect_sound_table();
}

// ---- The same cells as a WK1 worksheet -------------------------------------

TEST(TextAgainstWk1, RandomSheetsGiveTheSameTableBitForBit) {
    std::mt19937_64 random(31337);
    const char* const labels[] = {"<0.5", ">200", "n.d.", "<", "Dose"};
    for (int sheet = 0; sheet < 200; ++sheet) {
        const int rows = 1 + static_cast<int>(random() % 30), columns = 1 + static_cast<int>(random() % 8);
        const unsigned top = static_cast<unsigned>(random() % 5), left = static_cast<unsigned>(random() % 5);
        Wk1Builder wk1;
        std::vector<std::vector<std::string>> text_cells(rows + top, std::vector<std::string>(columns + left));
        unsigned last_row = 0, last_column = 0;
        std::vector<std::pair<std::pair<unsigned, unsigned>, std::string>> labelled;
        std::vector<std::pair<std::pair<unsigned, unsigned>, double>> numbered;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                const unsigned row = top + static_cast<unsigned>(r), column = left + static_cast<unsigned>(c);
                const int kind = static_cast<int>(random() % 6);
                if (kind == 0) continue;
                last_row = std::max(last_row, row);
                last_column = std::max(last_column, column);
                if (kind == 1) {
                    labelled.push_back({{row, column}, labels[random() % 5]});
                    text_cells[row][column] = labelled.back().second;
                } else {
                    double v = std::ldexp(static_cast<double>(random() % 2000000) - 1000000.0,
                                          static_cast<int>(random() % 60) - 40);
                    if (kind == 2) v = std::ldexp(v, 20);  // some beyond the value range
                    numbered.push_back({{row, column}, v});
                    char number[40];
                    std::snprintf(number, sizeof number, "%.17g", v);
                    text_cells[row][column] = number;
                }
            }
        if (labelled.empty() && numbered.empty()) continue;
        wk1.bof().range(0, 0, last_column, last_row);
        for (const auto& cell : labelled) wk1.label(cell.first.second, cell.first.first, cell.second);
        for (const auto& cell : numbered) wk1.number(cell.first.second, cell.first.first, cell.second);
        wk1.eof();
        std::string text;
        for (const auto& line : text_cells) {
            for (std::size_t c = 0; c < line.size(); ++c) text += (c ? "\t" : "") + line[c];
            text += "\n";
        }

        reset_process_state();
        ASSERT_EQ(decode_wk1(wk1.bytes().data(), wk1.bytes().size()), 0);
        const int wk1_rows = row_count, wk1_columns = column_count;
        std::vector<double> wk1_values;
        for (int r = 0; r < row_count; ++r)
            for (int c = 0; c < column_count; ++c) wk1_values.push_back(at(r, c));
        ASSERT_EQ(decode(text), 0);
        ASSERT_EQ(row_count, wk1_rows) << text;
        ASSERT_EQ(column_count, wk1_columns) << text;
        std::size_t k = 0;
        for (int r = 0; r < row_count; ++r)
            for (int c = 0; c < column_count; ++c) ASSERT_TRUE(same_bits(at(r, c), wk1_values[k++])) << text;
    }
}

}  // namespace
