// Paired comparison, grouped by behaviour: the pairs with their marker
// rules in both modes, the t-test on differences and on log ratios, the
// signed-rank sums and their p codes, degenerate columns, report layout and
// whole runs.
//
// Reference values come from an independent computation (numpy/scipy:
// ttest_rel, ttest_1samp on the log ratios) of the same pairs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "analyses/paired.h"
#include "comparison_support.h"
#include "stats/column_summary.h"
#include "stats/distributions.h"

using namespace paired_rows;
using namespace test;

namespace {

// Rows (x, y) with y = x + difference, x = 10, 11, ...
std::vector<std::vector<double>> with_differences(const std::vector<double>& differences) {
    std::vector<std::vector<double>> rows;
    double x = 10;
    for (double d : differences) {
        rows.push_back({x, x + d});
        x += 1;
    }
    return rows;
}

// Differences 1..n, those listed negated.
std::vector<double> signed_ranks(int n, const std::vector<int>& negative) {
    std::vector<double> d;
    for (int k = 1; k <= n; ++k) d.push_back(k);
    for (int k : negative) d[static_cast<std::size_t>(k - 1)] = -k;
    return d;
}

std::string wilcoxon_text(const std::vector<double>& differences) {
    run_on_table(run_paired_analysis, with_differences(differences));
    return cell(WILCOXON_P_ROW, 1);
}

const std::vector<std::vector<double>> T_PAIRS = {{10, 12}, {12, 15}, {9, 8},   {14, 17},
                                                  {11, 13}, {13, 16}, {10, 13}, {15, 19}};

// Rows exercising the marker rules, then real pairs for the substitutes.
const std::vector<std::vector<double>> MARKER_ROWS = {
    {M, 5}, {5, M}, {S, S}, {B, B}, {S, B}, {B, S}, {S, 7}, {4, B}, {6, 3},
    {3, 4}, {5, 5}, {8, 6}, {2, 9}, {7, 2}, {9, 11},
};

}  // namespace

TEST(PairedPairs, MarkerRulesInLinearMode) {
    load_table(MARKER_ROWS);
    build_paired_differences(1);
    const ColumnSummary& x = column_summaries[0];
    const ColumnSummary& y = column_summaries[1];
    const double signed_values[] = {M, M, M, M, B, S, 7 - x.small_value, y.big_value - 4, -3};
    const double magnitudes[] = {M, M, M, M, B, B, std::fabs(7 - x.small_value), std::fabs(y.big_value - 4), 3};
    for (int r = 0; r < 9; ++r) {
        EXPECT_EQ(pair_rows[r].value[0], signed_values[r]) << r;
        EXPECT_EQ(pair_rows[r].value[1], magnitudes[r]) << r;
    }
}

TEST(PairedPairs, RatioModeUsesLogSubstitutesAndPositiveValuesOnly) {
    load_table(MARKER_ROWS);
    log_transform = 1;
    build_paired_differences(1);
    const ColumnSummary& x = column_summaries[0];
    const double q = 7 / x.small_value_log;
    EXPECT_EQ(pair_rows[5].value[0], S);
    EXPECT_EQ(pair_rows[5].value[1], B);  // a signed small cell is big in magnitude
    EXPECT_EQ(pair_rows[6].value[0], q);
    EXPECT_EQ(pair_rows[6].value[1], q > 1 ? q : 1 / q);
    EXPECT_EQ(pair_rows[8].value[0], 0.5);
    EXPECT_EQ(pair_rows[8].value[1], 2.0);

    // Zero and negative cells have no ratio.
    load_table({{0, 2}, {3, -1}, {-2, 5}, {4, 8}});
    log_transform = 1;
    build_paired_differences(1);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(pair_rows[r].value[0], M) << r;
        EXPECT_EQ(pair_rows[r].value[1], M) << r;
    }
    EXPECT_EQ(pair_rows[3].value[0], 2.0);

    // A column without a positive cell has no log-scale substitute.
    load_table({{S, 4}, {-1, 6}, {0, 5}});
    log_transform = 1;
    ASSERT_FALSE(std::isfinite(column_summaries[0].small_value_log));
    build_paired_differences(1);
    EXPECT_EQ(pair_rows[0].value[0], M);
    EXPECT_EQ(pair_rows[0].value[1], M);
}

