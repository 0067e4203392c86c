// The Spearman analysis, grouped by behaviour: rho without ties against
// 1 - 6D/(N^3 - N), with ties against the Pearson coefficient of the
// mid-ranks, the tie totals, constant columns and perfect rankings, pairs
// with a missing cell, the layout with extra output, and the status the
// shell reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "analyses/analysis_status.h"
#include "analyses/pair_values.h"
#include "analyses/references.h"
#include "analyses/spearman.h"
#include "test_support.h"

using test::cells_of;
using test::Columns;
using test::lines_of;
using test::Report;

namespace {

constexpr double TOLERANCE = 1e-12;
const double M = CELL_MISSING;

Report spearman(const Columns& columns, bool extra = false, bool log_x = false) {
    test::load_columns(columns);
    return test::run_report(run_spearman_analysis, extra, log_x);
}

// Rho of columns a and b straight from spearman_rho, with its tie totals.
struct Rho {
    double rho;
    int ties_x, ties_y;
};
Rho rho_of(const Columns& columns, int a, int b) {
    test::load_columns(columns);
    build_pair_values(a, b);
    order_pair_columns();
    summarize_columns(true);
    Rho r{0, -1, -1};
    r.rho = spearman_rho(r.ties_x, r.ties_y);
    return r;
}

std::vector<std::string> row_cells(const Report& r, std::size_t line) { return cells_of(r.lines.at(line)); }

std::string fixed4(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

// Mid-ranks 1..n of the values, counted independently of the program: one
// plus the number of smaller values plus half the number of other equal ones.
std::vector<double> mid_ranks(const std::vector<double>& v) {
    std::vector<double> ranks;
    for (double x : v) {
        double less = 0, equal = 0;
        for (double y : v) {
            if (y < x) less += 1;
            if (y == x) equal += 1;
        }
        ranks.push_back(less + (equal + 1) / 2);
    }
    return ranks;
}

double pearson_of(const std::vector<double>& x, const std::vector<double>& y) {
    const double n = static_cast<double>(x.size());
    const double mx = std::accumulate(x.begin(), x.end(), 0.0) / n;
    const double my = std::accumulate(y.begin(), y.end(), 0.0) / n;
    double sxy = 0, sxx = 0, syy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
    }
    return sxy / std::sqrt(sxx * syy);
}

std::vector<double> shuffled_values(unsigned seed, int n) {
    std::vector<double> v;
    for (int i = 0; i < n; ++i) v.push_back(1.5 * i + 0.25);
    std::shuffle(v.begin(), v.end(), std::mt19937(seed));
    return v;
}

}  // namespace

// ---- The coefficient -------------------------------------------------------------

TEST(SpearmanRho, WithoutTiesItIsOneMinusSixDOverNCubedMinusN) {
    const int n = 25;
    const std::vector<double> x = shuffled_values(11, n);
    const std::vector<double> y = shuffled_values(12, n);
    const std::vector<double> rx = mid_ranks(x), ry = mid_ranks(y);
    double d = 0;
    for (int i = 0; i < n; ++i) d += (rx[static_cast<std::size_t>(i)] - ry[static_cast<std::size_t>(i)]) *
                                     (rx[static_cast<std::size_t>(i)] - ry[static_cast<std::size_t>(i)]);
    const double expected = 1 - 6 * d / (n * n * n - n);

    const Rho direct = rho_of({x, y}, 0, 1);
    EXPECT_NEAR(direct.rho, expected, TOLERANCE);
    EXPECT_EQ(direct.ties_x, 0);
    EXPECT_EQ(direct.ties_y, 0);

    const Report r = spearman({x, y}, true);
    EXPECT_EQ(r.lines.at(0), "Spearman");
    EXPECT_EQ(row_cells(r, 1), (std::vector<std::string>{"Rho", fixed4(expected)}));
    const double z = std::atanh(expected);
    EXPECT_EQ(row_cells(r, 2).at(1), fixed4(std::tanh(z - 1.96 / std::sqrt(22.0))));
    EXPECT_EQ(row_cells(r, 3).at(1), fixed4(std::tanh(z + 1.96 / std::sqrt(22.0))));
    EXPECT_EQ(row_cells(r, 5), (std::vector<std::string>{"N", "25"}));
    EXPECT_EQ(row_cells(r, 6), (std::vector<std::string>{"Ties x", "0.0000"}));
    EXPECT_EQ(row_cells(r, 7), (std::vector<std::string>{"Ties y", "0.0000"}));
}

