// Column summaries, grouped by behaviour: counts and classes, ranks, centiles
// and their limits, plain and regression estimates on both scales, standard
// errors, thirds, and degenerate columns.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analyses/references.h"
#include "stats/column_summary.h"
#include "stats/distributions.h"
#include "stats/ordering.h"

namespace {

constexpr double TOLERANCE = 1e-9;

// Loads columns (shorter ones padded with missing cells), orders and
// summarises them, as start-up does.
void summarize(const std::vector<std::vector<double>>& columns) {
    reset_data_table();
    reset_column_summaries();
    size_t rows = 0;
    for (const auto& column : columns) rows = std::max(rows, column.size());
    for (size_t c = 0; c < columns.size(); ++c)
        for (size_t r = 0; r < rows; ++r)
            data_rows[r].value[c] = r < columns[c].size() ? columns[c][r] : CELL_MISSING;
    row_count = static_cast<int32_t>(rows);
    column_count = static_cast<int32_t>(columns.size());
    order_data_columns();
    summarize_columns(false);
}

const ColumnSummary& summary(int c = 0) { return column_summaries[c]; }

bool available(double statistic) { return statistic > CELL_MISSING; }

std::vector<double> one_to(int n) {
    std::vector<double> values;
    for (int i = 1; i <= n; ++i) values.push_back(i);
    return values;
}

// The normal score the ranking gives rank r among n present cells.
double score(int r, int n) { return z_from_p(normal_score_position(r, n)); }

}  // namespace

TEST(ColumnSummaryCounts, ClassesAndRewrittenMissingCells) {
    summarize({{3, CELL_SMALL, -1, 0, CELL_BIG, 1e12, std::nan(""), -2e9, 7.5, CELL_SMALL}});
    const ColumnSummary& s = summary();
    EXPECT_EQ(s.n_total, 7);
    EXPECT_EQ(s.n_positive, 3);  // 3, 7.5 and the big cell
    EXPECT_EQ(s.n_real, 4);
    EXPECT_EQ(s.n_real_log, 2);
    EXPECT_EQ(s.n_small, 2);
    EXPECT_EQ(s.n_small_log, 4);  // the small cells, -1 and 0
    EXPECT_EQ(s.n_big, 1);
    EXPECT_EQ(s.min, -1);
    EXPECT_EQ(s.max, 7.5);
    for (int r : {5, 6, 7}) {
        EXPECT_EQ(data_rows[r].value[0], CELL_MISSING);
        EXPECT_EQ(data_rows[r].rank[0], 0);
        EXPECT_EQ(data_rows[r].tie_count[0], 0);
        EXPECT_EQ(data_rows[r].rank_position[0], 0);
        EXPECT_EQ(data_rows[r].normal_score[0], CELL_MISSING);
    }
}

TEST(ColumnSummaryRanks, TiesAreAveragedAndMarkersRankByValue) {
    summarize({{2, 2, 3}, {5, CELL_SMALL, 1, 2, CELL_SMALL, CELL_BIG, 4, 3, 6, 7}, {0.0, -0.0, 1}});
    EXPECT_EQ(data_rows[0].rank[0], 1.5);
    EXPECT_EQ(data_rows[1].rank[0], 1.5);
    EXPECT_EQ(data_rows[2].rank[0], 3);
    EXPECT_EQ(data_rows[0].tie_count[0], 2);
    EXPECT_EQ(data_rows[2].tie_count[0], 1);
    EXPECT_EQ(data_rows[1].rank[1], 1.5);
    EXPECT_EQ(data_rows[4].rank[1], 1.5);
    EXPECT_EQ(data_rows[2].rank[1], 3);
    EXPECT_EQ(data_rows[5].rank[1], 10);
    // Plotting positions count present cells, not rows.
    EXPECT_EQ(data_rows[2].normal_score[0], score(3, 3));
    EXPECT_EQ(data_rows[1].tie_count[2], 2);  // 0 and -0 are equal
}

// The ranking reads ties off the column's order; it must agree with counting
// the smaller and greater cells literally, on any column.
TEST(ColumnSummaryRanks, FastRankingEqualsLiteralCounting) {
    std::mt19937 rng(31337);
    const double pool[] = {CELL_SMALL, CELL_BIG, CELL_MISSING, 1e12, std::nan(""), 0.0, -0.0, -2.5};
    for (int batch = 0; batch < 6; ++batch) {
        const size_t rows = batch == 0 ? MAX_ROWS : 1 + rng() % 120;
        std::vector<std::vector<double>> columns(MAX_COLUMNS, std::vector<double>(rows));
        for (auto& column : columns)
            for (double& v : column)
                v = rng() % 3 == 0 ? pool[rng() % 8] : static_cast<double>(rng() % 15);
        summarize(columns);
        std::vector<DataRow> literal(data_rows, data_rows + rows);
        for (int c = 0; c < MAX_COLUMNS; ++c) {
            const int n = literal_rank(literal.data(), c, static_cast<int>(rows));
            ASSERT_EQ(summary(c).n_total, n);
            double rank_sum = 0;
            for (size_t r = 0; r < rows; ++r) {
                ASSERT_EQ(data_rows[r].tie_count[c], literal[r].tie_count[c]);
                ASSERT_EQ(data_rows[r].rank[c], literal[r].rank[c]);
                rank_sum += data_rows[r].rank[c];
            }
            ASSERT_EQ(rank_sum, n * (n + 1) / 2.0);
        }
    }
}

