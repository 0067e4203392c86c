// Non-paired comparison, grouped by behaviour: group codes, the t-test on
// both scales, medians, the Mann-Whitney test (exact and approximate, with
// ties, markers and odd codes), degenerate groups, report layout and the
// input checks of a whole run.
//
// Reference values come from an independent computation (numpy/scipy:
// ttest_ind, rankdata, mannwhitneyu) of the same groups.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "analyses/nonpaired.h"
#include "comparison_support.h"
#include "stats/distributions.h"

using namespace nonpaired_rows;
using namespace test;

namespace {

// Rows of (code, value) from the values of group 0 and group 1, alternating.
std::vector<std::vector<double>> groups(const std::vector<double>& g0, const std::vector<double>& g1) {
    std::vector<std::vector<double>> rows;
    for (std::size_t i = 0; i < g0.size() || i < g1.size(); ++i) {
        if (i < g0.size()) rows.push_back({0, g0[i]});
        if (i < g1.size()) rows.push_back({1, g1[i]});
    }
    return rows;
}

std::vector<std::vector<double>> codes(const std::vector<double>& column0) {
    std::vector<std::vector<double>> rows;
    for (double x : column0) rows.push_back({x, 1});
    return rows;
}

struct Codes {
    bool found;
    int32_t code0, code1;
};
Codes find_codes(const std::vector<double>& column0) {
    load_table(codes(column0));
    Codes c{false, 0, 0};
    c.found = find_group_codes(c.code0, c.code1);
    return c;
}

std::string p_text(double p) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4lf", p);
    return text;
}

const std::vector<double> T_GROUP0 = {4.1, 5.3, 6.0, 5.5, 4.8};
const std::vector<double> T_GROUP1 = {6.2, 7.1, 5.9, 6.8, 7.5, 6.6};

}  // namespace

TEST(NonpairedGroupCodes, TwoCodesAscendingWhateverTheirOrder) {
    Codes c = find_codes({1, 0, 1, 0});
    EXPECT_TRUE(c.found);
    EXPECT_EQ(c.code0, 0);
    EXPECT_EQ(c.code1, 1);
    c = find_codes({5, 2, M, 5, 2});
    EXPECT_EQ(c.code0, 2);
    EXPECT_EQ(c.code1, 5);
    // Truncation toward zero: 1.2 and 1.9 are code 1, -0.5 is code 0.
    c = find_codes({0, 1.2, 1.9, -0.5});
    EXPECT_TRUE(c.found);
    EXPECT_EQ(c.code0, 0);
    EXPECT_EQ(c.code1, 1);
}

TEST(NonpairedGroupCodes, NegativeCodesAreCodesLikeAnyOther) {
    Codes c = find_codes({-3, -1, -3, -1});
    EXPECT_TRUE(c.found);
    EXPECT_EQ(c.code0, -3);
    EXPECT_EQ(c.code1, -1);
    c = find_codes({-2, 4, 4});
    EXPECT_EQ(c.code0, -2);
    EXPECT_EQ(c.code1, 4);
    c = find_codes({S, 0, 0});
    EXPECT_EQ(c.code0, -999999998);
    EXPECT_EQ(c.code1, 0);
    // A negative code held first does not hide a third code.
    EXPECT_FALSE(find_codes({-1, 0, 1}).found);
}

TEST(NonpairedGroupCodes, AnythingButTwoCodesIsRefused) {
    EXPECT_FALSE(find_codes({0, 1, 0, 2}).found);
    EXPECT_FALSE(find_codes({3, 3, 3}).found);
    EXPECT_FALSE(find_codes({M, M, M}).found);
}

TEST(NonpairedGroupCodes, GroupColumnsFollowTheTruncatedCode) {
    load_table({{2, 10}, {1.2, 11}, {1.9, 12}, {5, 13}, {M, 14}, {2, M}, {2, S}});
    build_group_columns(1, 1, 2);
    const double col0[] = {M, 11, 12, M, M, M, M};
    const double col1[] = {10, M, M, M, M, M, S};
    for (int r = 0; r < 7; ++r) {
        EXPECT_EQ(pair_rows[r].value[0], col0[r]) << r;
        EXPECT_EQ(pair_rows[r].value[1], col1[r]) << r;
    }
}

