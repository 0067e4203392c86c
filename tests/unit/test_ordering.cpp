// Column ordering: the order of rows, the tie order the sort produces, and
// where markers and missing cells go.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "stats/column_summary.h"
#include "stats/ordering.h"

namespace {

void load_column(const std::vector<double>& values) {
    reset_data_table();
    reset_column_summaries();
    for (size_t r = 0; r < values.size(); ++r) data_rows[r].value[0] = values[r];
    row_count = static_cast<int32_t>(values.size());
    column_count = 1;
    order_data_columns();
}

std::vector<int> order_of(int n) {
    return std::vector<int>(column_summaries[0].order, column_summaries[0].order + n);
}

std::vector<int> sort_pos_of(int n) {
    std::vector<int> pos;
    for (int r = 0; r < n; ++r) pos.push_back(data_rows[r].sort_pos[0]);
    return pos;
}

}  // namespace

TEST(Ordering, OrdersRowsAndKeepsTheSortsTieOrder) {
    load_column({3, 1, 2});
    EXPECT_EQ(order_of(3), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(sort_pos_of(3), (std::vector<int>{2, 0, 1}));
    load_column({7, 7, 7});
    EXPECT_EQ(order_of(3), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(sort_pos_of(3), (std::vector<int>{2, 1, 0}));
    load_column({7, 7, 7, 7});
    EXPECT_EQ(order_of(4), (std::vector<int>{2, 3, 0, 1}));
}

TEST(Ordering, SmallFirstBigAfterRealsMissingLast) {
    load_column({5, CELL_MISSING, CELL_SMALL, CELL_BIG});
    EXPECT_EQ(order_of(4), (std::vector<int>{2, 0, 3, 1}));
    load_column({1e12, 4, -1e12, std::nan(""), CELL_SMALL});
    const std::vector<int> order = order_of(5);
    EXPECT_EQ(order[0], 4);
    EXPECT_EQ(order[1], 1);
}

TEST(Ordering, TinyAndOversizedTables) {
    load_column({42});
    EXPECT_EQ(column_summaries[0].order[0], 0);
    EXPECT_EQ(data_rows[0].sort_pos[0], 0);

    load_column({});
    column_summaries[0].order[0] = -7;
    data_rows[0].sort_pos[0] = -7;
    order_data_columns();
    EXPECT_EQ(column_summaries[0].order[0], -7);
    EXPECT_EQ(data_rows[0].sort_pos[0], -7);

    // A row count beyond the capacity orders the rows the table holds.
    reset_data_table();
    for (int r = 0; r < MAX_ROWS; ++r) data_rows[r].value[MAX_COLUMNS - 1] = r;
    row_count = MAX_ROWS + 10;
    column_count = MAX_COLUMNS + 10;
    order_data_columns();
    EXPECT_EQ(data_rows[MAX_ROWS - 1].sort_pos[MAX_COLUMNS - 1], MAX_ROWS - 1);
}

TEST(Ordering, PairModeWritesOnlyThePairTable) {
    reset_data_table();
    reset_column_summaries();
    row_count = 3;
    const double x[] = {2, 9, 1}, y[] = {CELL_MISSING, 0, -4};
    for (int r = 0; r < 3; ++r) pair_rows[r] = PairRow{{x[r], y[r]}, {}, {}, {}, {}, {}};
    column_summaries[0].order[0] = -7;
    order_pair_columns();
    EXPECT_EQ(std::vector<int>(group_summaries[0].order, group_summaries[0].order + 3),
              (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(std::vector<int>(group_summaries[1].order, group_summaries[1].order + 3),
              (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(pair_rows[0].sort_pos[1], 2);
    EXPECT_EQ(column_summaries[0].order[0], -7);
}

// Any column: `order` is a permutation in ascending key order and
// `sort_pos` is its inverse.
TEST(Ordering, RandomColumnsGiveSortedPermutations) {
    std::mt19937 rng(20240611);
    const double pool[] = {CELL_SMALL, CELL_BIG, CELL_MISSING, 0.0, -0.0, 1.5, -3, 8, 1e12};
    for (int trial = 0; trial < 200; ++trial) {
        const int n = trial == 0 ? MAX_ROWS : static_cast<int>(rng() % 60);
        std::vector<double> values(static_cast<size_t>(n));
        for (double& v : values) v = pool[rng() % 9];
        load_column(values);
        for (int k = 0; k < n; ++k) {
            const int row = column_summaries[0].order[k];
            ASSERT_EQ(data_rows[row].sort_pos[0], k);
            if (k > 0) {
                const double prev = values[static_cast<size_t>(column_summaries[0].order[k - 1])];
                const double key_prev = prev > -MISSING_BOUND ? prev : -prev;
                const double key = data_rows[row].value[0] > -MISSING_BOUND ? data_rows[row].value[0]
                                                                            : -data_rows[row].value[0];
                ASSERT_LE(key_prev, key);
            }
        }
    }
}
