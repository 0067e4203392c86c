// The descriptive report: for every worksheet column, the statistics of its
// column summary, one line per statistic with the label after the cells.
#pragma once

#include "analyses/report_table.h"
#include "platform/platform.h"

// The rows of the report, in output order (see report_table.h; row 0 is not
// used), each with the cell that shows it (see descriptive.cpp) and the
// fields of the column summary S it reads: a value, and a count (the one
// shown, or the one an estimate depends on). The log-scale statistics have
// rows of their own, so no row has a log label.
#define DESCRIPTIVE_REPORT_ROWS(X)                                                                \
    X(UNUSED_ROW, "", Never, Count, nullptr, &S::n_total)                                         \
    X(MIN_ROW, "Min", Always, Real, &S::min, nullptr)                                             \
    X(MAX_ROW, "Max", Always, Real, &S::max, nullptr)                                             \
    X(CI95_LOWER_ROW, "95%CI ll=Mean-t*SEM", Always, Available, &S::ci95_lower, nullptr)          \
    X(MEAN_MINUS_SEM_ROW, "Mean-SEM", Always, Available, &S::mean_minus_sem, nullptr)             \
    X(MEAN_ROW, "Mean", Always, AboveSmall, &S::mean, nullptr)                                    \
    X(MEAN_PLUS_SEM_ROW, "Mean+SEM", Always, Available, &S::mean_plus_sem, nullptr)               \
    X(CI95_UPPER_ROW, "95%CI ul=Mean+t*SEM", Always, Available, &S::ci95_upper, nullptr)          \
    X(CI95_LOWER_LOG_ROW, "95%CI ll(log)=Mean/(GSEM^t)", Always, LogAvailable, &S::ci95_lower_log, nullptr) \
    X(MEAN_MINUS_SEM_LOG_ROW, "Mean/GSEM", Always, LogAvailable, &S::mean_minus_sem_log, nullptr) \
    X(MEAN_LOG_ROW, "Mean (log)", Always, LogAvailable, &S::mean_log, nullptr)                    \
    X(MEAN_PLUS_SEM_LOG_ROW, "Mean*GSEM", Always, LogAvailable, &S::mean_plus_sem_log, nullptr)   \
    X(CI95_UPPER_LOG_ROW, "95%CI ul(log)=Mean*(GSEM^t)", Always, LogAvailable, &S::ci95_upper_log, nullptr) \
    X(CENTILE_10_ROW, "10 Centile", Extra, Real, &S::centile_10, nullptr)                         \
    X(CENTILE_25_ROW, "25 Centile", Always, Real, &S::centile_25, nullptr)                        \
    X(CENTILE_33_ROW, "33 Centile", Extra, Real, &S::centile_33, nullptr)                         \
    X(MEDIAN_MINUS_SE_ROW, "Median-SE of median", Always, MedianSe, &S::median_minus_se, nullptr) \
    X(MEDIAN_ROW, "Median", Always, Real, &S::median, nullptr)                                    \
    X(MEDIAN_PLUS_SE_ROW, "Median+SE of median", Always, MedianSe, &S::median_plus_se, nullptr)   \
    X(CENTILE_67_ROW, "67 Centile", Extra, Real, &S::centile_67, nullptr)                         \
    X(CENTILE_75_ROW, "75 Centile", Always, Real, &S::centile_75, nullptr)                        \
    X(CENTILE_90_ROW, "90 Centile", Extra, Real, &S::centile_90, nullptr)                         \
    X(SEM_ROW, "SEM", ExtraLinear, Available, &S::sem, nullptr)                                   \
    X(GSEM_ROW, "GSEM", ExtraLog, LogAvailable, &S::sem_log, nullptr)                             \
    X(SD_ROW, "SD", ExtraLinear, Available, &S::sd, nullptr)                                      \
    X(GSD_ROW, "GSD", ExtraLog, LogAvailable, &S::sd_log, nullptr)                                \
    X(BIG_ROW, "Big", ExtraLinear, CountedEstimate, &S::big_value, &S::n_big)                     \
    X(BIG_LOG_ROW, "Big (log)", ExtraLog, CountedEstimate, &S::big_value_log, &S::n_big)          \
    X(SMALL_ROW, "Small", ExtraLinear, CountedEstimate, &S::small_value, &S::n_small)             \
    X(SMALL_LOG_ROW, "Small (log)", ExtraLog, CountedEstimate, &S::small_value_log, &S::n_small_log) \
    X(LOWER_THIRD_ROW, "33-0", Always, Count, nullptr, &S::n_lower_third)                         \
    X(MIDDLE_THIRD_ROW, "66-33", ExtraLinear, Count, nullptr, &S::n_middle_third)                 \
    X(UPPER_THIRD_ROW, "100-67", Always, Count, nullptr, &S::n_upper_third)                       \
    X(LOWER_THIRD_LOG_ROW, "33-0 (log)", Always, Count, nullptr, &S::n_lower_third_log)           \
    X(MIDDLE_THIRD_LOG_ROW, "66-33 (log)", ExtraLog, Count, nullptr, &S::n_middle_third_log)      \
    X(UPPER_THIRD_LOG_ROW, "100-67 (log)", Always, Count, nullptr, &S::n_upper_third_log)         \
    X(DEVIATION_ROW, "% Deviation from normal", Extra, Available, &S::deviation_from_normal, nullptr) \
    X(DEVIATION_LOG_ROW, "% Deviation from normal (log)", Extra, Available, &S::deviation_from_normal_log, nullptr) \
    X(N_BIG_ROW, "N big", Extra, Count, nullptr, &S::n_big)                                       \
    X(N_SMALL_ROW, "N small", ExtraLinear, Count, nullptr, &S::n_small)                           \
    X(N_SMALL_LOG_ROW, "N small (log)", ExtraLog, Count, nullptr, &S::n_small_log)                \
    X(N_REAL_ROW, "N real", ExtraLinear, Count, nullptr, &S::n_real)                              \
    X(N_REAL_LOG_ROW, "N real (log)", ExtraLog, Count, nullptr, &S::n_real_log)                   \
    X(N_TOTAL_ROW, "N total", Always, Total, nullptr, &S::n_total)

#define DESCRIPTIVE_ROW_IDS(id, label, printed, cell, value, count) id,

REPORT_ROW_ENUM(descriptive_rows, Row, DESCRIPTIVE_REPORT_ROWS(DESCRIPTIVE_ROW_IDS))

// Builds the report into result_text and publishes it. 0, or
// ANALYSIS_PUBLISH_FAILED when the text could not be put on the clipboard
// (with zero columns the text is empty, and so is never published).
int run_descriptive_analysis(platform::WindowHandle owner);

// The labels of rows 1..43 into the row label table.
void set_descriptive_labels();
