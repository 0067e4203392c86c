// The Pearson analysis, grouped by behaviour: the coefficient, interval and
// p against an independent computation, the pair-count thresholds, perfect
// correlation, the two log modes and the marker substitutes, missing cells
// per pair, the matrix layout, degenerate columns and the input checks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "analyses/analysis_status.h"
#include "analyses/pair_values.h"
#include "analyses/pearson.h"
#include "stats/distributions.h"
#include "test_support.h"

using test::cells_of;
using test::Columns;
using test::lines_of;
using test::Report;

using namespace correlation_rows;

namespace {

constexpr double TOLERANCE = 1e-12;
const double M = CELL_MISSING;

// Loads the columns (shorter ones padded with missing cells) and runs the
// analysis with the given options.
Report pearson(const Columns& columns, bool log_x = false, bool log_y_values = false, bool extra = false) {
    test::load_columns(columns);
    return test::run_report(run_pearson_analysis, extra, log_x, log_y_values);
}

// Main row `row` (a correlation row id) split into cells, label first.
std::vector<std::string> main_row(const Report& r, int row) {
    return cells_of(r.lines.at(static_cast<std::size_t>(row) + 1));
}

std::string fixed4(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

// Mean-centred two-pass coefficient over the rows where both are present
// (a shorter column ends in missing cells).
double two_pass_r(const std::vector<double>& xs, const std::vector<double>& ys) {
    const std::size_t rows = xs.size() < ys.size() ? xs.size() : ys.size();
    double n = 0, mx = 0, my = 0;
    for (std::size_t i = 0; i < rows; ++i)
        if (xs[i] != M && ys[i] != M) {
            n += 1;
            mx += xs[i];
            my += ys[i];
        }
    mx /= n;
    my /= n;
    double sxy = 0, sxx = 0, syy = 0;
    for (std::size_t i = 0; i < rows; ++i)
        if (xs[i] != M && ys[i] != M) {
            sxy += (xs[i] - mx) * (ys[i] - my);
            sxx += (xs[i] - mx) * (xs[i] - mx);
            syy += (ys[i] - my) * (ys[i] - my);
        }
    return sxy / std::sqrt(sxx * syy);
}

void expect_no_non_finite_text(const std::string& text) {
    EXPECT_EQ(text.find("inf"), std::string::npos) << text;
    EXPECT_EQ(text.find("nan"), std::string::npos) << text;
}

}  // namespace

// ---- The coefficient, interval and p ------------------------------------------

TEST(PearsonCoefficient, AgreesWithATwoPassComputationAndFishersInterval) {
    std::mt19937 random(20240607);
    std::normal_distribution<double> noise(0.0, 1.0);
    Columns columns(3);
    for (int i = 0; i < 40; ++i) {
        const double x = noise(random);
        columns[0].push_back(10 + x);
        columns[1].push_back(3 * x + 2 * noise(random));
        columns[2].push_back(-0.2 * x + noise(random));
    }
    const Report r = pearson(columns);
    ASSERT_EQ(r.status, ANALYSIS_OK);
    EXPECT_EQ(r.lines.at(0), "Pearson");
    for (int c = 1; c <= 2; ++c) {
        const double expected = two_pass_r(columns[0], columns[static_cast<std::size_t>(c)]);
        const double z = std::atanh(expected);
        const double h = 1.96 / std::sqrt(37.0);
        EXPECT_EQ(main_row(r, COEFFICIENT_ROW).at(static_cast<std::size_t>(c)), fixed4(expected));
        EXPECT_EQ(main_row(r, CI_LOW_ROW).at(static_cast<std::size_t>(c)), fixed4(std::tanh(z - h)));
        EXPECT_EQ(main_row(r, CI_HIGH_ROW).at(static_cast<std::size_t>(c)), fixed4(std::tanh(z + h)));
        EXPECT_EQ(main_row(r, P_VALUE_ROW).at(static_cast<std::size_t>(c)), fixed4(p_from_z(std::fabs(z * std::sqrt(37.0)))));
        EXPECT_EQ(main_row(r, PAIR_COUNT_ROW).at(static_cast<std::size_t>(c)), "40");
    }
    // The pair of columns 1 and 2 lands in both halves of the matrix.
    const double r12 = two_pass_r(columns[1], columns[2]);
    EXPECT_NEAR(correlation_r[1][2], r12, TOLERANCE);
    EXPECT_EQ(correlation_r[2][1], correlation_r[1][2]);
    EXPECT_EQ(correlation_n[2][1], 40);
    EXPECT_EQ(correlation_n[1][2], 40);
    EXPECT_EQ(main_row(r, COEFFICIENT_ROW).at(0), "Pearson R");
    EXPECT_EQ(main_row(r, PAIR_COUNT_ROW).at(0), "N");
}

// Column 0 is 1..11; the others are complete for 11, 10, 4 and 3 rows, so
// each pair has its own N.
TEST(PearsonThresholds, PairCountDecidesWhatIsShown) {
    const std::vector<double> y = {2, 1, 4, 3, 6, 5, 8, 7, 10, 9, 11};
    const std::vector<double> x = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    Columns columns = {x, y, {y.begin(), y.begin() + 10}, {y.begin(), y.begin() + 4}, {y.begin(), y.begin() + 3}};
    const Report r = pearson(columns, false, false, true);
    EXPECT_EQ(main_row(r, PAIR_COUNT_ROW), (std::vector<std::string>{"N", "11", "10", "4", "3"}));
    // N 11: everything; N 10 and 4: r only; N 3: nothing but N.
    EXPECT_EQ(main_row(r, COEFFICIENT_ROW).at(1), fixed4(two_pass_r(x, y)));
    EXPECT_EQ(main_row(r, COEFFICIENT_ROW).at(2), fixed4(two_pass_r(x, columns[2])));
    EXPECT_EQ(main_row(r, COEFFICIENT_ROW).at(3), fixed4(two_pass_r(x, columns[3])));
    EXPECT_EQ(main_row(r, COEFFICIENT_ROW).at(4), "#n/a");
    for (int row : {CI_LOW_ROW, CI_HIGH_ROW, P_VALUE_ROW}) {
        EXPECT_NE(main_row(r, row).at(1), "#n/a") << row;
        for (std::size_t c = 2; c <= 4; ++c) EXPECT_EQ(main_row(r, row).at(c), "#n/a") << row << " " << c;
    }
    // The matrix still shows the coefficient of the three pairs.
    EXPECT_EQ(cells_of(r.lines.at(10)).at(0), "      0.6547");
    EXPECT_EQ(correlation_n[4][0], 3);
}

TEST(PearsonPerfect, IncreasingAndDecreasingLinesGiveTheLimits) {
    const std::vector<double> x = {1, 2, 3, 4, 5};
    const Report up = pearson({x, {1, 4, 7, 10, 13}, {5, 4, 3, 2, 1}});
    EXPECT_EQ(main_row(up, COEFFICIENT_ROW), (std::vector<std::string>{"Pearson R", "1.0000", "-1.0000"}));
    EXPECT_EQ(main_row(up, CI_LOW_ROW), (std::vector<std::string>{"95CI low", "1.0000", "-1.0000"}));
    EXPECT_EQ(main_row(up, CI_HIGH_ROW), (std::vector<std::string>{"95CI high", "#n/a", "#n/a"}));
    EXPECT_EQ(main_row(up, P_VALUE_ROW), (std::vector<std::string>{"p value", "0.0000", "0.0000"}));
    EXPECT_EQ(up.lines.size(), 6u);
    EXPECT_EQ(up.text.back(), '5') << "no newline after N without extra output";
}

// Proportional columns whose sums round the coefficient a unit of the last
// place beyond +-1 (y = 1.5 x gives 1.0000000000000002) are still perfect.
TEST(PearsonPerfect, RoundingBeyondOneStillGivesTheLimits) {
    const Report fixed = pearson({{7.62, 0.37, 1.46, 5.86, 9.66}, {11.43, 0.555, 2.19, 8.79, 14.49}});
    EXPECT_EQ(main_row(fixed, COEFFICIENT_ROW), (std::vector<std::string>{"Pearson R", "1.0000"}));
    EXPECT_EQ(main_row(fixed, P_VALUE_ROW), (std::vector<std::string>{"p value", "0.0000"}));

    std::mt19937 random(8);
    std::uniform_real_distribution<double> value(0.01, 10.0);
    for (const double k : {3.0, 0.1, 7.0, 1.5, -2.0, -0.3}) {
        for (int trial = 0; trial < 40; ++trial) {
            std::vector<double> x, y;
            for (int i = 0; i < 5 + trial; ++i) {
                x.push_back(std::round(value(random) * 100) / 100);
                y.push_back(k * x.back());
            }
            const Report r = pearson({x, y});
            EXPECT_EQ(main_row(r, COEFFICIENT_ROW).at(1), k > 0 ? "1.0000" : "-1.0000") << "k " << k << ", trial " << trial;
        }
    }
}

// Distances whose squares are subnormal or zero (1e-170) would lose their
// digits in the sums; the coefficient does not depend on the scale.
TEST(PearsonScale, TinyDistancesGiveTheCoefficientOfTheScaledValues) {
    const std::vector<double> x = {1, 2, 3, 4, 6, 5.5};
    const std::vector<double> y = {2, 1, 4, 3, 7, 6};
    std::vector<double> tiny_x, tiny_y;
    for (const double v : x) tiny_x.push_back(v * 1e-170);
    for (const double v : y) tiny_y.push_back(v * 1e-300);
    const Report plain = pearson({x, y});
    const Report tiny = pearson({tiny_x, tiny_y, y});
    EXPECT_EQ(main_row(tiny, COEFFICIENT_ROW).at(1), main_row(plain, COEFFICIENT_ROW).at(1));
    EXPECT_EQ(main_row(tiny, COEFFICIENT_ROW).at(2), main_row(plain, COEFFICIENT_ROW).at(1));
    EXPECT_EQ(main_row(tiny, P_VALUE_ROW).at(1), main_row(plain, P_VALUE_ROW).at(1));

    const Report line = pearson({{5e-324, 1e-323, 1.5e-323, 2e-323}, {1, 3, 5, 7}});
    EXPECT_EQ(main_row(line, COEFFICIENT_ROW), (std::vector<std::string>{"Pearson R", "1.0000"}));
}

// ---- Log modes and marker substitutes ------------------------------------------

TEST(PearsonLogModes, LogXActsOnTheLowerAndLogYOnTheHigherColumn) {
    std::vector<double> exp_i, i_values;
    for (int i = 1; i <= 12; ++i) {
        exp_i.push_back(std::exp(0.5 * i));
        i_values.push_back(i);
    }
    std::vector<double> log_i;
    for (double v : i_values) log_i.push_back(std::log(v));

    // ln(e^(i/2)) against i is a straight line.
    EXPECT_EQ(main_row(pearson({exp_i, i_values}, true, false), 0).at(1), "1.0000");
    EXPECT_EQ(main_row(pearson({i_values, exp_i}, false, true), 0).at(1), "1.0000");
    // Log-y alone leaves x as it is and takes ln of the higher column.
    EXPECT_EQ(main_row(pearson({exp_i, i_values}, false, true), 0).at(1), fixed4(two_pass_r(exp_i, log_i)));
    EXPECT_EQ(main_row(pearson({exp_i, i_values}), 0).at(1), fixed4(two_pass_r(exp_i, i_values)));
    // Both logs.
    std::vector<double> half_i;
    for (double v : i_values) half_i.push_back(0.5 * v);
    EXPECT_EQ(main_row(pearson({exp_i, i_values}, true, true), 0).at(1), fixed4(two_pass_r(half_i, log_i)));
}

TEST(PearsonLogModes, NonPositiveXTakesTheColumnsLogSubstitute) {
    const std::vector<double> x = {CELL_SMALL, 0, -3, 2, 3, 5, 8, 9, 12, 15, 20, 22};
    const std::vector<double> y = {1, 1.5, 1, 3, 2, 6, 7, 8, 8, 12, 13, 15};
    const Report r = pearson({x, y}, true, false);
    const double s = column_summaries[0].small_value_log;
    ASSERT_GT(s, 0);
    std::vector<double> log_x;
    for (double v : x) log_x.push_back(std::log(v > 0 ? v : s));
    EXPECT_EQ(main_row(r, COEFFICIENT_ROW).at(1), fixed4(two_pass_r(log_x, y)));
    EXPECT_EQ(main_row(r, PAIR_COUNT_ROW).at(1), "12");
}

TEST(PearsonLogModes, ZeroSubstituteGivesNotAvailableNotInfinity) {
    // No marker in the column: its log substitute is 0, and ln 0 has no value.
    const Report r = pearson({{0, 1, 2, 3, 4, 5}, {1, 2, 3, 4, 5, 7}}, true, false, true);
    EXPECT_EQ(main_row(r, COEFFICIENT_ROW).at(1), "#n/a");
    EXPECT_EQ(cells_of(r.lines.at(7)).at(0), "");
    expect_no_non_finite_text(r.text);
}

TEST(PearsonMarkers, SmallAndBigCellsStandForTheirColumnsValues) {
    const std::vector<double> x = {CELL_SMALL, 2, 3, 4, 5, 6, 7, 8, CELL_BIG, 9};
    const std::vector<double> y = {1, 3, 2, 5, 4, 6, 8, 7, 9, 10};
    const Report r = pearson({x, y});
    std::vector<double> substituted = x;
    substituted[0] = column_summaries[0].small_value;
    substituted[8] = column_summaries[0].big_value;
    EXPECT_EQ(main_row(r, COEFFICIENT_ROW).at(1), fixed4(two_pass_r(substituted, y)));
    EXPECT_EQ(main_row(r, PAIR_COUNT_ROW).at(1), "10");
}

TEST(PearsonPairs, SubstituteThatIsNotAvailableMakesTheCoefficientUnavailable) {
    // One positive value beside a small cell: the column has no log-scale
    // estimate, so neither has the coefficient.
    const std::vector<double> x = {CELL_SMALL, -1, 4, M};
    const std::vector<double> y = {1, 2, 3, 4};
    const Report r = pearson({x, y}, true, false, true);
    EXPECT_FALSE(std::isfinite(correlation_r[1][0]));
    EXPECT_EQ(cells_of(r.lines.at(7)).at(0), "");
    expect_no_non_finite_text(r.text);

    log_transform = 0;
    EXPECT_TRUE(build_pair_values(0, 1));
    EXPECT_EQ(pair_rows[3].value[0], M) << "a missing cell removes the pair from both columns";
    EXPECT_EQ(pair_rows[3].value[1], M);
    EXPECT_EQ(pair_rows[0].value[0], column_summaries[0].small_value);
}

// ---- Matrix layout ------------------------------------------------------------

TEST(PearsonMatrix, TwoColumnsGiveTwoLinesOfCountsAndTheCoefficient) {
    const Report r = pearson({{1, 2, 3, 4, M, 6}, {2, 1, 4, 3, 5, M}}, false, false, true);
    ASSERT_EQ(r.lines.size(), 8u);
    EXPECT_EQ(r.lines.at(5), "N\t4");
    test::expect_two_column_matrix(r, 5, 4, 0.6, 5);
}

TEST(PearsonMatrix, SevenColumnsGiveSevenLinesOfSevenCells) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(0.0, 100.0);
    Columns columns(7);
    for (int i = 0; i < 15; ++i)
        for (std::size_t c = 0; c < 7; ++c) columns[c].push_back(i == static_cast<int>(c) ? M : value(random));
    const Report r = pearson(columns, false, false, true);
    ASSERT_EQ(r.lines.size(), 13u);
    for (int a = 0; a < 7; ++a) {
        const std::vector<std::string> cells = cells_of(r.lines.at(static_cast<std::size_t>(6 + a)));
        ASSERT_EQ(cells.size(), 8u) << "seven cells, each ending in a tab";
        EXPECT_EQ(cells.back(), "");
        for (int i = 0; i < 7; ++i) {
            char expected[64];
            const std::size_t ai = static_cast<std::size_t>(a), ii = static_cast<std::size_t>(i);
            if (i < a)
                std::snprintf(expected, sizeof expected, "%12.4f", two_pass_r(columns[ai], columns[ii]));
            else
                std::snprintf(expected, sizeof expected, "%12d", i == a ? 14 : 13);
            EXPECT_EQ(cells.at(ii), expected) << a << "," << i;
        }
    }
}