TEST(PairedTTest, DifferencesAgainstIndependentValues) {
    ASSERT_EQ(run_on_table(run_paired_analysis, T_PAIRS), 0);
    const double m = 2.375, se = 0.5324304113, t = 4.4606768315;
    const double t95 = t95_for_df(7);
    EXPECT_NEAR(t95, 2.364624, 1e-5);
    EXPECT_NEAR(cell_number(MEAN_ROW, 1), m, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(LOWER_LIMIT_ROW, 1), m - t95 * se, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(UPPER_LIMIT_ROW, 1), m + t95 * se, PRINTED_TOLERANCE);
    char p[32];
    std::snprintf(p, sizeof p, "%.4lf", p_from_t(t, 7));
    EXPECT_EQ(cell(T_TEST_P_ROW, 1), p);
    EXPECT_NEAR(cell_number(T_TEST_P_ROW, 1), 0.002934, 0.0005);
    EXPECT_EQ(cell(N_ROW, 1), "           8");
    EXPECT_NEAR(cell_number(SE_ROW, 1), se, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(T_ROW, 1), t, PRINTED_TOLERANCE);
    // Magnitudes 1, 2, 2, 3, 3, 3, 3, 4: the one negative has rank 1.
    EXPECT_EQ(cell(WILCOXON_N_ROW, 1), "8");
    EXPECT_EQ(cell(WILCOXON_T_ROW, 1), "1.0000");
    EXPECT_EQ(cell(WILCOXON_P_ROW, 1), "< 0.020");
}

TEST(PairedTTest, RatioModeOnLogRatios) {
    ASSERT_EQ(run_on_table(run_paired_analysis, T_PAIRS, true), 0);
    const double ml = 0.1694105724, sel = 0.0424137559, t = 3.9942365135;
    const double t95 = t95_for_df(7);
    EXPECT_NEAR(cell_number(MEAN_ROW, 1), std::exp(ml), PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(LOWER_LIMIT_ROW, 1), std::exp(ml - t95 * sel), PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(UPPER_LIMIT_ROW, 1), std::exp(ml + t95 * sel), PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(SE_ROW, 1), std::exp(sel), PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(T_ROW, 1), t, PRINTED_TOLERANCE);
    EXPECT_NEAR(cell_number(T_TEST_P_ROW, 1), p_from_t(t, 7), PRINTED_TOLERANCE);
    EXPECT_EQ(cell(WILCOXON_T_ROW, 1), "1.0000");  // the ranks of the ratios' magnitudes order as the differences'
}

TEST(PairedWilcoxon, TableCodes) {
    EXPECT_EQ(wilcoxon_table_p(3, 8), -0.05);
    EXPECT_EQ(wilcoxon_table_p(5, 8), 1.0);
    EXPECT_EQ(wilcoxon_table_p(7, 9), 0.1);
    EXPECT_EQ(wilcoxon_table_p(2, 9), -0.01);
    EXPECT_EQ(wilcoxon_table_p(2.5, 9), -0.02);
    EXPECT_EQ(wilcoxon_table_p(0, 6), -0.05);
    EXPECT_EQ(wilcoxon_table_p(0.5, 6), 1.0);
    EXPECT_EQ(wilcoxon_table_p(0, 7), -0.02);
    EXPECT_EQ(wilcoxon_table_p(89, 25), -0.05);
    EXPECT_EQ(wilcoxon_table_p(89.5, 25), 0.1);
    EXPECT_EQ(wilcoxon_table_p(0, 5), CELL_MISSING);
    EXPECT_EQ(wilcoxon_table_p(0, 26), CELL_MISSING);
}

