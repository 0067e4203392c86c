// The one input check of the paired, non-paired, Pearson and Spearman
// analyses: the worksheet's size, with its messages.
#include "analyses/input_checks.h"

#include "analyses/analysis_status.h"
#include "analyses/messages.h"
#include "worksheet/data_table.h"

int check_two_column_input(platform::WindowHandle owner) {
    if (column_count < 2) {
        platform::show_message(owner, TOO_FEW_COLUMNS_MESSAGE, MESSAGE_CAPTION);
        return ANALYSIS_TOO_FEW_COLUMNS;
    }
    if (row_count < 3) {
        platform::show_message(owner, TOO_FEW_ROWS_MESSAGE, MESSAGE_CAPTION);
        return ANALYSIS_TOO_FEW_ROWS;
    }
    return ANALYSIS_OK;
}