TEST(ColumnSummaryCentiles, InterpolatedBetweenOrderedCells) {
    summarize({one_to(5), one_to(10), {1, 2, 3, CELL_BIG, CELL_BIG}, one_to(6), one_to(20)});
    EXPECT_EQ(summary(0).median, 3);
    EXPECT_EQ(summary(0).centile_25, 2);
    EXPECT_NEAR(summary(1).centile_10, 1.9, TOLERANCE);
    EXPECT_NEAR(summary(1).centile_33, 3.997, TOLERANCE);
    EXPECT_NEAR(summary(1).centile_90, 9.1, TOLERANCE);
    EXPECT_EQ(summary(2).median, CELL_MISSING);  // upper neighbour is big, although f = 0
    EXPECT_EQ(summary(2).centile_25, 2);
    EXPECT_NEAR(summary(3).median_minus_se, 2.479379, 1e-6);
    EXPECT_EQ(centile(4, 1.0, false), 20);
    EXPECT_EQ(centile(4, 0.0, false), 1);
    for (double outside : {-0.1, 1.5, std::nan("")}) EXPECT_EQ(centile(4, outside, false), CELL_MISSING);
}

TEST(ColumnSummaryCentiles, AllowedFractionsWidenWithCount) {
    struct Expect { int n; bool c10, c25, c33, se_minus, se_plus; };
    const Expect table[] = {{2, false, false, false, false, false}, {3, false, false, true, false, false},
                            {4, false, false, true, false, false},  {5, false, true, true, false, false},
                            {6, false, true, true, true, false},    {8, false, true, true, true, false},
                            {9, true, true, true, true, true},      {17, true, true, true, true, true}};
    for (const Expect& e : table) {
        summarize({one_to(e.n)});
        const ColumnSummary& s = summary();
        SCOPED_TRACE(e.n);
        EXPECT_EQ(available(s.centile_10), e.c10);
        EXPECT_EQ(available(s.centile_90), e.c10);
        EXPECT_EQ(available(s.centile_25), e.c25);
        EXPECT_EQ(available(s.centile_75), e.c25);
        EXPECT_EQ(available(s.centile_33), e.c33);
        EXPECT_EQ(available(s.median), e.c33);
        EXPECT_EQ(available(s.centile_67), e.c33);
        EXPECT_EQ(available(s.median_minus_se), e.se_minus);
        EXPECT_EQ(available(s.median_plus_se), e.se_plus);
    }
}

// With small or big cells the real values are regressed on their normal
// scores: real values lying on a line in the scores give back that line.
TEST(ColumnSummaryEstimates, RegressionRecoversLineInNormalScores) {
    std::vector<double> linear = {CELL_SMALL, CELL_SMALL}, logs = {CELL_SMALL, -1};
    for (int rank = 3; rank <= 9; ++rank) {
        linear.push_back(10 + 3 * score(rank, 10));
        logs.push_back(std::exp(1 + 0.5 * score(rank, 10)));
    }
    linear.push_back(CELL_BIG);
    logs.push_back(CELL_BIG);
    summarize({linear, logs});
    const ColumnSummary& s = summary(0);
    EXPECT_NEAR(s.mean, 10, 1e-9);
    EXPECT_NEAR(s.sd, 3, 1e-9);
    EXPECT_NEAR(s.small_value, 10 + 3 * mean_normal_score_low(2, 10), 1e-9);
    EXPECT_LT(s.small_value, s.min);
    EXPECT_NEAR(s.big_value, 10 + 3 * mean_normal_score_high(1, 10), 1e-9);
    EXPECT_NEAR(s.deviation_from_normal, 0, 1e-9);

    const ColumnSummary& g = summary(1);  // -1 joins the small cells on the log scale
    EXPECT_EQ(g.n_small_log, 2);
    EXPECT_EQ(g.n_positive, 8);
    EXPECT_NEAR(g.mean_log, 1, 1e-9);
    EXPECT_NEAR(g.sd_log, 0.5, 1e-9);
    EXPECT_NEAR(g.small_value_log, std::exp(1 + 0.5 * mean_normal_score_low(2, 8)), 1e-9);
    EXPECT_NEAR(g.big_value_log, std::exp(1 + 0.5 * mean_normal_score_high(1, 8)), 1e-9);
}