// Six to eight differences reach only some levels, each at its own few rank
// sums; tied ranks make half-integer sums.
TEST(PairedWilcoxon, FewDifferencesReachOnlyTheirLevels) {
    for (double T = 0; T <= 6; T += 0.5) {
        EXPECT_EQ(wilcoxon_table_p(T, 6), T <= 0 ? -0.05 : 1.0) << T;
        EXPECT_EQ(wilcoxon_table_p(T, 7), T <= 0 ? -0.02 : T <= 2 ? -0.05 : 1.0) << T;
        EXPECT_EQ(wilcoxon_table_p(T, 8), T <= 0 ? -0.01 : T <= 2 ? -0.02 : T <= 4 ? -0.05 : 1.0) << T;
    }
    for (int n = -1; n <= 5; ++n) EXPECT_EQ(wilcoxon_table_p(0, n), CELL_MISSING) << n;
}

TEST(PairedWilcoxon, PrintedCodes) {
    EXPECT_EQ(wilcoxon_text(signed_ranks(8, {1, 2})), "< 0.050");
    EXPECT_EQ(wilcoxon_text(signed_ranks(8, {1, 4})), "1.000");
    EXPECT_EQ(wilcoxon_text(signed_ranks(9, {3, 4})), "0.100");
    EXPECT_EQ(cell(WILCOXON_T_ROW, 1), "7.0000");
    // Five differences reach no two-sided level.
    wilcoxon_text(signed_ranks(5, {}));
    EXPECT_TRUE(cell_missing(WILCOXON_P_ROW, 1));
}

TEST(PairedWilcoxon, TableUpToTwentyFiveNormalFromTwentySix) {
    const std::vector<int> negative = {9, 10, 11, 12, 13, 14, 15, 16};  // T = 100
    EXPECT_EQ(wilcoxon_text(signed_ranks(25, negative)), "0.100");
    const std::string normal = wilcoxon_text(signed_ranks(26, negative));
    EXPECT_EQ(cell(WILCOXON_T_ROW, 1), "100.0000");
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.3lf", p_from_z(-1.9175472830));
    EXPECT_EQ(normal, expected);
    EXPECT_NEAR(std::atof(expected), 0.0552, 0.01);
}

// Zero differences take no rank: the other magnitudes are ranked among
// themselves. Expected sums from an independent ranking (scipy rankdata of
// the non-zero magnitudes).
TEST(PairedWilcoxon, ZeroDifferencesTakeNoRank) {
    // 17 zeros and 26 differences balanced around 0: T = 169, z = -0.1651,
    // two-sided p 0.8689.
    std::vector<double> d(17, 0.0);
    for (int k = 1; k <= 13; ++k) {
        d.push_back(k);
        d.push_back(-(k + 0.5));
    }
    const std::string p = wilcoxon_text(d);
    EXPECT_EQ(cell(WILCOXON_N_ROW, 1), "26");
    EXPECT_EQ(cell(WILCOXON_T_ROW, 1), "169.0000");
    EXPECT_NEAR(std::atof(p.c_str()), 0.8689, 0.0015) << p;

    // Three zeros and twelve others: the smallest magnitude ranks 1.
    d = {0, 0, 0};
    for (double k : signed_ranks(12, {1})) d.push_back(k);
    wilcoxon_text(d);
    EXPECT_EQ(cell(WILCOXON_N_ROW, 1), "12");
    EXPECT_EQ(cell(WILCOXON_T_ROW, 1), "1.0000");

    // In the table's range, with tied magnitudes: ranks 1.5 1.5 3.5 3.5 5..11,
    // R- = 1.5 + 5 = 6.5, within the 0.02 bound 7 for n = 11.
    EXPECT_EQ(wilcoxon_text({0, 0, 1, -1, 2, 2, -3, 4, 5, 6, 7, 8, 9, 0}), "< 0.020");
    EXPECT_EQ(cell(WILCOXON_N_ROW, 1), "11");
    EXPECT_EQ(cell(WILCOXON_T_ROW, 1), "6.5000");

    // Ratio mode: two ratios of exactly 1 take no rank. Magnitudes 2 2 3 4 5
    // 6 7 8 rank 1.5 1.5 3..8; the one ratio below 1 gives T = 1.5, n = 8.
    run_on_table(run_paired_analysis,
                 {{2, 2}, {3, 3}, {1, 2}, {2, 1}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {1, 8}}, true);
    EXPECT_EQ(cell(N_ROW, 1), "          10");
    EXPECT_EQ(cell(WILCOXON_N_ROW, 1), "8");
    EXPECT_EQ(cell(WILCOXON_T_ROW, 1), "1.5000");
    EXPECT_EQ(cell(WILCOXON_P_ROW, 1), "< 0.020");
}

