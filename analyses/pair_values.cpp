// Builds the pair table of two data columns for the correlations.
#include "analyses/pair_values.h"

#include "stats/column_summary.h"
#include "worksheet/data_table.h"

namespace {

// One cell of a column as the correlation sees it. `log_mode` selects the
// log-scale substitutes and sends every non-positive value to small_value_log.
double paired_value(double v, const ColumnSummary& s, bool log_mode) {
    if (log_mode && !(v > 0)) return s.small_value_log;
    return marker_substitute(v, s, log_mode);
}

}  // namespace

double pair_value(double v, int column, bool log_mode) {
    if (column < 0 || column >= MAX_COLUMNS) return CELL_MISSING;
    return paired_value(v, column_summaries[column], log_mode);
}

bool build_pair_values(int a, int b) {
    if (a < 0 || a >= MAX_COLUMNS || b < 0 || b >= MAX_COLUMNS) return false;
    const int rows = used_rows();
    const ColumnSummary& sa = column_summaries[a];
    const ColumnSummary& sb = column_summaries[b];
    bool available = true;
    for (int r = 0; r < rows; ++r) {
        const double x = data_rows[r].value[a];
        const double y = data_rows[r].value[b];
        PairRow& pair = pair_rows[r];
        if (is_missing_value(x) || is_missing_value(y)) {
            pair.value[0] = CELL_MISSING;
            pair.value[1] = CELL_MISSING;
            continue;
        }
        pair.value[0] = paired_value(x, sa, log_transform != 0);
        pair.value[1] = paired_value(y, sb, log_y != 0);
        // A substitute outside the missing bound would be read as a missing
        // cell by the group summaries, and the pair would lose its partner.
        if (is_missing_value(pair.value[0]) || is_missing_value(pair.value[1])) available = false;
    }
    return available;
}