TEST(ColumnSummaryEstimates, NonPositiveRealsKeepThePlainMethod) {
    const double e = std::exp(1.0);
    summarize({{-1, 0, 1, e, e * e}});
    const ColumnSummary& s = summary();
    EXPECT_EQ(s.n_small_log, 2);
    EXPECT_EQ(s.n_real_log, 3);
    EXPECT_NEAR(s.mean, (e + e * e) / 5, TOLERANCE);
    EXPECT_NEAR(s.mean_log, 1, TOLERANCE);
    EXPECT_NEAR(s.sd_log, 1, TOLERANCE);
    EXPECT_EQ(s.small_value_log, 0);
    EXPECT_EQ(s.small_value, 0);
    EXPECT_EQ(s.n_lower_third_log, 3);  // -1, 0 and 1 lie below exp(1 - 0.43)
    EXPECT_EQ(s.n_middle_third_log, 1);
    EXPECT_EQ(s.n_upper_third_log, 1);
}

TEST(ColumnSummaryErrors, StandardErrorsUseTOfCountMinusOne) {
    const double e = std::exp(1.0);
    summarize({one_to(5), {4, 6}, {e, e * e, e * e * e, std::exp(4.0), std::exp(5.0)}});
    const ColumnSummary& s = summary(0);
    EXPECT_EQ(s.mean, 3);
    EXPECT_NEAR(s.sd, std::sqrt(2.5), TOLERANCE);
    EXPECT_NEAR(s.sem, std::sqrt(0.5), TOLERANCE);
    EXPECT_NEAR(s.ci95_upper, 3 + 2.77645 * std::sqrt(0.5), 1e-5);
    EXPECT_NEAR(s.ci95_lower, 3 - 2.77645 * std::sqrt(0.5), 1e-5);
    EXPECT_NEAR(s.mean_plus_sem, 3 + std::sqrt(0.5), TOLERANCE);

    const ColumnSummary& two = summary(1);  // sem exists, t does not
    EXPECT_EQ(two.sem, 1);
    for (double limit : {two.mean_plus_sem, two.mean_minus_sem, two.ci95_upper, two.ci95_lower})
        EXPECT_EQ(limit, CELL_MISSING);

    const ColumnSummary& g = summary(2);
    EXPECT_NEAR(g.sem_log, std::sqrt(0.5), TOLERANCE);
    EXPECT_NEAR(g.ci95_lower_log, 3 - 2.77645 * std::sqrt(0.5), 1e-5);
    EXPECT_NEAR(g.mean_minus_sem_log, 3 - std::sqrt(0.5), TOLERANCE);
}

TEST(ColumnSummaryThirds, CountsByValueAroundMeanAndSd) {
    summarize({one_to(9), {CELL_SMALL, 2, 4, 6, 8, CELL_BIG}});
    EXPECT_EQ(summary(0).n_lower_third, 3);  // bounds 5 -+ 0.43 * 2.7386
    EXPECT_EQ(summary(0).n_middle_third, 3);
    EXPECT_EQ(summary(0).n_upper_third, 3);
    EXPECT_GT(summary(0).deviation_from_normal, 0);  // evenly spaced values are not quite normal
    EXPECT_LT(summary(0).deviation_from_normal, 5);
    EXPECT_GE(summary(1).n_lower_third, 1);
    EXPECT_GE(summary(1).n_upper_third, 1);
    EXPECT_GE(summary(1).n_upper_third_log, 1);
    EXPECT_EQ(summary(1).n_lower_third + summary(1).n_middle_third + summary(1).n_upper_third, 6);

    // A second run recounts from zero; without markers the small and big values are 0.
    data_rows[0].value[1] = 1;
    data_rows[5].value[1] = 10;
    order_data_columns();
    summarize_columns(false);
    EXPECT_EQ(summary(1).n_lower_third + summary(1).n_middle_third + summary(1).n_upper_third, 6);
    EXPECT_EQ(summary(1).small_value, 0);
    EXPECT_EQ(summary(1).big_value, 0);
}

