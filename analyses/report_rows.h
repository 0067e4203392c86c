// The rows of every report, in the order the report holds them: one
// X-macro list a report, of
//     X(ROW_ID, "label", "label with Log-transformation" or nullptr, printed, format)
// lines (see report_table.h; the descriptive report's lines name the cell
// that shows a row and the summary fields it reads instead). Each report's
// header makes its enum of row ids and its table from its list. Together
// they are the layout of every result as it is pasted.
#pragma once

// Descriptive, in output order (row 0 is not used): each row with the cell
// that shows it (see descriptive.cpp) and the fields of the column summary
// S it reads: a value, and a count (the one shown, or the one an estimate
// depends on). The log-scale statistics have rows of their own, so no row
// has a log label.
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

// Paired tests, in result-row order. The ratio-mode label is the one under
// Log-transformation.
#define PAIRED_REPORT_ROWS(X)                                                        \
    X(MEAN_ROW, "mean difference", "mean ratio", Always, Value)                      \
    X(LOWER_LIMIT_ROW, "95% CI lower limit", nullptr, Always, Value)                 \
    X(UPPER_LIMIT_ROW, "95% CI upper limit", nullptr, Always, Value)                 \
    X(T_TEST_P_ROW, "p (T-test)", nullptr, Always, PValue)                           \
    X(WILCOXON_P_ROW, "p (Wilcoxon)", nullptr, Always, SignedRankP)                  \
    X(UNUSED_ROW, "", nullptr, Never, Value)                                         \
    X(N_ROW, "N (T-test)", nullptr, Extra, WideCount)                                \
    X(SE_ROW, "SE of difference", "GSE for ratio", Extra, Value)                     \
    X(T_ROW, "t value", nullptr, Extra, Value)                                       \
    X(WILCOXON_N_ROW, "N (Wilcoxon)", nullptr, Extra, Count)                         \
    X(WILCOXON_T_ROW, "Wilcoxon T", nullptr, Extra, Value)

// Non-paired tests, in result-row order.
#define NONPAIRED_REPORT_ROWS(X)                                                                    \
    X(MEAN0_ROW, "mean0", "geometric mean0", Always, Value)                                         \
    X(MEAN1_ROW, "mean1", "geometric mean1", Always, Value)                                         \
    X(DIFFERENCE_ROW, "difference between mean values", "ratio of mean values", Always, Value)      \
    X(LOWER_LIMIT_ROW, "95% CI lower limit", nullptr, Always, Value)                                \
    X(UPPER_LIMIT_ROW, "95% CI upper limit", nullptr, Always, Value)                                \
    X(N0_ROW, "N0", nullptr, Always, Count)                                                         \
    X(N1_ROW, "N1", nullptr, Always, Count)                                                         \
    X(T_TEST_P_ROW, "p (T-test)", nullptr, Always, PValue)                                          \
    X(MEDIAN0_ROW, "median0", nullptr, Always, Value)                                               \
    X(MEDIAN1_ROW, "median1", nullptr, Always, Value)                                               \
    X(MEDIAN_DIFFERENCE_ROW, "difference between medians", nullptr, Always, Value)                  \
    X(MANN_WHITNEY_P_ROW, "p (Mann-Whitney)", nullptr, Always, PValue)                              \
    X(UNUSED_ROW, "", nullptr, Never, Value)                                                        \
    X(SD0_ROW, "SD0", nullptr, Extra, Value)                                                        \
    X(SD1_ROW, "SD1", nullptr, Extra, Value)                                                        \
    X(POOLED_SD_ROW, "pooled SD", nullptr, Extra, Value)                                            \
    X(SE_ROW, "Standar error of difference", nullptr, Extra, Value)                                 \
    X(T_ROW, "t value", nullptr, Extra, Value)                                                      \
    X(U_ROW, "MW U value", nullptr, Extra, Value)                                                   \
    X(R0_ROW, "MW R0", nullptr, Extra, Value)                                                       \
    X(R1_ROW, "MW R1", nullptr, Extra, Value)                                                       \
    X(TIE_TERM_ROW, "MW T", nullptr, Extra, Value)                                                  \
    X(Z_ROW, "z score (for Mann-Whitney n1>8)", nullptr, Extra, Value)

// Pearson and Spearman, in result-row order: the coefficient of every
// column against the first under the analysis's own label, its interval, p
// and pair count, and the tie counts that only Spearman prints.
#define CORRELATION_REPORT_ROWS(X, coefficient_label, ties_printed) \
    X(COEFFICIENT_ROW, coefficient_label, nullptr, Always, Value)   \
    X(CI_LOW_ROW, "95CI low", nullptr, Always, Value)               \
    X(CI_HIGH_ROW, "95CI high", nullptr, Always, Value)             \
    X(P_VALUE_ROW, "p value", nullptr, Always, Value)               \
    X(PAIR_COUNT_ROW, "N", nullptr, Always, Count)                  \
    X(UNUSED_ROW, "", nullptr, Never, Value)                        \
    X(TIES_X_ROW, "Ties x", nullptr, ties_printed, Value)           \
    X(TIES_Y_ROW, "Ties y", nullptr, ties_printed, Value)

// Show Ranks, its blocks in row label order: each block is one cell per
// column in every data line, and its label stands above its first column
// in the last line. Label slot 2 is not used.
#define RANK_LISTING_BLOCKS(X)                                                          \
    X(RANK_BLOCK, "Adjusted Rank", nullptr, Always, Value)                              \
    X(PERCENTILE_BLOCK, "Percentile", nullptr, Always, Value)                           \
    X(UNUSED_BLOCK, "", nullptr, Never, Value)                                          \
    X(Z_SCORE_BLOCK, "Rank-based z score", nullptr, Extra, Value)                       \
    X(REPEATS_BLOCK, "Repeats", nullptr, Extra, Count)                                  \
    X(LINEAR_PREDICTION_BLOCK, "Predicted from rank (lin-normal)", nullptr, Extra, Value) \
    X(LOG_PREDICTION_BLOCK, "Predicted from rank (log-normal)", nullptr, Extra, Value)  \
    X(RAW_DATA_BLOCK, "Raw data", nullptr, Extra, Value)
