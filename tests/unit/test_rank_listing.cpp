// The rank listing, grouped by behaviour: ranks and repeats with ties,
// missing cells, the "Raw data" substitutes on both scales, the layout with
// and without extra output, the column cap and the input checks.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "analyses/analysis_status.h"
#include "analyses/rank_listing.h"
#include "test_support.h"

using namespace rank_blocks;
using test::cells_of;
using test::lines_of;

namespace {

const double M = CELL_MISSING;

using Listing = test::Report;

Listing listing(const std::vector<std::vector<double>>& rows, bool extra = false, bool log = false) {
    test::load_table(rows);
    headless::reset();
    return test::run_report(run_rank_listing, extra, log);
}

// Cell `column` of block `block` (a block id) of data row `row`, in a
// listing with extra output, where every block but the unused one is printed.
std::string cell(const Listing& l, int row, int block, int column) {
    const std::vector<std::string> cells = cells_of(l.lines.at(static_cast<std::size_t>(row)));
    const int place = block > UNUSED_BLOCK ? block - 1 : block;
    return cells.at(static_cast<std::size_t>(place * column_count + column));
}

std::string format(const char* f, double v) {
    char text[128];
    std::snprintf(text, sizeof text, f, v);
    return text;
}

}  // namespace

// ---- Ranks, repeats and missing cells ---------------------------------------------

TEST(RankListingRanks, TiedValuesShareTheirMidRankAndCountTheirRepeats) {
    // Column 0 in order 1, 2, 3, 3, 9: the threes hold positions 3 and 4.
    const Listing l = listing({{9, 10}, {1, 20}, {3, 30}, {3, 40}, {2, 50}}, true);
    ASSERT_EQ(l.status, ANALYSIS_OK);
    EXPECT_EQ(cell(l, 0, RANK_BLOCK, 0), "5.0");
    EXPECT_EQ(cell(l, 2, RANK_BLOCK, 0), "3.5");
    EXPECT_EQ(cell(l, 3, RANK_BLOCK, 0), "3.5");
    EXPECT_EQ(cell(l, 2, REPEATS_BLOCK, 0), "2");
    EXPECT_EQ(cell(l, 0, REPEATS_BLOCK, 0), "1");
    // Distinct values: whole ranks with one decimal, one repeat each.
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(cell(l, r, RANK_BLOCK, 1), format("%.1f", r + 1.0));
        EXPECT_EQ(cell(l, r, REPEATS_BLOCK, 1), "1");
        EXPECT_EQ(cell(l, r, PERCENTILE_BLOCK, 1), format("%.1f", 100.0 * data_rows[r].rank_position[1]));
        const double z = data_rows[r].normal_score[1];
        EXPECT_EQ(cell(l, r, Z_SCORE_BLOCK, 1), format("%.4f", z));
        EXPECT_EQ(cell(l, r, LINEAR_PREDICTION_BLOCK, 1),
                  format("%8.4f", column_summaries[1].mean + z * column_summaries[1].sd));
        EXPECT_EQ(cell(l, r, RAW_DATA_BLOCK, 1), format("%.4f", 10.0 * (r + 1)));
    }
}

TEST(RankListingRanks, MissingCellGivesEmptyCellsAndTheLineIsStillWritten) {
    const Listing l = listing({{1, 7}, {M, 8}, {3, M}, {4, 9}}, true);
    ASSERT_EQ(l.lines.size(), 5u);
    const std::vector<std::string> first = cells_of(l.lines.at(1));
    ASSERT_EQ(first.size(), 14u);
    EXPECT_EQ(first.at(0), " ") << "the line's first cell is a single space";
    for (int block = 1; block < 7; ++block) EXPECT_EQ(first.at(static_cast<std::size_t>(2 * block)), "") << block;
    EXPECT_EQ(first.at(1), "2.0");
    const std::vector<std::string> second = cells_of(l.lines.at(2));
    ASSERT_EQ(second.size(), 14u);
    for (int block = 0; block < 7; ++block) EXPECT_EQ(second.at(static_cast<std::size_t>(2 * block + 1)), "") << block;
    EXPECT_EQ(second.at(0), "2.0");
}

TEST(RankListingRawData, MarkersShowTheColumnsSubstitutesOnEitherScale) {
    const std::vector<std::vector<double>> rows = {{CELL_SMALL}, {2}, {3}, {5}, {4}, {CELL_BIG}, {7}};
    const Listing linear = listing(rows, true, false);
    EXPECT_EQ(cell(linear, 0, RAW_DATA_BLOCK, 0), format("%.4f", column_summaries[0].small_value));
    EXPECT_EQ(cell(linear, 5, RAW_DATA_BLOCK, 0), format("%.4f", column_summaries[0].big_value));
    EXPECT_EQ(cell(linear, 1, RAW_DATA_BLOCK, 0), "2.0000");
    EXPECT_EQ(cell(linear, 0, RANK_BLOCK, 0), "1.0");
    EXPECT_EQ(cell(linear, 5, RANK_BLOCK, 0), "7.0");

    const Listing logs = listing(rows, true, true);
    EXPECT_EQ(cell(logs, 0, RAW_DATA_BLOCK, 0), format("%.4f", column_summaries[0].small_value_log));
    EXPECT_EQ(cell(logs, 5, RAW_DATA_BLOCK, 0), format("%.4f", column_summaries[0].big_value_log));
    EXPECT_NE(column_summaries[0].small_value_log, column_summaries[0].small_value);
}

