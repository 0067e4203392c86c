// The non-paired comparison: the group codes, the split of each compared
// column into the pair table, the labels and the report.
#include "analyses/nonpaired.h"

#include "analyses/analysis_status.h"
#include "analyses/input_checks.h"
#include "analyses/kept_estimates.h"
#include "analyses/messages.h"
#include "stats/column_summary.h"
#include "stats/ordering.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace {

// The code of a present cell: its integer part. A present cell lies inside
// +-999999999.999, so the truncation always fits an int32_t.
int32_t code_of(double x) { return static_cast<int32_t>(x); }

}  // namespace


bool find_group_codes(int32_t& code0, int32_t& code1) {
    // A slot is empty until it has been filled, whatever code it then holds.
    bool have_a = false;
    bool have_b = false;
    int32_t a = 0;
    int32_t b = 0;
    const int rows = used_rows();
    for (int r = 0; r < rows; ++r) {
        const double x = data_rows[r].value[0];
        if (is_missing_value(x)) continue;
        const int32_t k = code_of(x);
        if (!have_a) {
            a = k;
            have_a = true;
        } else if (k != a) {
            if (!have_b) {
                b = k;
                have_b = true;
            } else if (k != b) {
                return false;  // a third distinct code
            }
        }
    }
    // One group alone, or none, leaves nothing to compare.
    if (!have_b) return false;
    code0 = a < b ? a : b;
    code1 = a < b ? b : a;
    return true;
}

void find_row_groups(int32_t code0, int32_t code1, int8_t* groups) {
    const int rows = used_rows();
    for (int r = 0; r < rows; ++r) {
        const double x = data_rows[r].value[0];
        if (is_missing_value(x)) {
            groups[r] = -1;
            continue;
        }
        const int32_t k = code_of(x);
        groups[r] = k == code0 ? 0 : k == code1 ? 1 : -1;
    }
}

namespace {

// The group of each row, by find_row_groups.
int8_t row_groups[MAX_ROWS];

// build_group_columns with the groups of the rows already found.
void split_column(int c) {
    const int rows = used_rows();
    const bool valid_column = c > 0 && c < MAX_COLUMNS;
    for (int r = 0; r < rows; ++r) {
        PairRow& pair = pair_rows[r];
        pair.value[0] = CELL_MISSING;
        pair.value[1] = CELL_MISSING;
        if (!valid_column) continue;
        const double y = data_rows[r].value[c];
        // Only real values and the two markers themselves take part.
        const bool taking_part = !is_missing_value(y) && y >= CELL_SMALL && y <= CELL_BIG;
        // The groups come in no order: the cell goes to its group's entry
        // without a branch on the group.
        const int g = row_groups[r];
        pair.value[0] = taking_part && g == 0 ? y : CELL_MISSING;
        pair.value[1] = taking_part && g == 1 ? y : CELL_MISSING;
    }
}

}  // namespace

void build_group_columns(int c, int32_t code0, int32_t code1) {
    find_row_groups(code0, code1, row_groups);
    split_column(c);
}

void write_nonpaired_report() { write_table_report("NonPaired\n", report_table(NONPAIRED_REPORT)); }

int run_nonpaired_analysis(platform::WindowHandle owner) {
    forget_group_estimates();
    const int checked = check_two_column_input(owner);
    if (checked != ANALYSIS_OK) return checked;
    int32_t code0 = 0;
    int32_t code1 = 0;
    if (!find_group_codes(code0, code1)) {
        platform::show_message(owner, NOT_GROUPABLE_MESSAGE, MESSAGE_CAPTION);
        return ANALYSIS_NOT_GROUPABLE;
    }
    const int columns = used_columns();
    find_row_groups(code0, code1, row_groups);
    // Of the group summaries the tests read the t-test's estimates (on the
    // log scale under Log-transformation), the medians and the orders.
    const unsigned fields = GROUP_MEDIAN | (log_transform != 0 ? GROUP_LOG_ESTIMATES : GROUP_ESTIMATES);
    for (int c = 1; c < columns; ++c) {
        split_column(c);
        // Each group's cells come from data column c, in its order.
        summarize_group(0, fields, column_summaries[c].order);
        summarize_group(1, fields, column_summaries[c].order);
        compute_nonpaired_column(c);
        keep_group_estimates(c, 2);
    }
    seal_group_estimates(KeptFor{KeptBy::Nonpaired, code0, code1});
    write_nonpaired_report();
    return publish_report(owner);
}
