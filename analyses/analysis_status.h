// Statuses an analysis entry returns to the shell.
#pragma once

constexpr int ANALYSIS_OK = 0;
constexpr int ANALYSIS_TOO_FEW_COLUMNS = 1;
constexpr int ANALYSIS_TOO_FEW_ROWS = 2;
constexpr int ANALYSIS_NOT_GROUPABLE = 3;
// The result text could not be put on the clipboard (the writer has said so).
constexpr int ANALYSIS_PUBLISH_FAILED = 4;
