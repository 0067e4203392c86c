// The descriptive report: for every worksheet column, the statistics of its
// column summary, one line per statistic with the label after the cells.
#pragma once

#include "platform/platform.h"

// Builds the report into result_text and publishes it. 0, or
// ANALYSIS_PUBLISH_FAILED when the text could not be put on the clipboard
// (with zero columns the text is empty, and so is never published).
int run_descriptive_analysis(platform::WindowHandle owner);

// Entries 1..43 of the row label table.
void set_descriptive_labels();
