// The Kaplan-Meier/Turnbull centiles and the ROS estimates against the
// expectations that tools/generate_censored_estimates.py computes with R's
// survival package and an independent ROS.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "stats/censored_order.h"
#include "stats/kaplan_meier.h"
#include "stats/ros.h"

namespace {

CensoredCell cell_of(const std::string& text) {
    const double v = std::strtod(text.c_str() + (text[0] == '<' || text[0] == '>' ? 1 : 0), nullptr);
    return text[0] == '<' ? below_cell(v) : text[0] == '>' ? above_cell(v) : measured_cell(v);
}

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
        Expectation e{fields[1], {}, {}};
        std::istringstream words(fields[2]);
        for (std::string w; words >> w;) e.cells.push_back(cell_of(w));
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

TEST(CensoredEstimates, KaplanMeierAndTurnbullCentilesAreSurvfits) {
    const auto rows = expectations("km");
    ASSERT_GE(rows.size(), 20u);
    for (const Expectation& e : rows) {
        const KmCentiles km = km_centiles(e.cells.data(), static_cast<int>(e.cells.size()));
        EXPECT_FALSE(km.iteration_cap_reached) << e.name;
        expect_same(km.p25, e.expected[0], e.name + " 25 centile");
        expect_same(km.median, e.expected[1], e.name + " median");
        expect_same(km.p75, e.expected[2], e.name + " 75 centile");
    }
}

TEST(CensoredEstimates, RosMeanSdAndMedianAreAnIndependentComputations) {
    const auto rows = expectations("ros");
    ASSERT_GE(rows.size(), 20u);
    for (const Expectation& e : rows) {
        const RosResult ros = ros_estimates(e.cells.data(), static_cast<int>(e.cells.size()));
        expect_same(ros.mean, e.expected[0], e.name + " mean");
        expect_same(ros.sd, e.expected[1], e.name + " SD");
        expect_same(ros.median, e.expected[2], e.name + " median");
    }
}

}  // namespace
