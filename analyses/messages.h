// Caption and texts of the message boxes in which the analyses refuse their
// input. The shell's messages carry the same caption.
#pragma once

constexpr const char* ANALYSIS_MESSAGE_CAPTION = "Morvenda 006";

constexpr const char* TOO_FEW_COLUMNS_MESSAGE = "At least two data columns are required";
constexpr const char* TOO_FEW_ROWS_MESSAGE = "At least three data rows are required";
constexpr const char* NOT_GROUPABLE_MESSAGE = "First column not suitable for grouping";
