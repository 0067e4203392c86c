// The "More statistics" report against values computed independently
// (tools/make_more_statistics_expected.py: SciPy, exact permutation tests
// and brute force), through the report as it prints them, plus the rules of
// the report itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "analyses/more_statistics.h"
#include "analyses/kept_estimates.h"
#include "stats/hodges_lehmann.h"
#include "stats/column_summary.h"
#include "stats/median_interval.h"
#include "stats/ordering.h"
#include "stats/p_adjustment.h"
#include "stats/shapiro_wilk.h"
#include "test_support.h"

namespace {

// Not computable, in the expected values.
const double NA = std::nan("");

struct TwoSampleCase {
    int x, y;
    double welch_t, welch_df, welch_p, welch_low, welch_high, g, g_low, g_high, u, u_p;
    int method;
    double shift, shift_low, shift_high;
};
struct OneSampleCase {
    int sample;
    double v, v_p;
    int method;
    double estimate, dz, dz_low, dz_high, w, w_p;
};
struct KendallCase {
    int x, y, n;
    double tau, p;
    int exact;
};

#include "more_statistics_expected.inc"

const char* const METHODS[] = {"exact", "exact-ties", "normal"};

// The report's cells by label, for the worksheet in the data table.
std::map<std::string, std::vector<std::string>> more_report(MoreAnalysis analysis) {
    static char text[MORE_TEXT_CAPACITY];
    write_more_statistics(analysis, text, MORE_TEXT_CAPACITY);
    std::map<std::string, std::vector<std::string>> rows;
    for (const std::string& line : test::lines_of(text)) {
        std::vector<std::string> cells = test::cells_of(line);
        const std::string label = cells.front();
        cells.erase(cells.begin());
        rows[label] = cells;
    }
    return rows;
}

// A printed cell matches `expected` to the precision it is printed with.
void expect_cell(const std::string& cell, double expected, const std::string& what) {
    if (std::isnan(expected)) {
        EXPECT_EQ(cell, "#n/a") << what;
        return;
    }
    ASSERT_NE(cell, "#n/a") << what;
    const double printed = std::strtod(cell.c_str(), nullptr);
    const bool scientific = cell.find('e') != std::string::npos;
    const std::size_t point = cell.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(cell.size() - point - 1);
    const double tolerance = scientific ? 0.006 * std::fabs(expected) : 0.51 * std::pow(10.0, -decimals) + 1e-12;
    EXPECT_NEAR(printed, expected, tolerance) << what << ": " << cell;
}

std::vector<double> repeated(double v, std::size_t n) { return std::vector<double>(n, v); }

TEST(MoreStatistics, NonpairedAgainstIndependentValues) {
    for (const TwoSampleCase& k : TWO_SAMPLE_CASES) {
        const std::vector<double>& x = SAMPLES[k.x];
        const std::vector<double>& y = SAMPLES[k.y];
        std::vector<double> codes = repeated(0, x.size()), values = x;
        codes.resize(x.size() + y.size(), 1);
        values.insert(values.end(), y.begin(), y.end());
        test::load_columns({codes, values});
        auto r = more_report(MoreAnalysis::Nonpaired);
        const std::string what = "samples " + std::to_string(k.x) + ", " + std::to_string(k.y);
        expect_cell(r["Welch t"][0], k.welch_t, what + " Welch t");
        expect_cell(r["Welch df"][0], k.welch_df, what + " Welch df");
        expect_cell(r["Welch p"][0], k.welch_p, what + " Welch p");
        expect_cell(r["Welch 95%CI low"][0], k.welch_low, what + " Welch low");
        expect_cell(r["Welch 95%CI high"][0], k.welch_high, what + " Welch high");
        expect_cell(r["Hedges g"][0], k.g, what + " g");
        expect_cell(r["Hedges g 95%CI low"][0], k.g_low, what + " g low");
        expect_cell(r["Hedges g 95%CI high"][0], k.g_high, what + " g high");
        expect_cell(r["Mann-Whitney U"][0], k.u, what + " U");
        expect_cell(r["Mann-Whitney p"][0], k.u_p, what + " U p");
        EXPECT_EQ(r["Mann-Whitney p method"][0], METHODS[k.method]) << what;
        expect_cell(r["Hodges-Lehmann shift"][0], k.shift, what + " shift");
        if (k.method != 0) {  // the normal interval; the exact one is checked below
            expect_cell(r["HL 95%CI low"][0], k.shift_low, what + " shift low");
            expect_cell(r["HL 95%CI high"][0], k.shift_high, what + " shift high");
        }
        expect_cell(r["Rank-biserial r"][0], 2 * k.u / (static_cast<double>(x.size()) * y.size()) - 1, what);
    }
}

TEST(MoreStatistics, PairedAndDescriptiveAgainstIndependentValues) {
    for (const OneSampleCase& k : ONE_SAMPLE_CASES) {
        const std::vector<double>& d = SAMPLES[k.sample];
        test::load_columns({repeated(0, d.size()), d});
        auto r = more_report(MoreAnalysis::Paired);
        const std::string what = "sample " + std::to_string(k.sample);
        expect_cell(r["Signed-rank V"][0], k.v, what + " V");
        expect_cell(r["Signed-rank p"][0], k.v_p, what + " V p");
        EXPECT_EQ(r["Signed-rank p method"][0], METHODS[k.method]) << what;
        expect_cell(r["Hodges-Lehmann estimate"][0], k.estimate, what + " estimate");
        expect_cell(r["Cohen dz"][0], k.dz, what + " dz");
        expect_cell(r["dz 95%CI low"][0], k.dz_low, what + " dz low");
        expect_cell(r["dz 95%CI high"][0], k.dz_high, what + " dz high");
        r = more_report(MoreAnalysis::Descriptive);
        expect_cell(r["Shapiro-Wilk W"][1], k.w, what + " W");
        expect_cell(r["Shapiro-Wilk p"][1], k.w_p, what + " W p");
        EXPECT_EQ(r["Shapiro-Wilk W"][0], "#n/a") << "a constant column has no W";
    }
}

TEST(MoreStatistics, KendallAgainstIndependentValues) {
    for (const KendallCase& k : KENDALL_CASES) {
        std::vector<double> x(SAMPLES[k.x].begin(), SAMPLES[k.x].begin() + k.n);
        std::vector<double> y(SAMPLES[k.y].begin(), SAMPLES[k.y].begin() + k.n);
        test::load_columns({x, y});
        const std::string what = "samples " + std::to_string(k.x) + ", " + std::to_string(k.y);
        for (MoreAnalysis a : {MoreAnalysis::Pearson, MoreAnalysis::Spearman}) {
            auto r = more_report(a);
            expect_cell(r["Kendall tau-b"][0], k.tau, what + " tau");
            expect_cell(r["Kendall p"][0], k.p, what + " tau p");
            EXPECT_EQ(r["Kendall p method"][0], k.exact ? "exact" : "normal") << what;
        }
    }
}

TEST(MoreStatistics, AdjustmentsAndMedianRanks) {
    for (const std::vector<double>& k : ADJUSTMENT_CASES) {
        const int m = static_cast<int>(k.size() / 3);
        std::vector<double> holm(m), bh(m);
        adjust_p_values(k.data(), m, holm.data(), bh.data());
        for (int i = 0; i < m; ++i) {
            EXPECT_NEAR(holm[i], k[m + i], 1e-15);
            EXPECT_NEAR(bh[i], k[2 * m + i], 1e-15);
        }
    }
    for (const auto& k : MEDIAN_RANKS) EXPECT_EQ(median_interval_rank(k[0]), k[1]) << "n = " << k[0];
}

// Selections in the implicit matrices against the sorted sets written out,
// on tied samples where equal entries are many.
TEST(MoreStatistics, HodgesLehmannOrderStatisticsAgainstBruteForce) {
    const std::vector<double>& a = SAMPLES[5];
    const std::vector<double>& b = SAMPLES[11];
    std::vector<double> x(a), y(b);
    std::sort(x.begin(), x.end());
    std::sort(y.begin(), y.end());
    std::vector<double> differences, walsh;
    for (double u : x)
        for (double v : y) differences.push_back(v - u);
    for (std::size_t i = 0; i < y.size(); ++i)
        for (std::size_t j = i; j < y.size(); ++j) walsh.push_back((y[i] + y[j]) / 2);
    std::sort(differences.begin(), differences.end());
    std::sort(walsh.begin(), walsh.end());
    const int nx = static_cast<int>(x.size()), ny = static_cast<int>(y.size());
    for (long long k = 1; k <= static_cast<long long>(differences.size()); k += 37)
        ASSERT_EQ(kth_pairwise_difference(x.data(), nx, y.data(), ny, k), differences[k - 1]) << k;
    for (long long k = 1; k <= static_cast<long long>(walsh.size()); k += 29)
        ASSERT_EQ(kth_walsh_average(y.data(), ny, k), walsh[k - 1]) << k;
    EXPECT_TRUE(std::isnan(kth_walsh_average(y.data(), ny, 0)));
}

// The estimate with both limits at once, on samples large enough that the
// three selections share a first step: coarse values (many ties), sizes
// giving odd and even counts, limit ranks near and far from the middle.
TEST(MoreStatistics, HodgesLehmannEstimateWithLimitsAgainstBruteForce) {
    const int sizes[][2] = {{150, 211}, {200, 200}, {333, 95}};
    unsigned state = 7;
    const auto coarse = [&state](int n) {
        std::vector<double> v(n);
        for (double& e : v) e = ((state = state * 1103515245u + 12345u) >> 16) % 97 / 4.0 - 6;
        std::sort(v.begin(), v.end());
        return v;
    };
    for (const auto& size : sizes) {
        const std::vector<double> x = coarse(size[0]), y = coarse(size[1]);
        std::vector<double> differences, walsh;
        for (double u : x)
            for (double v : y) differences.push_back(v - u);
        for (std::size_t i = 0; i < y.size(); ++i)
            for (std::size_t j = i; j < y.size(); ++j) walsh.push_back((y[i] + y[j]) / 2);
        for (std::vector<double>* set : {&differences, &walsh}) {
            std::sort(set->begin(), set->end());
            const long long count = static_cast<long long>(set->size());
            const double median = count % 2 ? (*set)[count / 2] : ((*set)[count / 2 - 1] + (*set)[count / 2]) / 2;
            for (long long k : {count / 2 - count / 25, count / 3, 1LL, count + 1}) {
                const HodgesLehmann e =
                    set == &walsh ? walsh_average_estimate(y.data(), size[1], k)
                                  : pairwise_difference_estimate(x.data(), size[0], y.data(), size[1], k);
                const std::string what = std::to_string(count) + " entries, k = " + std::to_string(k);
                EXPECT_EQ(e.estimate, median) << what;
                if (k > count) {
                    EXPECT_TRUE(std::isnan(e.low) && std::isnan(e.high)) << what;
                } else {
                    EXPECT_EQ(e.low, (*set)[k - 1]) << what;
                    EXPECT_EQ(e.high, (*set)[count - k]) << what;
                }
            }
        }
    }
}

// Textbook data with their published figures: the extra hours of sleep of
// ten patients under two drugs (Cushny and Peebles, as given by Student,
// "The probable error of a mean", Biometrika 6, 1908): Welch's t -1.861 on
// 17.78 degrees of freedom, p 0.0794, 95% interval of drug 1 minus drug 2
// (-3.365, 0.205); and the weights of eleven men of S. S. Shapiro and
// M. B. Wilk, "An analysis of variance test for normality", Biometrika 52
// (1965) 591-611, with W = 0.79, significant at the 1% level.
TEST(MoreStatistics, TextbookData) {
    std::vector<double> codes = repeated(2, 10), drugs = SAMPLES[0];
    codes.resize(20, 1);
    drugs.insert(drugs.end(), SAMPLES[1].begin(), SAMPLES[1].end());
    test::load_columns({codes, drugs});  // group 0 is drug 2 (code 1), group 1 drug 1 (code 2)
    auto r = more_report(MoreAnalysis::Nonpaired);
    EXPECT_EQ(r["Welch t"][0], "-1.8608");
    EXPECT_EQ(r["Welch df"][0], "17.78");
    EXPECT_EQ(r["Welch p"][0], "0.0794");
    EXPECT_EQ(r["Welch 95%CI low"][0], "-3.3655");
    EXPECT_EQ(r["Welch 95%CI high"][0], "0.2055");

    const double weights[] = {148, 154, 158, 160, 161, 162, 166, 170, 182, 195, 236};
    const ShapiroWilk sw = shapiro_wilk(weights, 11);
    EXPECT_NEAR(sw.w, 0.79, 0.005);
    EXPECT_LT(sw.p, 0.01);
}

// The rules of the report: layout, adjusted rows with more than one
// compared column, "#n/a" where nothing can be computed, ratios under
// Log-transformation, and no rows for Show Ranks.
TEST(MoreStatistics, ReportRules) {
    static char text[MORE_TEXT_CAPACITY];
    // Two compared columns: y = x + 1 (a constant difference) and y = 2x.
    const std::vector<double> x = {1, 2, 3, 4, 5, 6, 7};
    std::vector<double> plus_one, twice;
    for (double v : x) plus_one.push_back(v + 1), twice.push_back(2 * v);
    test::load_columns({x, plus_one, twice});
    auto r = more_report(MoreAnalysis::Paired);
    EXPECT_EQ(r["Cohen dz"], (std::vector<std::string>{"#n/a", "1.8516"}));  // SD 0: no dz
    EXPECT_EQ(r["Bias"][0], "1.0000");
    EXPECT_EQ(r["Signed-rank p"][0], "0.0156");
    EXPECT_EQ(r["Signed-rank p (Holm)"].size(), 2u);
    EXPECT_EQ(r["Signed-rank p (BH)"].size(), 2u);
    EXPECT_EQ(r["N beyond a limit"], (std::vector<std::string>{"0", "0"}));
    const int length = write_more_statistics(MoreAnalysis::Paired, text, MORE_TEXT_CAPACITY);
    EXPECT_EQ(std::string(text, 16), "More statistics\n");
    EXPECT_EQ(text[length - 1], '\n');
    // A line that does not fit is left out whole.
    EXPECT_EQ(write_more_statistics(MoreAnalysis::Paired, text, 30), 16);

    log_transform = 1;  // ratio mode: y / x = 2 everywhere
    r = more_report(MoreAnalysis::Paired);
    EXPECT_EQ(r["Bias"][1], "2.0000");
    EXPECT_EQ(r["SD of differences"][1], "0.0000");
    EXPECT_EQ(r["Signed-rank p method"][1], "exact-ties");
    EXPECT_EQ(r["Hodges-Lehmann estimate"][1], "2.0000");
    log_transform = 0;

    // Two groups of equal values: exact p 1, shift interval [0, 0]; one
    // compared column has no adjusted rows; a "<" cell counts beyond a limit.
    test::load_columns({{0, 0, 0, 1, 1, 1, 1}, {5, 5, 5, 5, 5, 5, CELL_SMALL}});
    r = more_report(MoreAnalysis::Nonpaired);
    EXPECT_EQ(r.count("Welch p (Holm)"), 0u);
    EXPECT_EQ(r["N beyond a limit"][0], "1");
    test::load_columns({{0, 0, 0, 1, 1, 1}, {5, 5, 5, 5, 5, 5}});
    r = more_report(MoreAnalysis::Nonpaired);
    EXPECT_EQ(r["Mann-Whitney p"][0], "1.0000");
    EXPECT_EQ(r["Mann-Whitney p method"][0], "exact-ties");
    EXPECT_EQ(r["HL 95%CI low"][0], "0.0000");
    EXPECT_EQ(r["HL 95%CI high"][0], "0.0000");
    EXPECT_EQ(r["Welch t"][0], "#n/a");
    // Too few values: nothing but the count.
    test::load_columns({{0, 1}, {3, 4}});
    EXPECT_EQ(write_more_statistics(MoreAnalysis::Nonpaired, text, MORE_TEXT_CAPACITY), 0);  // refused: 2 rows
    EXPECT_EQ(write_more_statistics(MoreAnalysis::ShowRanks, text, MORE_TEXT_CAPACITY), 0);
    EXPECT_STREQ(text, "");
}

// The rows of values beyond a limit come after an analysis' other rows, in
// order, only when a compared column holds a "<" or ">" cell (any row; not
// the group codes of Nonpaired), and "#n/a" where nothing can be computed.
TEST(MoreStatistics, RowsOfValuesBeyondALimit) {
    const double S = CELL_SMALL, B = CELL_BIG, M = CELL_MISSING;
    struct Case {
        MoreAnalysis analysis;
        test::Columns columns;
        // The new rows, as label=cells; empty: the report has none.
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {MoreAnalysis::Descriptive, {{1, 2, 3}, {4, 5, 6}}, {}},
        // A column without such cells gets the plain centiles, mean, SD and
        // median; one with cells on both sides Turnbull's centiles, no ROS.
        {MoreAnalysis::Descriptive, {{1, 2, 3}, {S, 5, B}},
         {"N below a limit=0 1", "N above a limit=0 1", "Distinct limits=0 0", "KM median=2.0000 5.0000",
          "KM 25 centile=1.0000 5.0000", "KM 75 centile=3.0000 #n/a", "ROS mean=2.0000 #n/a", "ROS SD=1.0000 #n/a",
          "ROS median=2.0000 #n/a"}},
        // "<" cells as the codes of a group.
        {MoreAnalysis::Nonpaired, {{S, S, S, 1, 1, 1}, {1, 2, 3, 4, 5, 6}}, {}},
        // Only "<" cells, none known to be smaller than another: Var W is 0.
        {MoreAnalysis::Nonpaired, {{0, 0, 0, 1, 1, 1}, {S, S, S, S, S, S}}, {"Gehan z=#n/a", "Gehan p=#n/a", "KM median difference=#n/a"}},
        {MoreAnalysis::Nonpaired, {{0, 0, 0, 1, 1, 1}, {1, 2, S, 4, 5, 6}}, {"Gehan z=1.9640", "Gehan p=0.0495", "KM median difference=4.0000"}},
        {MoreAnalysis::Paired, {{1, 2, 3, 4}, {1, 2, 3, 5}}, {}},
        // Equal pairs, and a ">" cell without a partner: no known sign.
        {MoreAnalysis::Paired, {{1, 2, 3, M}, {1, 2, 3, B}},
         {"Pairs with a known sign=0", "Censored sign test p=#n/a"}},
        {MoreAnalysis::Spearman, {{1, 2, 3, 4}, {2, 1, 4, 3}}, {}},
        // Column 1 is compared too; one complete row is too few.
        {MoreAnalysis::Pearson, {{1, 2, 3, S}, {5, M, M, M}},
         {"Censored Kendall tau=#n/a", "Censored Kendall p=#n/a"}},
    };
    static char text[MORE_TEXT_CAPACITY];
    for (const Case& k : cases) {
        test::load_columns(k.columns);
        write_more_statistics(k.analysis, text, MORE_TEXT_CAPACITY);
        // The lines after "N beyond a limit", the last of the other rows.
        const std::vector<std::string> lines = test::lines_of(text);
        std::size_t first = 0;
        while (first < lines.size() && lines[first].rfind("N beyond a limit\t", 0) != 0) ++first;
        ASSERT_LT(first, lines.size()) << &k - cases;
        std::vector<std::string> rows;
        for (std::size_t i = first + 1; i < lines.size(); ++i) {
            std::vector<std::string> cells = test::cells_of(lines[i]);
            std::string row = cells[0] + "=";
            for (std::size_t c = 1; c < cells.size(); ++c) row += (c > 1 ? " " : "") + cells[c];
            rows.push_back(row);
        }
        EXPECT_EQ(rows, k.rows) << text;
    }
}

// The rows on values (Welch's test and Hedges' g; Cohen's dz and the limits
// of agreement) take the comparison's estimates when it has just run on the
// worksheet, and make their own otherwise: the report is the same either
// way, and cells changed after a comparison never get the estimates it made.
TEST(MoreStatistics, RowsOnValuesAreTheSameWithOrWithoutTheComparisonsEstimates) {
    const test::Rows sheet = {{1, 2.5, "<1"}, {1, 3.1, 4.0}, {2, 4.2, 5.5}, {1, 2.9, ">9"},
                              {2, 5.0, 6.1},  {2, 4.4, 7.0}, {1, 3.3, 2.2}, {2, 4.8, 8.3}};
    const struct {
        int radio_id;
        MoreAnalysis analysis;
        const char* row;
    } cases[] = {{ID_NONPAIRED, MoreAnalysis::Nonpaired, "Welch t"}, {ID_PAIRED, MoreAnalysis::Paired, "Cohen dz"}};
    for (const auto& k : cases)
        for (const bool log : {false, true}) {
            test::run_program(test::worksheet(sheet), test::calculate(k.radio_id, log));
            const auto kept = more_report(k.analysis);
            forget_group_estimates();
            EXPECT_EQ(more_report(k.analysis), kept) << k.row << ", log " << log;
            test::run_program(test::worksheet(sheet), test::calculate(k.radio_id, log));
            data_rows[1].value[1] = 30.0;
            order_data_columns();
            summarize_columns(false);
            const auto changed = more_report(k.analysis);
            forget_group_estimates();
            EXPECT_EQ(more_report(k.analysis), changed) << k.row << ", log " << log;
            EXPECT_NE(changed.at(k.row), kept.at(k.row)) << k.row << ", log " << log;
        }
}

}  // namespace
