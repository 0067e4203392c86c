// The descriptive report: for every worksheet column, the statistics of its
// column summary, one line per statistic with the label after the cells.
#pragma once

#include "analyses/report_rows.h"
#include "analyses/report_table.h"
#include "platform/platform.h"

// The report's rows, listed in report_rows.h, as ids.
#define DESCRIPTIVE_ROW_IDS(id, label, printed, cell, value, count) id,

REPORT_ROW_ENUM(descriptive_rows, Row, DESCRIPTIVE_REPORT_ROWS(DESCRIPTIVE_ROW_IDS))

// Builds the report into result_text and publishes it. 0, or
// ANALYSIS_PUBLISH_FAILED when the text could not be put on the clipboard
// (with zero columns the text is empty, and so is never published).
int run_descriptive_analysis(platform::WindowHandle owner);

// The labels of rows 1..43 into the row label table.
void set_descriptive_labels();
