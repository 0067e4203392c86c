// The statistics of values beyond a limit against the expectations that
// tools/generate_censored_expectations.py computes independently, and the
// order that is known between cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "stats/censored_order.h"
#include "stats/censored_tests.h"
#include "worksheet/data_table.h"
#include "worksheet/limit_table.h"
#include "test_support.h"

namespace {

std::vector<std::vector<std::string>> expectations(const std::string& kind) {
    std::ifstream in(MORVENDA_SOURCE_DIR "/tests/unit/data/censored_expectations.txt");
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string f; std::getline(split, f, '\t');) fields.push_back(f);
        if (fields[0] == kind) rows.push_back(fields);
    }
    return rows;
}

double number(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

void expect_close(double actual, const std::string& expected, const std::string& what) {
    const double e = number(expected);
    EXPECT_NEAR(actual, e, 1e-12 * (1 + std::fabs(e))) << what;
}

TEST(CensoredOrder, KnownSmallerIsTheOrderOfEveryValueACellMayHold) {
    struct Case {
        const char* a;
        const char* b;
        bool smaller;
    };
    const Case cases[] = {
        {"<5", "5", true},    {"<5", "7", true},     {"<5", "3", false},  {"<5", "<7", false},
        {"<5", ">5", true},   {"<5", ">4", false},   {"5", ">5", true},   {"5", "5", false},
        {"3", "5", true},     {"5", "3", false},     {">5", "7", false},  {">5", ">9", false},
        {"7", "<5", false},   {"<1", "<1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(known_smaller(test::censored_cell(c.a), test::censored_cell(c.b)), c.smaller) << c.a << " vs " << c.b;
}

// "<" and ">" without a kept limit take the column's smallest and largest
// measured value; without a measured value they lie beyond every other cell.
TEST(CensoredOrder, CellsWithoutALimitTakeTheColumnsMeasuredExtremes) {
    reset_process_state();
    row_count = 4;
    column_count = 2;
    const double column0[] = {CELL_SMALL, 4, CELL_BIG, 2};
    const double column1[] = {CELL_SMALL, CELL_BIG, CELL_SMALL, CELL_MISSING};
    for (int r = 0; r < 4; ++r) {
        data_rows[r].value[0] = column0[r];
        data_rows[r].value[1] = column1[r];
    }
    cell_limit[2][1] = limit_entry(0.0);
    CensoredCell cell{};
    const ColumnBounds b0 = column_bounds(0);
    ASSERT_TRUE(read_censored_cell(0, 0, b0, cell));
    EXPECT_EQ(cell.side, SIDE_BELOW);
    EXPECT_EQ(cell.value, 2.0);
    EXPECT_FALSE(cell.written);
    ASSERT_TRUE(read_censored_cell(2, 0, b0, cell));
    EXPECT_EQ(cell.side, SIDE_ABOVE);
    EXPECT_EQ(cell.value, 4.0);

    const ColumnBounds b1 = column_bounds(1);
    CensoredCell low{}, high{}, written{};
    ASSERT_TRUE(read_censored_cell(0, 1, b1, low));
    ASSERT_TRUE(read_censored_cell(1, 1, b1, high));
    ASSERT_TRUE(read_censored_cell(2, 1, b1, written));
    EXPECT_FALSE(read_censored_cell(3, 1, b1, cell));
    EXPECT_TRUE(written.written);
    EXPECT_EQ(written.value, 0.0);
    EXPECT_TRUE(known_smaller(low, high));
    EXPECT_TRUE(known_smaller(written, high));
    EXPECT_FALSE(known_smaller(low, written));
    EXPECT_FALSE(known_smaller(written, low));
}

TEST(CensoredTests, MatchTheGeneratedExpectations) {
    for (const auto& f : expectations("counts")) {
        const auto cells = test::censored_cells(f[1]);
        const CensoredCounts c = censored_counts(cells.data(), static_cast<int>(cells.size()));
        EXPECT_EQ(c.below, std::stoi(f[2])) << f[1];
        EXPECT_EQ(c.above, std::stoi(f[3])) << f[1];
        EXPECT_EQ(c.distinct_limits, std::stoi(f[4])) << f[1];
    }
    for (const auto& f : expectations("gehan")) {
        const auto g0 = test::censored_cells(f[1]), g1 = test::censored_cells(f[2]);
        const GehanResult r = gehan_test(g0.data(), static_cast<int>(g0.size()), g1.data(), static_cast<int>(g1.size()));
        const std::string what = "gehan " + f[1] + " | " + f[2];
        expect_close(r.w, f[3], what);
        expect_close(r.variance, f[4], what);
        expect_close(r.z, f[5], what);
        expect_close(r.p, f[6], what);
    }
    for (const auto& f : expectations("sign")) {
        const auto x = test::censored_cells(f[1]), y = test::censored_cells(f[2]);
        const SignResult r = censored_sign_test(x.data(), y.data(), static_cast<int>(x.size()));
        EXPECT_EQ(r.pairs, std::stoi(f[3])) << f[1];
        EXPECT_EQ(r.positive, std::stoi(f[4])) << f[1];
        expect_close(r.p, f[5], "sign " + f[1]);
    }
    for (const auto& f : expectations("kendall")) {
        const auto x = test::censored_cells(f[1]), y = test::censored_cells(f[2]);
        const KendallResult r = censored_kendall(x.data(), y.data(), static_cast<int>(x.size()));
        const std::string what = "kendall " + f[1] + " | " + f[2];
        expect_close(r.concordant, f[3], what);
        expect_close(r.discordant, f[4], what);
        expect_close(r.tau, f[5], what);
        expect_close(r.z, f[6], what);
        expect_close(r.p, f[7], what);
    }
    EXPECT_FALSE(expectations("kendall").empty()) << "the expectations file is missing or empty";
}

// Published examples. Gehan (1965), Biometrika 52, 203-223, on Freireich's
// remission times in weeks of 21 leukaemia patients on 6-MP (">6": still in
// remission at 6 weeks) and 21 on placebo: W = 271 with Mantel's scores;
// Var W = 5644.4 and z = 3.61 by the permutation variance, as textbooks of
// survival analysis work the example. Hollander and Wolfe, Nonparametric
// Statistical Methods (1973), p. 187, Kendall's tau of nine pairs: 26
// concordant pairs, tau = 0.4444.
TEST(CensoredTests, PublishedExamples) {
    const auto six_mp = test::censored_cells("6 6 6 >6 7 >9 10 >10 >11 13 16 >17 >19 >20 22 23 >25 >32 >32 >34 >35");
    const auto placebo = test::censored_cells("1 1 2 2 3 4 4 5 5 8 8 8 8 11 11 12 12 15 17 22 23");
    const GehanResult gehan = gehan_test(placebo.data(), 21, six_mp.data(), 21);
    EXPECT_EQ(gehan.w, 271);
    EXPECT_NEAR(gehan.variance, 5644.4, 0.05);
    EXPECT_NEAR(gehan.z, 3.61, 0.005);

    const auto x = test::censored_cells("44.4 45.9 41.9 53.3 44.7 44.1 50.7 45.2 60.1");
    const auto y = test::censored_cells("2.6 3.1 2.5 5.0 3.6 4.0 5.2 2.8 3.8");
    const KendallResult kendall = censored_kendall(x.data(), y.data(), 9);
    EXPECT_EQ(kendall.concordant, 26);
    EXPECT_EQ(kendall.discordant, 10);
    EXPECT_NEAR(kendall.tau, 4.0 / 9.0, 1e-15);
}

// What cannot be computed: a constant score (Var W = 0), no pair with a
// known sign, fewer than two rows.
TEST(CensoredTests, UnavailableStatisticsAreMissing) {
    const CensoredCell same[] = {measured_cell(2), measured_cell(2)};
    EXPECT_EQ(gehan_test(same, 1, same + 1, 1).p, CELL_MISSING);
    const CensoredCell x[] = {below_cell(5), measured_cell(1)};
    const CensoredCell y[] = {measured_cell(3), measured_cell(1)};
    EXPECT_EQ(censored_sign_test(x, y, 2).pairs, 0);
    EXPECT_EQ(censored_sign_test(x, y, 2).p, CELL_MISSING);
    EXPECT_EQ(censored_kendall(x, y, 1).tau, CELL_MISSING);
}

// The counts by sorting against every pair compared with known_smaller, on
// columns with many ties between values and limits, and with the "<" and
// ">" cells of a column without a measured value (limits -inf and +inf).
TEST(CensoredTests, CountsBySortingAgreeWithEveryPair) {
    const double inf = std::numeric_limits<double>::infinity();
    std::mt19937 random(2012);
    auto draw = [&random, inf](int kind) {
        const double v = static_cast<double>(random() % 6);
        switch (kind % 4) {
        case 0: return below_cell(kind == 4 ? -inf : v);
        case 1: return above_cell(kind == 5 ? inf : v);
        default: return measured_cell(v);
        }
    };
    for (int round = 0; round < 40; ++round) {
        const int n = 2 + static_cast<int>(random() % 120), n0 = static_cast<int>(random() % static_cast<unsigned>(n));
        std::vector<CensoredCell> x, y;
        for (int i = 0; i < n; ++i) {
            x.push_back(draw(static_cast<int>(random() % 6)));
            y.push_back(draw(static_cast<int>(random() % 6)));
        }
        // Measured cells in ascending order, as read along a column's order.
        if (round % 2 == 0) {
            std::vector<double> values;
            for (const CensoredCell& cell : x)
                if (cell.side == SIDE_MEASURED) values.push_back(cell.value);
            std::sort(values.begin(), values.end());
            std::size_t k = 0;
            for (CensoredCell& cell : x)
                if (cell.side == SIDE_MEASURED) cell.value = values[k++];
        }
        double c = 0, d = 0, w = 0;
        for (int i = 0; i < n; ++i) {
            double score = 0;
            for (int j = 0; j < n; ++j) {
                score += known_smaller(x[j], x[i]) - known_smaller(x[i], x[j]);
                if (!known_smaller(x[i], x[j])) continue;
                c += known_smaller(y[i], y[j]);
                d += known_smaller(y[j], y[i]);
            }
            if (i >= n0) w += score;
        }
        const KendallResult k = censored_kendall(x.data(), y.data(), n);
        EXPECT_EQ(k.concordant, c) << round;
        EXPECT_EQ(k.discordant, d) << round;
        EXPECT_EQ(gehan_test(x.data(), n0, x.data() + n0, n - n0).w, w) << round;
    }
}

}  // namespace
