#include "app/process_state.h"

#include "analyses/kept_estimates.h"
#include "app/analysis_dialog.h"
#include "stats/column_summary.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

void reset_process_state() {
    reset_data_table();
    reset_dialog_state();
    reset_column_summaries();
    reset_result_buffers();
    forget_group_estimates();
}