TEST(NonpairedTTest, LinearAgainstIndependentValues) {
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, groups(T_GROUP0, T_GROUP1)), 0);
    const double d = 1.5433333333, se = 0.3934823949, t = 3.9222424015;
    const double t95 = t95_for_df(9);
    EXPECT_NEAR(t95, 2.262157, 1e-5);
    EXPECT_NEAR(cell_number(MEAN0_ROW, 1), 5.14, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(MEAN1_ROW, 1), 6.6833333333, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(DIFFERENCE_ROW, 1), d, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(LOWER_LIMIT_ROW, 1), d - t95 * se, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(UPPER_LIMIT_ROW, 1), d + t95 * se, PRINTED_TOLERANCE);
    EXPECT_EQ(cell(N0_ROW, 1), "5");
    EXPECT_EQ(cell(N1_ROW, 1), "6");
    EXPECT_EQ(cell(T_TEST_P_ROW, 1), p_text(p_from_t(t, 9)));
    EXPECT_NEAR(cell_number(T_TEST_P_ROW, 1), 0.003499, 0.0005);  // the interpolated table
    EXPECT_NEAR(cell_number(SD0_ROW, 1), 0.7231873893, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(SD1_ROW, 1), 0.5845225972, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(POOLED_SD_ROW, 1), 0.6498147884, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(SE_ROW, 1), se, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(T_ROW, 1), t, PRINTED_TOLERANCE);
}

TEST(NonpairedTTest, LogScaleIsBackTransformed) {
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, groups(T_GROUP0, T_GROUP1), true), 0);
    const double d = 0.2676518301, se = 0.0709106917, t = 3.7744918786;
    const double t95 = t95_for_df(9);
    EXPECT_NEAR(cell_number(MEAN0_ROW, 1), std::exp(1.6287634547), PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(MEAN1_ROW, 1), std::exp(1.8964152848), PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(DIFFERENCE_ROW, 1), std::exp(d), PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(LOWER_LIMIT_ROW, 1), std::exp(d - t95 * se), PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(UPPER_LIMIT_ROW, 1), std::exp(d + t95 * se), PRINTED_TOLERANCE);
    EXPECT_EQ(cell(T_TEST_P_ROW, 1), p_text(p_from_t(t, 9)));
    EXPECT_NEAR(cell_number(SD0_ROW, 1), std::exp(0.1456899735), PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(POOLED_SD_ROW, 1), std::exp(0.1171051532), PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(SE_ROW, 1), std::exp(se), PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(T_ROW, 1), t, PRINTED_TOLERANCE);  // t is never transformed
    // Medians stay on the data scale.
    EXPECT_NEAR(cell_number(MEDIAN0_ROW, 1), 5.3, PRINTED_TOLERANCE);
}

// A difference that prints as "#n/a" (at or below the missing marker) still
// gives t and p (scipy ttest_ind: t = -22.2533, p = 2.4e-5).
TEST(NonpairedTTest, DifferenceBeyondTheMarkersKeepsItsTest) {
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, groups({8e8, 7.5e8, 9e8}, {-8e8, -7e8, -9e8})), 0);
    EXPECT_TRUE(cell_missing(DIFFERENCE_ROW, 1));
    EXPECT_EQ(cell(T_ROW, 1), "-22.2533");
    EXPECT_GT(std::atof(cell(T_TEST_P_ROW, 1).c_str()), 0);
    EXPECT_LT(std::atof(cell(T_TEST_P_ROW, 1).c_str()), 0.001);
}

TEST(NonpairedMedians, GroupMediansAndTheirDifference) {
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, groups(T_GROUP0, T_GROUP1)), 0);
    EXPECT_NEAR(cell_number(MEDIAN0_ROW, 1), 5.3, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(MEDIAN1_ROW, 1), 6.7, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(MEDIAN_DIFFERENCE_ROW, 1), 1.4, PRINTED_TOLERANCE);
    // Two values have no median, and so no difference of medians.
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, groups({1, 2}, {3, 4, 5})), 0);
    EXPECT_TRUE(cell_missing(MEDIAN0_ROW, 1));
    EXPECT_NEAR(cell_number(MEDIAN1_ROW, 1), 4, PRINTED_TOLERANCE);
    EXPECT_TRUE(cell_missing(MEDIAN_DIFFERENCE_ROW, 1));
}