TEST(PairedDegenerate, TooFewOrConstantDifferences) {
    // One complete pair: its difference, and nothing that needs a spread.
    ASSERT_EQ(run_on_table(run_paired_analysis, {{1, 4}, {M, 2}, {3, M}}), 0);
    EXPECT_EQ(cell(MEAN_ROW, 1), "3.0000");
    for (int row : {LOWER_LIMIT_ROW, UPPER_LIMIT_ROW, T_TEST_P_ROW, SE_ROW, T_ROW, WILCOXON_P_ROW})
        EXPECT_TRUE(cell_missing(row, 1)) << row;
    EXPECT_EQ(cell(N_ROW, 1), "           1");

    // Markers in every cell: no pair at all.
    ASSERT_EQ(run_on_table(run_paired_analysis, {{S, S}, {B, B}, {S, B}, {B, S}}), 0);
    for (int row : {MEAN_ROW, LOWER_LIMIT_ROW, UPPER_LIMIT_ROW, T_TEST_P_ROW, WILCOXON_P_ROW, SE_ROW, T_ROW})
        EXPECT_TRUE(cell_missing(row, 1)) << row;
    EXPECT_EQ(cell(WILCOXON_N_ROW, 1), "0");

    // Constant differences: SE = 0, so no t and no p; the limits are the mean.
    ASSERT_EQ(run_on_table(run_paired_analysis, with_differences({2, 2, 2, 2, 2, 2})), 0);
    EXPECT_EQ(cell(MEAN_ROW, 1), "2.0000");
    EXPECT_EQ(cell(LOWER_LIMIT_ROW, 1), "2.0000");
    EXPECT_TRUE(cell_missing(T_TEST_P_ROW, 1));
    EXPECT_TRUE(cell_missing(T_ROW, 1));
    EXPECT_EQ(cell(WILCOXON_P_ROW, 1), "< 0.050");
}

TEST(PairedRun, WholeProgram) {
    const RunResult refused = run_program(worksheet({{1, 2}, {3, 4}}), calculate(ID_PAIRED));
    EXPECT_EQ(refused.status, 2);
    ASSERT_EQ(refused.messages.size(), 2u);
    EXPECT_EQ(refused.messages[0].text, "At least three data rows are required");
    EXPECT_EQ(refused.messages[1].text, "Error while attempting to write data to clipboard");

    const Rows sheet = {{"before", "after"}, {10, 12}, {12, 15}, {9, 8}, {"<1", 17}, {11, 13}, {13, "<1"}};
    const RunResult run = run_program(worksheet(sheet), calculate(ID_PAIRED, false, false, true));
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].text, "Paired test results on clipboard: use Edit/Paste or CTRL-V");
    const std::vector<std::string> lines = lines_of(run.text);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[6], "N (T-test)\t           6");
    EXPECT_EQ(lines[9], "N (Wilcoxon)\t6");
}
