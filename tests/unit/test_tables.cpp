// Constant tables: the stored rows the results depend on, each table checked
// against its rule, the exact Mann-Whitney table against a brute-force count
// of rank assignments, and the generator against the committed files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "analyses/mann_whitney_exact.h"
#include "stats/tables.h"

namespace {

// Upper-tail probability of the standard normal distribution.
double normal_upper_tail(double z) { return 0.5 * std::erfc(z / std::sqrt(2.0)); }

double normal_density(double z) {
    const double sqrt_two_pi = 2.5066282746310002;
    return std::exp(-0.5 * z * z) / sqrt_two_pi;
}

// One unit in the fifth decimal: stored entries may deviate by that much.
constexpr double FIFTH_DECIMAL = 1e-5;
// Accuracy of the stored normal quantiles.
constexpr double QUANTILE_ACCURACY = 2.5e-5;

// ---------------------------------------------------------------------------

TEST(TablesNormal, CdfTellingRowsBelongToZOfIndexPlusOne) {
    EXPECT_EQ(NORMAL_CDF_TABLE[0], 0.5004);
    EXPECT_EQ(NORMAL_CDF_TABLE[1], 0.5008);
    EXPECT_EQ(NORMAL_CDF_TABLE[999], 0.84134);
    EXPECT_EQ(NORMAL_CDF_TABLE[1959], 0.975);
    EXPECT_EQ(NORMAL_CDF_TABLE[2575], 0.995);
    EXPECT_EQ(NORMAL_CDF_TABLE[3099], 0.99903);
    EXPECT_EQ(NORMAL_CDF_TABLE[3100], 0.99904);
    EXPECT_EQ(NORMAL_CDF_TABLE[3109], 0.99906);
}

TEST(TablesNormal, CdfFollowsTheDistributionFunctionToFiveDecimals) {
    for (int k = 0; k < NORMAL_CDF_TABLE_SIZE; ++k) {
        const double z = (k + 1) / 1000.0;
        EXPECT_NEAR(NORMAL_CDF_TABLE[k], 1.0 - normal_upper_tail(z), FIFTH_DECIMAL) << "k " << k;
        if (k > 0) {
            EXPECT_GE(NORMAL_CDF_TABLE[k], NORMAL_CDF_TABLE[k - 1]) << "k " << k;
        }
    }
}

TEST(TablesNormal, TailQuantileTellingRowsAsStored) {
    // Rows 2, 3, 25, 26 and 500 carry the stored table's small errors.
    EXPECT_EQ(NORMAL_TAIL_Z_TABLE[1], 3.1);
    EXPECT_EQ(NORMAL_TAIL_Z_TABLE[2], 3.090244718);
    EXPECT_EQ(NORMAL_TAIL_Z_TABLE[3], 2.878150553);
    EXPECT_EQ(NORMAL_TAIL_Z_TABLE[25], 1.977368811);
    EXPECT_EQ(NORMAL_TAIL_Z_TABLE[26], 1.959961082);
    EXPECT_EQ(NORMAL_TAIL_Z_TABLE[500], 0.002506795);
}

TEST(TablesNormal, TailQuantileEntryCBelongsToTailCMinusOne) {
    for (int c = 2; c < NORMAL_TAIL_Z_TABLE_SIZE; ++c) {
        const double z = NORMAL_TAIL_Z_TABLE[c];
        const double tail_error = normal_upper_tail(z) - (c - 1) / 1000.0;
        EXPECT_LT(std::fabs(tail_error) / normal_density(z), QUANTILE_ACCURACY) << "c " << c;
        EXPECT_LT(z, NORMAL_TAIL_Z_TABLE[c - 1]) << "c " << c;
    }
}

// ---------------------------------------------------------------------------

TEST(TablesStudentT, T95TellingRows) {
    EXPECT_EQ(T95_TABLE[1], 12.70615);
    EXPECT_EQ(T95_TABLE[2], 4.30266);
    EXPECT_EQ(T95_TABLE[10], 2.22814);
    EXPECT_EQ(T95_TABLE[29], 2.04523);
    EXPECT_EQ(T95_TABLE[30], 2.04227);
    EXPECT_EQ(T95_TABLE[60], 2.0003);
    EXPECT_EQ(T95_TABLE[120], 1.97993);
    EXPECT_EQ(T95_TABLE[500], 1.96472);
    EXPECT_EQ(T95_TABLE[1000], 1.96234);
}

TEST(TablesStudentT, T95FallsTowardTheNormalValue) {
    for (int df = 2; df < T95_TABLE_SIZE; ++df) {
        EXPECT_LE(T95_TABLE[df], T95_TABLE[df - 1]) << "df " << df;
        EXPECT_GT(T95_TABLE[df], 1.95996) << "df " << df;
    }
}

TEST(TablesStudentT, CriticalTableAsStored) {
    const int32_t tails[T_CRITICAL_ROWS] = {1000, 500, 250, 100, 50, 25, 10, 5};
    const int32_t normal[T_CRITICAL_ROWS] = {1282, 1645, 1960, 2326, 2576, 2807, 3090, 3291};
    const int32_t df1[T_CRITICAL_ROWS] = {308, 631, 1271, 3182, 6366, 12732, 31831, 65535};
    const int32_t df29[T_CRITICAL_ROWS] = {1311, 1699, 2045, 2462, 2756, 3038, 3396, 3659};
    for (int i = 0; i < T_CRITICAL_ROWS; ++i) {
        EXPECT_EQ(T_CRITICAL_TABLE[i][0], tails[i]);
        EXPECT_EQ(T_CRITICAL_TABLE[i][1], df1[i]);  // row 7: 65535, not 63662
        EXPECT_EQ(T_CRITICAL_TABLE[i][29], df29[i]);
        EXPECT_EQ(T_CRITICAL_TABLE[i][30], normal[i]);
    }
    // Stored values that are not the correctly rounded quantiles.
    EXPECT_EQ(T_CRITICAL_TABLE[6][2], 22326);
    EXPECT_EQ(T_CRITICAL_TABLE[7][2], 31598);
    EXPECT_EQ(T_CRITICAL_TABLE[6][3], 10213);
    EXPECT_EQ(T_CRITICAL_TABLE[7][23], 3767);
    EXPECT_EQ(T_CRITICAL_TABLE[1][10], 1812);
    EXPECT_EQ(T_CRITICAL_TABLE[2][10], 2228);
}

TEST(TablesStudentT, CriticalValuesAscendInEveryColumnAndFallWithDf) {
    for (int d = 1; d < T_CRITICAL_COLUMNS; ++d) {
        for (int i = 1; i < T_CRITICAL_ROWS; ++i) {
            EXPECT_LT(T_CRITICAL_TABLE[i - 1][d], T_CRITICAL_TABLE[i][d]) << "df " << d;
            EXPECT_LT(T_CRITICAL_TABLE[i][0], T_CRITICAL_TABLE[i - 1][0]);
        }
        if (d >= 3) {  // column 1 has its own scale
            for (int i = 0; i < T_CRITICAL_ROWS; ++i)
                EXPECT_LT(T_CRITICAL_TABLE[i][d], T_CRITICAL_TABLE[i][d - 1]) << "df " << d;
        }
    }
}

// ---------------------------------------------------------------------------
// Exact Mann-Whitney table

// Cells the stored table cuts after the third decimal instead of rounding.
struct CutEntry {
    int small, large, u;
    double stored;
};
constexpr CutEntry CUT_ENTRIES[] = {
    {2, 5, 0, 0.047}, {1, 6, 2, 0.428}, {3, 8, 10, 0.387}, {5, 8, 14, 0.217}};

bool is_cut(int small, int large, int u) {
    for (const CutEntry& e : CUT_ENTRIES)
        if (e.small == small && e.large == large && e.u == u) return true;
    return false;
}

// Number of ways to give `small` of the ranks 1..small+large to the smaller
// sample with U = (its rank sum) - small (small + 1) / 2 at most u, and the
// number of ways in all, by running through every subset of the ranks.
void count_assignments(int small, int large, int u, long* at_most, long* total) {
    const int n = small + large;
    *at_most = 0;
    *total = 0;
    for (unsigned mask = 0; mask < (1u << n); ++mask) {
        int members = 0;
        int rank_sum = 0;
        for (int bit = 0; bit < n; ++bit) {
            if (mask & (1u << bit)) {
                ++members;
                rank_sum += bit + 1;
            }
        }
        if (members != small) continue;
        ++*total;
        if (rank_sum - small * (small + 1) / 2 <= u) ++*at_most;
    }
}

bool has_longer_row(int small, int large) {
    return (large == 3 && small <= 3) || (large == 4 && small == 1);
}

TEST(TablesMannWhitney, RowsCoverEveryCellWithTheirULimits) {
    for (int large = 0; large <= MW_EXACT_MAX_N; ++large) {
        for (int small = 0; small <= MW_EXACT_MAX_N; ++small) {
            if (large >= 2 && small >= 1 && small <= large) continue;
            EXPECT_EQ(MW_ROWS[large][small].start, -1) << small << ", " << large;
            EXPECT_EQ(MW_ROWS[large][small].u_max, -1) << small << ", " << large;
        }
    }
    // Rows follow each other by size_large, then size_small.
    int expected_start = 0;
    for (int large = 2; large <= MW_EXACT_MAX_N; ++large) {
        for (int small = 1; small <= large; ++small) {
            // Largest integer below small * large / 2, or one more.
            const int u_max = (small * large - 1) / 2 + (has_longer_row(small, large) ? 1 : 0);
            EXPECT_EQ(MW_ROWS[large][small].u_max, u_max) << small << ", " << large;
            EXPECT_EQ(MW_ROWS[large][small].start, expected_start) << small << ", " << large;
            expected_start += u_max + 1;
        }
    }
    EXPECT_EQ(expected_start, MW_EXACT_TABLE_SIZE);
}

TEST(TablesMannWhitney, EveryEntryIsTheRoundedShareOfAssignments) {
    for (int large = 2; large <= MW_EXACT_MAX_N; ++large) {
        for (int small = 1; small <= large; ++small) {
            for (int u = 0; u <= MW_ROWS[large][small].u_max; ++u) {
                long at_most = 0;
                long total = 0;
                count_assignments(small, large, u, &at_most, &total);
                const double thousandths = 1000.0 * static_cast<double>(at_most) /
                                           static_cast<double>(total);
                const double entry = MW_EXACT_TABLE[MW_ROWS[large][small].start + u];
                const double expected =
                    (is_cut(small, large, u) ? std::floor(thousandths)
                                             : std::round(thousandths)) / 1000.0;
                EXPECT_EQ(entry, expected) << "(" << small << ", " << large << ") u " << u;
            }
        }
    }
}

TEST(TablesMannWhitney, CutEntriesAsStored) {
    for (const CutEntry& e : CUT_ENTRIES)
        EXPECT_EQ(MW_EXACT_TABLE[MW_ROWS[e.large][e.small].start + e.u], e.stored);
}

TEST(TablesMannWhitney, RowsRiseAndStayBelowOneHalfExceptTheLongerCells) {
    for (int large = 2; large <= MW_EXACT_MAX_N; ++large) {
        for (int small = 1; small <= large; ++small) {
            const double* row = &MW_EXACT_TABLE[MW_ROWS[large][small].start];
            const int u_max = MW_ROWS[large][small].u_max;
            for (int u = 1; u <= u_max; ++u) EXPECT_GE(row[u], row[u - 1]);
            if (has_longer_row(small, large)) {
                EXPECT_GT(row[u_max], 0.5) << small << ", " << large;
            } else {
                EXPECT_LE(row[u_max], 0.5) << small << ", " << large;
            }
        }
    }
}

TEST(TablesMannWhitney, TellingRows) {
    const double r33[] = {0.050, 0.100, 0.200, 0.350, 0.500, 0.650};
    const double r44[] = {0.014, 0.029, 0.057, 0.100, 0.171, 0.243, 0.343, 0.443};
    const double r35[] = {0.018, 0.036, 0.071, 0.125, 0.196, 0.286, 0.393, 0.500};
    const double r88[] = {0.000, 0.000, 0.000, 0.001, 0.001, 0.001, 0.002, 0.003,
                          0.005, 0.007, 0.010, 0.014, 0.019, 0.025, 0.032, 0.041,
                          0.052, 0.065, 0.080, 0.097, 0.117, 0.139, 0.164, 0.191,
                          0.221, 0.253, 0.287, 0.323, 0.360, 0.399, 0.439, 0.480};
    for (int u = 0; u < 6; ++u) EXPECT_EQ(MW_EXACT_TABLE[MW_ROWS[3][3].start + u], r33[u]);
    for (int u = 0; u < 8; ++u) EXPECT_EQ(MW_EXACT_TABLE[MW_ROWS[4][4].start + u], r44[u]);
    for (int u = 0; u < 8; ++u) EXPECT_EQ(MW_EXACT_TABLE[MW_ROWS[5][3].start + u], r35[u]);
    for (int u = 0; u < 32; ++u) EXPECT_EQ(MW_EXACT_TABLE[MW_ROWS[8][8].start + u], r88[u]);
    EXPECT_EQ(MW_EXACT_TABLE[MW_ROWS[2][1].start], 0.333);
    EXPECT_EQ(MW_EXACT_TABLE[MW_ROWS[4][1].start + 2], 0.6);
}

// ---------------------------------------------------------------------------

TEST(MannWhitneyExactP, LooksUpByRoundedU) {
    EXPECT_EQ(mann_whitney_exact_p(2, 3, 3.0), 0.6);
    EXPECT_EQ(mann_whitney_exact_p(4, 4, 7.0), 0.443);
    EXPECT_EQ(mann_whitney_exact_p(3, 5, 6.5), 0.5);    // u = 7
    EXPECT_EQ(mann_whitney_exact_p(3, 5, 6.4), 0.393);  // u = 6
    EXPECT_EQ(mann_whitney_exact_p(8, 8, 0.0), 0.0);
    EXPECT_EQ(mann_whitney_exact_p(1, 2, 0.0), 0.333);
}

TEST(MannWhitneyExactP, BeyondTheRowGivesOne) {
    EXPECT_EQ(mann_whitney_exact_p(2, 3, 4.0), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(4, 4, 8.0), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(4, 4, 7.5), 1.0);  // rounds to 8
    EXPECT_EQ(mann_whitney_exact_p(8, 8, 64.0), 1.0);
}

TEST(MannWhitneyExactP, SizesOutsideTheTableGiveOne) {
    EXPECT_EQ(mann_whitney_exact_p(1, 9, 0.0), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(8, 9, 0.0), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(1, 1, 0.0), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(0, 5, 0.0), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(-1, 5, 0.0), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(5, 3, 0.0), 1.0);  // the smaller group comes first
    EXPECT_EQ(mann_whitney_exact_p(2, -3, 0.0), 1.0);
}

TEST(MannWhitneyExactP, NegativeUTruncatesTowardZero) {
    EXPECT_EQ(mann_whitney_exact_p(4, 4, -0.5), 0.014);
    EXPECT_EQ(mann_whitney_exact_p(4, 4, -1.4), 0.014);
    EXPECT_EQ(mann_whitney_exact_p(4, 4, -1.5), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(4, 4, -7.0), 1.0);
}

TEST(MannWhitneyExactP, UThatIsNotAFiniteCountGivesOne) {
    EXPECT_EQ(mann_whitney_exact_p(4, 4, std::nan("")), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(4, 4, HUGE_VAL), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(4, 4, -HUGE_VAL), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(4, 4, 1e300), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(4, 4, -1e300), 1.0);
    EXPECT_EQ(mann_whitney_exact_p(4, 4, 4294967296.0), 1.0);
}

// ---------------------------------------------------------------------------

TEST(TablesGenerator, CommittedTablesMatchAFreshRun) {
    if (std::system("/usr/bin/python3 -c 'import scipy' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "/usr/bin/python3 with SciPy is not available";
    const std::string command = std::string("cd '") + MORVENDA_SOURCE_DIR +
                                "' && /usr/bin/python3 tools/generate_tables.py --check";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

}  // namespace
