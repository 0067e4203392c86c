// Statuses an analysis entry returns to the shell.
#pragma once

enum AnalysisStatus : int {
    ANALYSIS_OK = 0,
    ANALYSIS_TOO_FEW_COLUMNS = 1,
    ANALYSIS_TOO_FEW_ROWS = 2,
    ANALYSIS_NOT_GROUPABLE = 3,
    // The result text could not be put on the clipboard (the writer has said so).
    ANALYSIS_PUBLISH_FAILED = 4,
};