// ---- Degenerate columns and input checks ------------------------------------------

TEST(PearsonDegenerate, ConstantMissingAndMarkerColumnsShowNotAvailable) {
    const Report r = pearson({{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                              {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4},
                              {M, M, M, M, M, M, M, M, M, M, M, M},
                              {CELL_SMALL, CELL_SMALL, CELL_SMALL, CELL_SMALL, CELL_SMALL, CELL_SMALL},
                              {1, 2}},
                             true, true, true);
    ASSERT_EQ(r.status, ANALYSIS_OK);
    for (int row = 0; row <= 3; ++row)
        for (std::size_t c = 1; c <= 4; ++c) EXPECT_EQ(main_row(r, row).at(c), "#n/a") << row << " " << c;
    EXPECT_EQ(main_row(r, PAIR_COUNT_ROW), (std::vector<std::string>{"N", "12", "0", "6", "2"}));
    EXPECT_EQ(cells_of(r.lines.at(7)).at(0), "") << "constant column: empty matrix cell";
    expect_no_non_finite_text(r.text);
}

TEST(PearsonInput, TooFewColumnsOrRowsAreRefusedWithTheirMessage) {
    const auto one_column = test::run_program(test::worksheet({{1}, {2}, {3}}), test::calculate(ID_PEARSON));
    EXPECT_EQ(one_column.status, ANALYSIS_TOO_FEW_COLUMNS);
    ASSERT_EQ(one_column.messages.size(), 2u);
    EXPECT_EQ(one_column.messages[0].text, "At least two data columns are required");
    EXPECT_EQ(one_column.messages[0].caption, "Morvenda 006");
    EXPECT_EQ(one_column.messages[1].text, "Error while attempting to write data to clipboard");
    EXPECT_FALSE(one_column.has_text);

    const auto two_rows = test::run_program(test::worksheet({{1, 2}, {2, 3}}), test::calculate(ID_PEARSON));
    EXPECT_EQ(two_rows.status, ANALYSIS_TOO_FEW_ROWS);
    ASSERT_FALSE(two_rows.messages.empty());
    EXPECT_EQ(two_rows.messages[0].text, "At least three data rows are required");

    const auto fine = test::run_program(test::worksheet({{1, 2}, {2, 3}, {3, 5}, {"<1", 4}}),
                                        test::calculate(ID_PEARSON, false, false, true));
    EXPECT_EQ(fine.status, ANALYSIS_OK);
    ASSERT_EQ(fine.messages.size(), 1u);
    EXPECT_EQ(fine.messages[0].text, "Pearson results on clipboard: use Edit/Paste or CTRL-V");
    EXPECT_EQ(lines_of(fine.text).at(5), "N\t4");
}