TEST(SpearmanRho, WithTiesItIsThePearsonCoefficientOfTheMidRanks) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> level(1, 6);
    std::vector<double> x, y;
    for (int i = 0; i < 40; ++i) {
        const int a = level(random);
        x.push_back(a);
        y.push_back(a + level(random) / 2);  // ties within both columns
    }
    const Rho direct = rho_of({x, y}, 0, 1);
    EXPECT_NEAR(direct.rho, pearson_of(mid_ranks(x), mid_ranks(y)), TOLERANCE);
    EXPECT_EQ(spearman({x, y}).lines.at(1), "Rho\t" + fixed4(pearson_of(mid_ranks(x), mid_ranks(y))));
}

TEST(SpearmanTies, TotalsCountTMinusOneForEachMemberOfATieGroup) {
    // x: one pair of equal values; y: a group of three and a pair.
    const std::vector<double> x = {1, 2, 2, 4, 5, 6, 7};
    const std::vector<double> y = {3, 3, 3, 8, 9, 9, 1};
    const Rho direct = rho_of({x, y}, 0, 1);
    EXPECT_EQ(direct.ties_x, 2);
    EXPECT_EQ(direct.ties_y, 3 * 2 + 2 * 1);
    const Report r = spearman({x, y}, true);
    EXPECT_EQ(r.lines.at(6), "Ties x\t2.0000");
    EXPECT_EQ(r.lines.at(7), "Ties y\t8.0000");
}

TEST(SpearmanTies, LogModeActsOnlyThroughTheSubstitutes) {
    // Under log transformation the non-positive cells all become the
    // column's log substitute, and so one group of ties.
    const std::vector<double> x = {-2, -1, 0, 1, 2, 3, 4, 5};
    const std::vector<double> y = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(spearman({x, y}, true, false).lines.at(6), "Ties x\t0.0000");
    const Report logs = spearman({x, y}, true, true);
    EXPECT_EQ(logs.lines.at(6), "Ties x\t6.0000");
    std::vector<double> tied = x;
    for (double& v : tied) v = v > 0 ? v : 0;
    EXPECT_EQ(logs.lines.at(1), "Rho\t" + fixed4(pearson_of(mid_ranks(tied), y)));
}

// ---- Degenerate and perfect rankings ------------------------------------------------

TEST(SpearmanDegenerate, ConstantColumnHasNoCoefficient) {
    const Report r = spearman({{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}, {M, 1}},
                              true);
    for (std::size_t line = 1; line <= 4; ++line) {
        EXPECT_EQ(row_cells(r, line).at(1), "#n/a") << line;
        EXPECT_EQ(row_cells(r, line).at(2), "#n/a") << line;
    }
    EXPECT_EQ(row_cells(r, 5), (std::vector<std::string>{"N", "12", "1"}));
    EXPECT_EQ(r.lines.at(7), "Ties y\t132.0000\t0.0000");
    EXPECT_EQ(row_cells(r, 9).at(0), "") << "empty matrix cell";
    EXPECT_EQ(r.text.find("nan"), std::string::npos);
    EXPECT_EQ(r.text.find("inf"), std::string::npos);
}

TEST(SpearmanDegenerate, IdenticalAndReversedRankingsGiveTheLimits) {
    const std::vector<double> x = {1, 2, 3, 4, 5, 6};
    const Report r = spearman({x, {1, 8, 27, 64, 125, 216}, {9, 7, 5, 3, 1, -40}});
    EXPECT_EQ(r.lines.at(1), "Rho\t1.0000\t-1.0000");
    EXPECT_EQ(r.lines.at(2), "95CI low\t1.0000\t-1.0000");
    EXPECT_EQ(r.lines.at(3), "95CI high\t#n/a\t#n/a");
    EXPECT_EQ(r.lines.at(4), "p value\t0.0000\t0.0000");
}