// Without spread every real value is in the middle third on both scales,
// though the mean of the sums (3.7 nine times gives 3.6999999999999997) and
// exp(ln v) round to a neighbour of v, and whichever way they round.
TEST(ColumnSummaryThirds, ConstantColumnIsTheMiddleThirdOnBothScales) {
    const double values[] = {3.7, 5.0, 6.3, 0.1};
    std::vector<std::vector<double>> columns;
    for (double v : values) columns.push_back(std::vector<double>(9, v));
    summarize(columns);
    for (int c = 0; c < 4; ++c) {
        ASSERT_EQ(summary(c).sd, 0) << values[c];
        EXPECT_EQ(summary(c).n_middle_third, 9) << values[c];
        EXPECT_EQ(summary(c).n_middle_third_log, 9) << values[c];
    }
    // A zero stays below on the log scale.
    summarize({{0, 3.7, 3.7, 3.7}});
    ASSERT_EQ(summary(0).sd_log, 0);
    EXPECT_EQ(summary(0).n_lower_third_log, 1);
    EXPECT_EQ(summary(0).n_middle_third_log, 3);
}

// The deviation from normal does not depend on the scale; values so close
// that their squared distances are subnormal (1e-170 apart, or the smallest
// doubles) keep it.
TEST(ColumnSummaryScale, DeviationFromNormalOfTinyDistances) {
    const std::vector<double> values = {1, 2, 3, 4, 5, 6, 7, 8, 9, 12};
    std::vector<double> tiny, smallest, offset;
    for (const double v : values) {
        tiny.push_back(v * 1e-170);
        smallest.push_back(v * 5e-324);
        offset.push_back(1e-300 + v * 1e-310);  // about 1e-310 apart: only some digits are kept
    }
    summarize({values, tiny, smallest, offset});
    const double expected = summary(0).deviation_from_normal;
    EXPECT_GT(expected, 1.0);
    EXPECT_NEAR(summary(1).deviation_from_normal, expected, 1e-9);
    EXPECT_NEAR(summary(2).deviation_from_normal, expected, 1e-9);
    EXPECT_NEAR(summary(3).deviation_from_normal, expected, 1e-4);
}

TEST(ColumnSummaryDegenerate, NothingComputedFromTooFewValues) {
    summarize({{CELL_MISSING, CELL_MISSING}, {CELL_MISSING, 7}, {4, 4, 4, 4},
               {CELL_SMALL, CELL_BIG, CELL_SMALL}, {CELL_SMALL, -3, -2}});
    const ColumnSummary& none = summary(0);
    EXPECT_EQ(none.n_total, 0);
    EXPECT_EQ(none.min, 999999998.999);
    EXPECT_EQ(none.max, -999999998.999);
    EXPECT_EQ(none.median, CELL_MISSING);
    EXPECT_EQ(none.sem, CELL_MISSING);
    EXPECT_EQ(none.ci95_upper_log, CELL_MISSING);
    EXPECT_EQ(none.deviation_from_normal, 100);
    EXPECT_FALSE(available(none.mean));

    const ColumnSummary& one = summary(1);
    EXPECT_EQ(data_rows[1].rank[1], 1);
    EXPECT_DOUBLE_EQ(data_rows[1].rank_position[1], 0.5);
    EXPECT_EQ(one.mean, 7);
    EXPECT_FALSE(available(one.sd));
    EXPECT_EQ(one.sem, CELL_MISSING);
    EXPECT_EQ(one.n_lower_third, 1);  // the bounds are not numbers

    const ColumnSummary& tied = summary(2);
    EXPECT_EQ(data_rows[3].rank[2], 2.5);
    EXPECT_EQ(data_rows[3].tie_count[2], 4);
    EXPECT_EQ(tied.sd, 0);
    EXPECT_EQ(tied.median, 4);
    EXPECT_EQ(tied.n_middle_third, 4);

    const ColumnSummary& markers = summary(3);
    EXPECT_EQ(markers.n_real, 0);
    EXPECT_FALSE(available(markers.mean));
    EXPECT_FALSE(available(markers.small_value));
    EXPECT_EQ(markers.median, CELL_MISSING);
    EXPECT_EQ(markers.ci95_upper, CELL_MISSING);
    EXPECT_EQ(markers.n_lower_third, 3);

    const ColumnSummary& nothing_positive = summary(4);
    EXPECT_EQ(nothing_positive.n_positive, 0);
    EXPECT_FALSE(available(nothing_positive.small_value_log));
    EXPECT_EQ(nothing_positive.sem_log, CELL_MISSING);
}

TEST(ColumnSummaryGroups, PairTableIntoGroupSummaries) {
    reset_data_table();
    reset_column_summaries();
    row_count = 5;
    for (int r = 0; r < 5; ++r) pair_rows[r] = PairRow{{5.0 - r, r < 2 ? CELL_MISSING : r}, {}, {}, {}, {}, {}};
    order_pair_columns();
    summarize_columns(true);
    EXPECT_EQ(group_summaries[0].median, 3);
    EXPECT_EQ(group_summaries[1].n_total, 3);
    EXPECT_EQ(pair_rows[4].rank[0], 1);
    EXPECT_EQ(centile(1, 0.5, true), 3);
    EXPECT_EQ(column_summaries[0].n_total, 0);
}