TEST(NonpairedMannWhitney, ExactTableUpToEightNormalBeyond) {
    const std::vector<double> a = {1.2, 3.4, 2.2, 5.1, 4.4, 0.7, 2.9, 3.8};
    const std::vector<double> b = {4.6, 5.9, 3.1, 6.3, 5.2, 7.0, 4.9, 6.6};
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, groups(a, b)), 0);
    EXPECT_EQ(cell(R0_ROW, 1), "42.0000");
    EXPECT_EQ(cell(R1_ROW, 1), "94.0000");
    EXPECT_EQ(cell(U_ROW, 1), "6.0000");
    EXPECT_EQ(cell(TIE_TERM_ROW, 1), "0.0000");
    EXPECT_NEAR(cell_number(Z_ROW, 1), 2.7305461639, PRINTED_TOLERANCE);  // written with the exact p too
    EXPECT_EQ(cell(MANN_WHITNEY_P_ROW, 1), "0.0020");  // one-sided P(U <= 6), not the normal 0.0063

    std::vector<double> b9 = b;
    b9.push_back(8.1);
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, groups(a, b9)), 0);
    EXPECT_EQ(cell(U_ROW, 1), "6.0000");
    EXPECT_NEAR(cell_number(Z_ROW, 1), 2.8867513459, PRINTED_TOLERANCE);
    EXPECT_EQ(cell(MANN_WHITNEY_P_ROW, 1), p_text(p_from_z(2.8867513459)));

    // A small group beside a large one still takes the normal approximation.
    std::vector<double> twenty;
    for (int i = 1; i <= 20; ++i) twenty.push_back(i);
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, groups({2.5, 9.5, 14.5}, twenty)), 0);
    EXPECT_EQ(cell(U_ROW, 1), "25.0000");
    EXPECT_NEAR(cell_number(Z_ROW, 1), 0.4564354646, PRINTED_TOLERANCE);
    EXPECT_EQ(cell(MANN_WHITNEY_P_ROW, 1), p_text(p_from_z(0.4564354646)));
}

TEST(NonpairedMannWhitney, TiesShareMidRanksAndCorrectTheVariance) {
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, groups({1, 2, 2, 3, 5, 5, 5}, {2, 4, 5, 6, 6, 7, 8, 9, 9})), 0);
    EXPECT_EQ(cell(R0_ROW, 1), "37.5000");
    EXPECT_EQ(cell(R1_ROW, 1), "98.5000");
    EXPECT_EQ(cell(TIE_TERM_ROW, 1), "8.0000");
    EXPECT_EQ(cell(U_ROW, 1), "9.5000");
    EXPECT_NEAR(cell_number(Z_ROW, 1), 2.3566168853, PRINTED_TOLERANCE);
    EXPECT_EQ(cell(MANN_WHITNEY_P_ROW, 1), p_text(p_from_z(2.3566168853)));
}

TEST(NonpairedMannWhitney, MarkersRankAtTheEndsButAreNotRealValues) {
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, groups({S, 1, 2}, {3, 4, B})), 0);
    EXPECT_EQ(cell(N0_ROW, 1), "2");
    EXPECT_EQ(cell(N1_ROW, 1), "2");
    EXPECT_EQ(cell(R0_ROW, 1), "6.0000");
    EXPECT_EQ(cell(R1_ROW, 1), "15.0000");
    EXPECT_EQ(cell(U_ROW, 1), "0.0000");
    EXPECT_EQ(cell(MANN_WHITNEY_P_ROW, 1), "0.0500");  // (3, 3) at u = 0
}

TEST(NonpairedMannWhitney, RanksComeFromTheTwoGroupsOnly) {
    // The 1.5 row is in group 1 for every statistic; the row without a code
    // takes no part in the ranks.
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, {{0, 1}, {0, 2}, {0, 3}, {1, 5}, {1.5, 7}, {M, 4}, {1, 6}}), 0);
    EXPECT_EQ(cell(N1_ROW, 1), "3");
    EXPECT_EQ(cell(R0_ROW, 1), "6.0000");
    EXPECT_EQ(cell(R1_ROW, 1), "15.0000");
    EXPECT_EQ(cell(U_ROW, 1), "0.0000");
    EXPECT_EQ(cell(TIE_TERM_ROW, 1), "0.0000");
}