TEST(SpearmanPairs, RowWithAMissingCellIsLeftOutOfThatPairOnly) {
    const std::vector<double> x = {1, 2, 3, 4, 5, 6, 7};
    const std::vector<double> y = {2, 1, M, 3, 5, 4, 7};
    const std::vector<double> z = {7, 1, 2, 3, 6, 4, 5};
    const Report r = spearman({x, y, z}, true);
    EXPECT_EQ(row_cells(r, 5), (std::vector<std::string>{"N", "6", "7"}));
    EXPECT_EQ(row_cells(r, 1).at(1), fixed4(pearson_of(mid_ranks({1, 2, 4, 5, 6, 7}), mid_ranks({2, 1, 3, 5, 4, 7}))));
    EXPECT_EQ(row_cells(r, 1).at(2), fixed4(pearson_of(mid_ranks(x), mid_ranks(z))));
    EXPECT_EQ(row_cells(r, 2).at(1), "#n/a") << "N from 4 to 10: no interval";
    EXPECT_EQ(correlation_n[2][1], 6);
    EXPECT_EQ(correlation_n[1][1], 6);
}

// ---- Layout and status ---------------------------------------------------------

TEST(SpearmanLayout, ExtraOutputWithTwoColumnsAddsTiesAndTwoMatrixLines) {
    const Report plain = spearman({{1, 2, 3, 4, 5}, {2, 1, 4, 3, 5}});
    EXPECT_EQ(plain.lines.size(), 6u);
    EXPECT_EQ(plain.text.back(), '5');
    const Report r = spearman({{1, 2, 3, 4, 5}, {2, 1, 4, 3, 5}}, true);
    ASSERT_EQ(r.lines.size(), 10u);
    EXPECT_EQ(r.lines.at(5), "N\t5");
    test::expect_two_column_matrix(r, 5, 5, 0.8, 5);
}

TEST(SpearmanStatus, RefusedInputAndFailedPublicationAreReportedAsErrors) {
    const auto fine = test::run_program(test::worksheet({{1, 2}, {2, 1}, {3, 3}}), test::calculate(ID_SPEARMAN));
    EXPECT_EQ(fine.status, ANALYSIS_OK);
    ASSERT_EQ(fine.messages.size(), 1u);
    EXPECT_EQ(fine.messages[0].text, "Spearman results on clipboard: use Edit/Paste or CTRL-V");
    EXPECT_EQ(lines_of(fine.text).at(0), "Spearman");

    const auto two_rows = test::run_program(test::worksheet({{1, 2}, {2, 1}}), test::calculate(ID_SPEARMAN));
    EXPECT_EQ(two_rows.status, ANALYSIS_TOO_FEW_ROWS);
    ASSERT_EQ(two_rows.messages.size(), 2u);
    EXPECT_EQ(two_rows.messages[0].text, "At least three data rows are required");
    EXPECT_EQ(two_rows.messages[1].text, "Error while attempting to write data to clipboard");

    const auto one_column = test::run_program(test::worksheet({{1}, {2}, {3}}), test::calculate(ID_SPEARMAN));
    EXPECT_EQ(one_column.status, ANALYSIS_TOO_FEW_COLUMNS);
    ASSERT_FALSE(one_column.messages.empty());
    EXPECT_EQ(one_column.messages[0].text, "At least two data columns are required");

    test::load_columns({{1, 2, 3}, {3, 1, 2}});
    headless::set_fault(headless::Fault::GlobalAlloc, true);
    start_result_text("");
    EXPECT_EQ(run_spearman_analysis(nullptr), ANALYSIS_PUBLISH_FAILED);
    headless::set_fault(headless::Fault::GlobalAlloc, false);
    ASSERT_EQ(headless::messages().size(), 1u);
    EXPECT_EQ(headless::messages()[0].text, "Error while writing results to Clipboard");
}
