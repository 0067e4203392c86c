// Distribution functions: their index rules and clamps on the stored tables,
// the pass-through of values that are not available, and the out-of-table
// answers of t95_for_df.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "stats/distributions.h"
#include "stats/tables.h"
#include "worksheet/data_table.h"

namespace {

// Results are a few double operations on stored values.
constexpr double ARITHMETIC = 1e-12;
// "to four decimals"
constexpr double FOUR_DECIMALS = 5e-5;

const double NOT_A_NUMBER = std::nan("");

// ---------------------------------------------------------------------------

TEST(DistributionsPFromZ, TableEntryKBelongsToZOfKPlusOne) {
    EXPECT_NEAR(p_from_z(0.0), 0.9992, ARITHMETIC);  // entry 0 is 0.5004: not 1
    EXPECT_NEAR(p_from_z(1.96), 2.0 * (1.0 - NORMAL_CDF_TABLE[1960]), ARITHMETIC);
    EXPECT_NEAR(p_from_z(1.96), 0.04988, ARITHMETIC);
    EXPECT_NEAR(p_from_z(3.0999), 0.00192, ARITHMETIC);
}

TEST(DistributionsPFromZ, NegativeZReadsOneEntryLower) {
    EXPECT_NEAR(p_from_z(-1.96), 0.05, ARITHMETIC);  // k = 1959
    // A fraction of 1000 |z| between 0.499 and 0.501 gives the same entry.
    EXPECT_EQ(p_from_z(-1.9605), p_from_z(1.9605));
    for (int i = 1; i < 3000; i += 7) {
        const double z = i / 1000.0 + 0.0002;
        EXPECT_GE(p_from_z(-z), p_from_z(z)) << z;
    }
}

TEST(DistributionsPFromZ, ClampsAtThreePointOne) {
    EXPECT_EQ(p_from_z(3.1), 0.001);
    EXPECT_EQ(p_from_z(-3.1), 0.001);
    EXPECT_EQ(p_from_z(40.0), 0.001);
    EXPECT_EQ(p_from_z(CELL_BIG), 0.001);
    EXPECT_NEAR(p_from_z(-3.0999), 2.0 * (1.0 - NORMAL_CDF_TABLE[3099]), ARITHMETIC);
}

TEST(DistributionsPFromZ, FallsAsZGrows) {
    double previous = p_from_z(0.0);
    for (int i = 1; i <= 3200; ++i) {
        const double p = p_from_z(i / 1000.0);
        EXPECT_LE(p, previous) << i;
        previous = p;
    }
}

TEST(DistributionsPFromZ, UnavailableZGivesMissing) {
    EXPECT_EQ(p_from_z(CELL_MISSING), CELL_MISSING);
    EXPECT_EQ(p_from_z(NOT_A_NUMBER), CELL_MISSING);
    EXPECT_EQ(p_from_z(HUGE_VAL), CELL_MISSING);
    EXPECT_EQ(p_from_z(-HUGE_VAL), CELL_MISSING);
}

// ---------------------------------------------------------------------------

TEST(DistributionsZFromP, TableEntryCBelongsToTailCMinusOne) {
    EXPECT_EQ(z_from_p(0.5), -0.002506795);  // not 0
    EXPECT_EQ(z_from_p(0.025), -1.977368811);
    EXPECT_EQ(z_from_p(0.975), 1.977368811);
    EXPECT_EQ(z_from_p(0.001), -3.1);
    // c = trunc(1000 p + 0.499): a half rounds down.
    EXPECT_EQ(z_from_p(0.0025), -3.090244718);
    EXPECT_EQ(z_from_p(0.0026), -2.878150553);
}

TEST(DistributionsZFromP, ExtremeTailsUseTheRationalApproximation) {
    EXPECT_NEAR(z_from_p(0.0005), -3.2907604924866978, ARITHMETIC);
    EXPECT_NEAR(z_from_p(0.9995), 3.2907604924866978, 1e-9);
    // The approximation is within 4.5e-4 of the true quantile 3.290527.
    EXPECT_NEAR(z_from_p(0.0005), -3.290527, 4.5e-4);
    // 0.999 is outside the table's range, 0.001 inside.
    EXPECT_NEAR(z_from_p(0.999), 3.090522225780171, 1e-9);
    EXPECT_LT(z_from_p(1e-300), -30.0);
}

TEST(DistributionsZFromP, OutsideTheOpenUnitIntervalGivesMissing) {
    EXPECT_EQ(z_from_p(0.0), CELL_MISSING);
    EXPECT_EQ(z_from_p(1.0), CELL_MISSING);
    EXPECT_EQ(z_from_p(-0.5), CELL_MISSING);
    EXPECT_EQ(z_from_p(1.5), CELL_MISSING);
    EXPECT_EQ(z_from_p(CELL_MISSING), CELL_MISSING);
    EXPECT_EQ(z_from_p(NOT_A_NUMBER), CELL_MISSING);
    EXPECT_EQ(z_from_p(HUGE_VAL), CELL_MISSING);
}

TEST(DistributionsZFromP, RisesWithPInTheTableAndMirrorsAroundOneHalf) {
    double previous = z_from_p(0.001);
    for (int i = 100; i < 99900; i += 3) {
        const double p = i / 100000.0;
        const double z = z_from_p(p);
        EXPECT_GE(z, previous) << p;
        previous = z;
    }
    for (int i = 1; i < 500; ++i) {
        const double p = i / 1000.0 + 0.0003;
        EXPECT_EQ(z_from_p(1.0 - p), -z_from_p(p)) << p;
    }
}

// ---------------------------------------------------------------------------

TEST(DistributionsPFromT, BelowTheFirstRowIsOnlyABound) {
    EXPECT_EQ(p_from_t(1.0, 5), -0.2);
    EXPECT_EQ(p_from_t(0.0, 1), -0.2);
    EXPECT_EQ(p_from_t(-1.0, 40), -0.2);
}

TEST(DistributionsPFromT, InterpolatesTheLogOfTheTail) {
    EXPECT_NEAR(p_from_t(2.0, 10), 0.0731, FOUR_DECIMALS);    // between 1812 and 2228
    EXPECT_NEAR(p_from_t(2.0, 10), 0.1 * std::pow(0.5, 188.0 / 416.0), ARITHMETIC);
    EXPECT_EQ(p_from_t(-2.0, 10), p_from_t(2.0, 10));
    EXPECT_NEAR(p_from_t(12.71, 1), 0.05, ARITHMETIC);        // s = 1271 hits row 2
    EXPECT_NEAR(p_from_t(2.5, 40), 0.0123, FOUR_DECIMALS);    // the normal column
    EXPECT_EQ(p_from_t(2.5, 40), p_from_t(2.5, 30));
    EXPECT_EQ(p_from_t(2.5, 100000), p_from_t(2.5, 30));
}

TEST(DistributionsPFromT, BeyondTheLastRowIsTheFloor) {
    EXPECT_EQ(p_from_t(1000.0, 3), 0.00018);
    EXPECT_EQ(p_from_t(655.35, 1), 0.00018);  // s = 65535, the stored last row
    EXPECT_GT(p_from_t(655.0, 1), 0.001 - 1e-4);
    EXPECT_EQ(p_from_t(1e300, 12), 0.00018);
}

TEST(DistributionsPFromT, FallsAsTGrowsForEveryColumn) {
    for (int df = 1; df <= 31; ++df) {
        double previous = 0.2;
        for (int i = 0; i < 70000; ++i) {
            const double t = i * 0.01;
            const double p = p_from_t(t, df);
            if (p < 0.0) {
                EXPECT_EQ(p, -0.2);
                continue;
            }
            EXPECT_LE(p, previous + ARITHMETIC) << "df " << df << " t " << t;
            EXPECT_GE(p, 0.00018) << "df " << df << " t " << t;
            previous = p;
        }
    }
}

TEST(DistributionsPFromT, UnavailableInputGivesMissing) {
    EXPECT_EQ(p_from_t(2.0, 0), CELL_MISSING);
    EXPECT_EQ(p_from_t(2.0, -3), CELL_MISSING);
    EXPECT_EQ(p_from_t(CELL_MISSING, 10), CELL_MISSING);
    EXPECT_EQ(p_from_t(NOT_A_NUMBER, 10), CELL_MISSING);
    EXPECT_EQ(p_from_t(HUGE_VAL, 10), CELL_MISSING);
    EXPECT_EQ(p_from_t(-HUGE_VAL, 1), CELL_MISSING);
}

// ---------------------------------------------------------------------------

TEST(DistributionsNormalScores, PlottingPosition) {
    EXPECT_NEAR(normal_score_position(1.0, 10), 0.0618527, 5e-8);
    EXPECT_EQ(normal_score_position(0.0, 10), CELL_MISSING);
    // Ranks r and n + 1 - r sit symmetrically around one half; a tied
    // mid-rank lies between its neighbours.
    EXPECT_NEAR(normal_score_position(3.0, 20) + normal_score_position(18.0, 20), 1.0, ARITHMETIC);
    EXPECT_NEAR(normal_score_position(1.0, 1), 0.5, ARITHMETIC);
    EXPECT_GT(normal_score_position(2.5, 8), normal_score_position(2.0, 8));
    EXPECT_LT(normal_score_position(2.5, 8), normal_score_position(3.0, 8));
}

TEST(DistributionsNormalScores, MeanOfLowestAndHighestRanks) {
    const int n = 12;
    EXPECT_EQ(mean_normal_score_low(1, n), z_from_p(normal_score_position(1.0, n)));
    EXPECT_EQ(mean_normal_score_high(1, n), z_from_p(normal_score_position(12.0, n)));
    // Taking in more ranks moves the mean toward the middle.
    EXPECT_GT(mean_normal_score_low(3, n), mean_normal_score_low(2, n));
    EXPECT_LT(mean_normal_score_high(3, n), mean_normal_score_high(2, n));
    EXPECT_GT(mean_normal_score_high(3, n), 0.0);
    // The scores of all ranks average about zero.
    EXPECT_NEAR(mean_normal_score_low(n, n), 0.0, 0.005);
    EXPECT_EQ(mean_normal_score_low(n, n), mean_normal_score_high(n, n));
}

TEST(DistributionsNormalScores, ArgumentsAreOrderedFirst) {
    EXPECT_EQ(mean_normal_score_low(12, 3), mean_normal_score_low(3, 12));
    EXPECT_EQ(mean_normal_score_high(12, 3), mean_normal_score_high(3, 12));
}

TEST(DistributionsNormalScores, NoRanksGiveMissing) {
    EXPECT_EQ(mean_normal_score_low(0, 10), CELL_MISSING);
    EXPECT_EQ(mean_normal_score_high(0, 10), CELL_MISSING);
    EXPECT_EQ(mean_normal_score_high(-4, 10), CELL_MISSING);
}

// ---------------------------------------------------------------------------

TEST(DistributionsT95, ReadsTheTableByDf) {
    EXPECT_EQ(t95_for_df(1), 12.70615);
    EXPECT_EQ(t95_for_df(10), 2.22814);
    EXPECT_EQ(t95_for_df(1000), 1.96234);
}

TEST(DistributionsT95, AboveTheTableUsesItsLastEntry) {
    EXPECT_EQ(t95_for_df(1001), 1.96234);
    EXPECT_EQ(t95_for_df(2046), 1.96234);
    EXPECT_EQ(t95_for_df(INT_MAX), 1.96234);
}

TEST(DistributionsT95, BelowOneDegreeOfFreedomIsMissing) {
    EXPECT_EQ(t95_for_df(0), CELL_MISSING);
    EXPECT_EQ(t95_for_df(-1), CELL_MISSING);
    EXPECT_EQ(t95_for_df(INT_MIN), CELL_MISSING);
}

}  // namespace
