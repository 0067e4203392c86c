// Input check and cell writers shared by the paired and the non-paired
// comparison.
#include "analyses/comparison_cells.h"

#include <cmath>
#include <cstdio>

#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

bool is_known(double v) { return v > CELL_MISSING && std::isfinite(v); }

double shown_value(double v, bool back_transform) {
    if (!is_known(v)) return CELL_MISSING;
    return back_transform ? std::exp(v) : v;
}

void set_p_cell(int row, int column, double p) {
    if (!is_known(p)) {
        set_result_value(row, column, CELL_MISSING);
        return;
    }
    if (p >= 0) {
        set_result_value(row, column, p);
        return;
    }
    char text[RESULT_CELL_CAPACITY];
    std::snprintf(text, sizeof text, ">%.4lf", -p);
    set_result_text(row, column, text);
}

void set_count_cell(int row, int column, int count, int width) {
    char text[RESULT_CELL_CAPACITY];
    std::snprintf(text, sizeof text, "%*d", width, count);
    set_result_text(row, column, text);
}
