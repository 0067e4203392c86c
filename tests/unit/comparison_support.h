// Helpers of the comparison tests: reading the result cell table back as
// numbers, with the tolerance of its "%.4lf" texts.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/headless/headless.h"
#include "test_support.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace test {

// The markers, short, for tables of cells.
constexpr double S = CELL_SMALL;
constexpr double B = CELL_BIG;
constexpr double M = CELL_MISSING;

// Half a unit of the last printed decimal, and a little for the binary
// representation of the reference value.
constexpr double PRINTED_TOLERANCE = 0.5e-4 + 1e-9;

inline std::string cell(int row, int column) { return result_cells[row][column]; }
inline double cell_number(int row, int column) { return std::atof(result_cells[row][column]); }
// A cell that prints "#n/a".
inline bool cell_missing(int row, int column) { return !(std::atof(result_cells[row][column]) > CELL_MISSING); }

// Loads the table as start-up would, with the options set, and runs an
// analysis entry on the headless clipboard.
inline int run_on_table(int (*analysis)(platform::WindowHandle), const std::vector<std::vector<double>>& rows,
                        bool log = false, bool extra = false) {
    load_table(rows);
    headless::reset();
    log_transform = log ? 1 : 0;
    extra_output = extra ? 1 : 0;
    return analysis(nullptr);
}

}  // namespace test
