// The descriptive report: which rows appear for each option set, the cell
// texts and blank rules, and the layout (cells, then the label).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "analyses/descriptive.h"
#include "test_support.h"

using namespace descriptive_rows;
using test::cells_of;
using test::lines_of;

namespace {

using test::Report;

Report report(const std::vector<std::vector<double>>& rows, bool extra, bool log) {
    test::load_table(rows);
    headless::reset();
    return test::run_report(run_descriptive_analysis, extra, log);
}

std::vector<std::vector<double>> one_column(std::initializer_list<double> values) {
    std::vector<std::vector<double>> rows;
    for (double v : values) rows.push_back({v});
    return rows;
}

// The line of report row `id`, split into cells (label last); none when
// the row is not printed.
std::vector<std::string> row(const Report& r, int id) {
    const std::string label = row_labels[id];
    for (const std::string& line : r.lines) {
        std::vector<std::string> cells = cells_of(line);
        if (cells.back() == label) return cells;
    }
    return {};
}

// ---- Rows for each option set ----------------------------------------------

TEST(Descriptive, LogTransformationAloneChangesNothing) {
    const auto rows = one_column({1, 2, 3, 4, 5});
    EXPECT_EQ(report(rows, false, true).text, report(rows, false, false).text);
}

// ---- Cells -----------------------------------------------------------------

TEST(Descriptive, FiveValuesGiveTheWorkedExample) {
    const Report r = report(one_column({1, 2, 3, 4, 5}), false, false);
    EXPECT_EQ(row(r, MEDIAN_ROW)[0], "      3.0000");
    EXPECT_EQ(row(r, MEDIAN_MINUS_SE_ROW)[0], "") << "fewer than six values: blank";
    EXPECT_EQ(row(r, MEDIAN_PLUS_SE_ROW)[0], "");
    EXPECT_EQ(row(r, LOWER_THIRD_ROW)[0], "2");
    EXPECT_EQ(row(r, UPPER_THIRD_ROW)[0], "2");
    EXPECT_EQ(row(r, LOWER_THIRD_LOG_ROW)[0], "1");
    EXPECT_EQ(row(r, UPPER_THIRD_LOG_ROW)[0], "2");
    EXPECT_EQ(r.lines.back(), "5\tN total");
    // Mean 3, SD sqrt(2.5), t(4) = 2.77645: limits 3 -+ 1.9632.
    EXPECT_EQ(row(r, CI95_LOWER_ROW)[0], "      1.0368");
    EXPECT_EQ(row(r, CI95_UPPER_ROW)[0], "      4.9632");
    // Geometric mean of 1..5 is 120^(1/5).
    EXPECT_EQ(row(r, MEAN_LOG_ROW)[0], "      2.6052");
}

TEST(Descriptive, EveryShownLineHasOneCellPerColumnThenTheLabel) {
    const Report r = report({{1, 10, CELL_MISSING}, {2, 20, CELL_MISSING}, {3, 35, CELL_MISSING}, {4, 41, CELL_MISSING}},
                            true, false);
    for (const std::string& line : r.lines) EXPECT_EQ(cells_of(line).size(), 4u) << line;
}

TEST(Descriptive, AllMissingColumnIsBlankButKeepsItsRows) {
    const Report r = report({{1, CELL_MISSING}, {2, CELL_MISSING}, {3, CELL_MISSING}}, false, false);
    for (int id : {MIN_ROW, MAX_ROW, MEAN_ROW, CI95_LOWER_ROW, MEAN_LOG_ROW, MEDIAN_ROW, CENTILE_25_ROW})
        EXPECT_EQ(row(r, id)[1], "") << row_labels[id];
    EXPECT_EQ(row(r, LOWER_THIRD_ROW)[1], "0");
    EXPECT_EQ(row(r, UPPER_THIRD_ROW)[1], "0");
    EXPECT_EQ(r.lines.back(), "3\t\tN total") << "N total is blank when no cell is present";
}

TEST(Descriptive, MarkersShowTheirEstimatesOnTheirScale) {
    const auto rows = one_column({CELL_SMALL, CELL_SMALL, 3, 4, 5, 6, 7, 8, 9, 10, CELL_BIG});
    const Report linear = report(rows, true, false);
    EXPECT_EQ(row(linear, N_SMALL_ROW)[0], "2");
    EXPECT_EQ(row(linear, N_BIG_ROW)[0], "1");
    const double small = column_summaries[0].small_value;
    const double big = column_summaries[0].big_value;
    EXPECT_LT(small, 3.0);
    EXPECT_GT(big, 10.0);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%12.4lf", small);
    EXPECT_EQ(row(linear, SMALL_ROW)[0], expected);
    std::snprintf(expected, sizeof expected, "%12.4lf", big);
    EXPECT_EQ(row(linear, BIG_ROW)[0], expected);

    const Report logs = report(rows, true, true);
    EXPECT_EQ(row(logs, N_SMALL_LOG_ROW)[0], "2");
    std::snprintf(expected, sizeof expected, "%12.4lf", column_summaries[0].small_value_log);
    EXPECT_EQ(row(logs, SMALL_LOG_ROW)[0], expected);
    EXPECT_TRUE(row(logs, SMALL_ROW).empty());
}

TEST(Descriptive, ColumnWithoutMarkersShowsBlankBigAndZeroSmallLog) {
    const auto rows = one_column({0, -1, 2, 3, 4, 5});
    const Report linear = report(rows, true, false);
    EXPECT_EQ(row(linear, BIG_ROW)[0], "");
    EXPECT_EQ(row(linear, SMALL_ROW)[0], "");
    const Report logs = report(rows, true, true);
    EXPECT_EQ(row(logs, N_SMALL_LOG_ROW)[0], "2") << "real values <= 0 count as small on the log scale";
    EXPECT_EQ(row(logs, SMALL_LOG_ROW)[0], "      0.0000");
}

TEST(Descriptive, StatisticsThatAreNotNumbersAreBlankCells) {
    test::load_table(one_column({4, 4, 4, 4}));  // no spread
    column_summaries[0].sd = std::numeric_limits<double>::infinity();
    column_summaries[0].mean_log = std::numeric_limits<double>::quiet_NaN();
    column_summaries[0].ci95_upper_log = 800.0;  // exp overflows
    extra_output = 1;
    start_result_text("");
    run_descriptive_analysis(nullptr);
    const std::string text = result_text;
    EXPECT_EQ(text.find("inf"), std::string::npos);
    EXPECT_EQ(text.find("nan"), std::string::npos);
    Report r{text, lines_of(text), 0};
    EXPECT_EQ(row(r, SD_ROW)[0], "");
    EXPECT_EQ(row(r, MEAN_LOG_ROW)[0], "");
    EXPECT_EQ(row(r, CI95_UPPER_LOG_ROW)[0], "");
}

TEST(Descriptive, DeviationFromNormalIsNeverNegative) {
    // Two tied groups are exactly linear in their normal scores; rounding
    // must not show as a negative deviation.
    std::vector<std::vector<double>> rows;
    for (int i = 0; i < 10; ++i) rows.push_back({1.0});
    for (int i = 0; i < 9; ++i) rows.push_back({2.0});
    const Report r = report(rows, true, false);
    EXPECT_EQ(row(r, DEVIATION_ROW)[0], "      0.0000");
    EXPECT_EQ(row(r, DEVIATION_LOG_ROW)[0], "      0.0000");
    EXPECT_GE(column_summaries[0].deviation_from_normal, 0.0);
}

TEST(Descriptive, ZeroColumnsPublishNothingAndSaySo) {
    test::load_table({});
    headless::reset();
    start_result_text("");
    EXPECT_EQ(run_descriptive_analysis(nullptr), 4);
    EXPECT_EQ(result_text_length(), 0);
    ASSERT_EQ(headless::messages().size(), 1u);
    EXPECT_EQ(headless::messages()[0].text, "Error while writing results to Clipboard");
    EXPECT_FALSE(headless::clipboard_has_text());
}

}  // namespace
