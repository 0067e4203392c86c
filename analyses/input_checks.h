// The input check of every analysis that compares or correlates columns.
#pragma once

#include "platform/platform.h"

// At least two columns and three rows: otherwise shows "At least two data
// columns are required" or "At least three data rows are required" and
// returns ANALYSIS_TOO_FEW_COLUMNS or ANALYSIS_TOO_FEW_ROWS; else ANALYSIS_OK.
int check_two_column_input(platform::WindowHandle owner);
