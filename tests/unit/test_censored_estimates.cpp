// The Kaplan-Meier/Turnbull centiles and the ROS estimates against the
// expectations that tools/generate_censored_estimates.py computes with R's
// survival package and an independent ROS.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "stats/censored_order.h"
#include "stats/kaplan_meier.h"
#include "stats/ros.h"
#include "test_support.h"

namespace {

struct Expectation {
    std::string name;
    std::vector<CensoredCell> cells;
    double expected[3];
};

std::vector<Expectation> expectations(const std::string& kind) {
    std::ifstream in(MORVENDA_SOURCE_DIR "/tests/unit/data/censored_estimates.txt");
    std::vector<Expectation> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string f; std::getline(split, f, '\t');) fields.push_back(f);
        if (fields.size() != 6 || fields[0] != kind) continue;
        Expectation e{fields[1], test::censored_cells(fields[2]), {}};
        for (int k = 0; k < 3; ++k) e.expected[k] = std::strtod(fields[3 + k].c_str(), nullptr);
        rows.push_back(e);
    }
    return rows;
}

void expect_same(double actual, double expected, const std::string& what) {
    if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(actual)) << what << ": " << actual << " where none is expected";
    else
        EXPECT_NEAR(actual, expected, 1e-9 * (1 + std::fabs(expected))) << what;
}

// The cells as written, and in the order the report reads a column: the
// "<" cells, the measured values ascending, the ">" cells, parts that the
// estimates take without sorting.
std::vector<std::pair<std::string, std::vector<CensoredCell>>> cell_orders(const Expectation& e) {
    std::vector<CensoredCell> column = e.cells;
    std::stable_sort(column.begin(), column.end(), [](const CensoredCell& a, const CensoredCell& b) {
        return a.side != b.side ? a.side < b.side : a.side == SIDE_MEASURED && a.value < b.value;
    });
    return {{e.name, e.cells}, {e.name + " (column order)", column}};
}

TEST(CensoredEstimates, KaplanMeierAndTurnbullCentilesAreSurvfits) {
    const auto rows = expectations("km");
    ASSERT_GE(rows.size(), 20u);
    for (const Expectation& e : rows)
        for (const auto& [name, cells] : cell_orders(e)) {
            const KmCentiles km = km_centiles(cells.data(), static_cast<int>(cells.size()));
            EXPECT_FALSE(km.iteration_cap_reached) << name;
            expect_same(km.p25, e.expected[0], name + " 25 centile");
            expect_same(km.median, e.expected[1], name + " median");
            expect_same(km.p75, e.expected[2], name + " 75 centile");
        }
}

TEST(CensoredEstimates, RosMeanSdAndMedianAreAnIndependentComputations) {
    const auto rows = expectations("ros");
    ASSERT_GE(rows.size(), 20u);
    for (const Expectation& e : rows)
        for (const auto& [name, cells] : cell_orders(e)) {
            const RosResult ros = ros_estimates(cells.data(), static_cast<int>(cells.size()));
            expect_same(ros.mean, e.expected[0], name + " mean");
            expect_same(ros.sd, e.expected[1], name + " SD");
            expect_same(ros.median, e.expected[2], name + " median");
        }
}

}  // namespace