TEST(NonpairedDegenerate, NothingToComputePrintsNotAvailable) {
    // All values tied: V = 0, so z and its p do not exist; SD 0 makes SE 0.
    const std::vector<double> nine(9, 4.0);
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, groups(nine, nine)), 0);
    EXPECT_EQ(cell(U_ROW, 1), "40.5000");
    EXPECT_EQ(cell(TIE_TERM_ROW, 1), "484.5000");
    EXPECT_TRUE(cell_missing(Z_ROW, 1));
    EXPECT_TRUE(cell_missing(MANN_WHITNEY_P_ROW, 1));
    EXPECT_TRUE(cell_missing(T_ROW, 1));
    EXPECT_TRUE(cell_missing(T_TEST_P_ROW, 1));

    // One value per group: means, but no SD, limits or t; markers only in
    // the second compared column; an empty group in the third.
    ASSERT_EQ(run_on_table(run_nonpaired_analysis, {{0, 1, S, M}, {1, 2, B, 5}, {M, 3, 3, 6}, {1, M, S, 7}}), 0);
    EXPECT_EQ(cell(DIFFERENCE_ROW, 1), "1.0000");
    for (int row : {LOWER_LIMIT_ROW, UPPER_LIMIT_ROW, T_TEST_P_ROW, SD0_ROW, SD1_ROW, POOLED_SD_ROW, SE_ROW, T_ROW})
        EXPECT_TRUE(cell_missing(row, 1)) << row;
    for (int row : {MEAN0_ROW, MEAN1_ROW, DIFFERENCE_ROW, LOWER_LIMIT_ROW, UPPER_LIMIT_ROW, T_TEST_P_ROW, MEDIAN0_ROW,
                    MEDIAN1_ROW, MEDIAN_DIFFERENCE_ROW, SD0_ROW, POOLED_SD_ROW, SE_ROW, T_ROW})
        EXPECT_TRUE(cell_missing(row, 2)) << row;
    EXPECT_EQ(cell(N0_ROW, 3), "0");
    EXPECT_TRUE(cell_missing(MEAN0_ROW, 3));
    EXPECT_TRUE(cell_missing(MANN_WHITNEY_P_ROW, 3));
    EXPECT_TRUE(cell_missing(Z_ROW, 3));
    for (int row = 0; row < COUNT; ++row)
        for (int c = 1; c <= 3; ++c) EXPECT_EQ(cell(row, c).find_first_of("in"), std::string::npos) << row;
}

TEST(NonpairedRun, InputChecksThroughTheWholeProgram) {
    struct Case {
        Rows sheet;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{{0}, {1}, {0}, {1}}, 1, "At least two data columns are required"},
        {{{0, 1}, {1, 2}}, 2, "At least three data rows are required"},
        {{{0, 1}, {1, 2}, {2, 3}}, 3, "First column not suitable for grouping"},
        {{{1, 1}, {1, 2}, {1, 3}}, 3, "First column not suitable for grouping"},
    };
    for (const Case& c : cases) {
        const RunResult run = run_program(worksheet(c.sheet), calculate(ID_NONPAIRED));
        EXPECT_EQ(run.status, c.status);
        ASSERT_EQ(run.messages.size(), 2u);
        EXPECT_EQ(run.messages[0].caption, "Morvenda 006");
        EXPECT_EQ(run.messages[0].text, c.message);
        EXPECT_EQ(run.messages[1].text, "Error while attempting to write data to clipboard");
        EXPECT_FALSE(run.has_text);
    }
}

TEST(NonpairedRun, WorksheetWithTitlesAndLimitLabels) {
    const Rows sheet = {{"group", "weight", "dose"}, {0, 5.0, "<0.1"}, {1, 6.5, 2.0}, {0, 4.5, 1.0},
                        {1, 7.0, 3.0},             {0, 5.5, 1.5},      {1, 5.2, ">9"}};
    const RunResult run = run_program(worksheet(sheet), calculate(ID_NONPAIRED, false, false, true));
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].text, "Non-paired test results on clipboard: use Edit/Paste or CTRL-V");
    const std::vector<std::string> lines = lines_of(run.text);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(cells_of(lines[1])[1], "5.0000");
    EXPECT_EQ(cells_of(lines[2])[1], "6.2333");
    EXPECT_EQ(lines[6], "N0\t3\t2");
    EXPECT_EQ(lines[7], "N1\t3\t2");
    EXPECT_EQ(lines[19], "MW R0\t7.0000\t6.0000");
    EXPECT_EQ(lines[20], "MW R1\t14.0000\t15.0000");
}