// ---- Layout ---------------------------------------------------------------------

TEST(RankListingLayout, WithoutExtraOutputTwoBlocksAndTwoLabels) {
    const Listing l = listing({{1, 4}, {2, 5}, {3, 6}});
    ASSERT_EQ(l.lines.size(), 4u);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(cells_of(l.lines.at(static_cast<std::size_t>(r))).size(), 4u);
    EXPECT_EQ(l.lines.at(3), "Adjusted Rank\t\tPercentile");
    EXPECT_NE(l.text.back(), '\n') << "the label line has no line break";
    EXPECT_EQ(l.text.find("Rank results"), std::string::npos);
}

TEST(RankListingLayout, ExtraOutputAddsFiveBlocksEachLabelAboveItsFirstColumn) {
    const Listing l = listing({{1, 4, 7}, {2, 5, 8}, {3, 6, 9}}, true);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(cells_of(l.lines.at(static_cast<std::size_t>(r))).size(), 21u);
    const std::vector<std::string> labels = cells_of(l.lines.at(3));
    ASSERT_EQ(labels.size(), 19u);
    const char* const expected[] = {"Adjusted Rank", "Percentile", "Rank-based z score", "Repeats",
                                    "Predicted from rank (lin-normal)", "Predicted from rank (log-normal)",
                                    "Raw data"};
    for (int block = 0; block < 7; ++block) EXPECT_EQ(labels.at(static_cast<std::size_t>(3 * block)), expected[block]);
    EXPECT_EQ(std::string(row_labels[REPEATS_BLOCK]), "Repeats");
    EXPECT_EQ(std::string(row_labels[Z_SCORE_BLOCK]), "Rank-based z score");
}

TEST(RankListingLayout, SixColumnsAreCappedToFiveWithAMessageAndSucceed) {
    const auto run = test::run_program(
        test::worksheet({{1, 2, 3, 4, 5, 6}, {2, 3, 4, 5, 6, 7}, {3, 1, 5, 6, 7, 1}}), test::calculate(ID_SHOW_RANKS));
    EXPECT_EQ(run.status, ANALYSIS_OK);
    ASSERT_EQ(run.messages.size(), 2u);
    EXPECT_EQ(run.messages[0].text, "Only up to 5 columns can be handled");
    EXPECT_EQ(run.messages[0].caption, "Morvenda 006");
    EXPECT_EQ(run.messages[1].text, "Rank results on clipboard: use Edit/Paste or CTRL-V");
    EXPECT_EQ(column_count, MAX_RANK_COLUMNS);
    const std::vector<std::string> lines = lines_of(run.text);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(cells_of(lines.at(0)).size(), 10u);
    EXPECT_EQ(lines.at(3), "Adjusted Rank\t\t\t\t\tPercentile");
}

// ---- Input checks and degenerate columns --------------------------------------------

TEST(RankListingInput, NoColumnOrTooFewRowsAreRefused) {
    test::load_table({{}, {}, {}});
    headless::reset();
    EXPECT_EQ(run_rank_listing(nullptr), ANALYSIS_TOO_FEW_COLUMNS);
    ASSERT_EQ(headless::messages().size(), 1u);
    EXPECT_EQ(headless::messages()[0].text, "At least one data columns is required");

    const Listing two = listing({{1}, {2}});
    EXPECT_EQ(two.status, ANALYSIS_TOO_FEW_ROWS);
    ASSERT_EQ(headless::messages().size(), 1u);
    EXPECT_EQ(headless::messages()[0].text, "At least three data row are required");
    EXPECT_EQ(headless::messages()[0].caption, "Morvenda 006");
}

TEST(RankListingInput, ColumnsWithoutSpreadOrLogScaleGiveEmptyCellsNotNan) {
    // Column 0: one value (no SD); column 1: no positive value (no log scale);
    // column 2: markers only.
    const Listing l = listing({{4, -1, CELL_SMALL}, {M, -2, CELL_SMALL}, {M, 0, CELL_BIG}}, true, true);
    ASSERT_EQ(l.status, ANALYSIS_OK);
    EXPECT_EQ(l.text.find("nan"), std::string::npos) << l.text;
    EXPECT_EQ(l.text.find("inf"), std::string::npos) << l.text;
    EXPECT_EQ(cell(l, 0, LINEAR_PREDICTION_BLOCK, 0), "") << "no SD: no prediction";
    EXPECT_EQ(cell(l, 0, LOG_PREDICTION_BLOCK, 1), "") << "no log scale: no prediction";
    EXPECT_EQ(cell(l, 0, RANK_BLOCK, 0), "1.0");
}
