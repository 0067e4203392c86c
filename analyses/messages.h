// Texts of the message boxes in which the analyses refuse their input; they
// carry MESSAGE_CAPTION, as the shell's messages do.
#pragma once

#include "worksheet/message_caption.h"

constexpr const char* TOO_FEW_COLUMNS_MESSAGE = "At least two data columns are required";
constexpr const char* TOO_FEW_ROWS_MESSAGE = "At least three data rows are required";
constexpr const char* NOT_GROUPABLE_MESSAGE = "First column not suitable for grouping";
