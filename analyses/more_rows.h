// The table behind the "More statistics" report, shared by its parts: the
// rows an analysis has (label and how its cells are written), one cell per
// result column, and the writer that turns them into text, adding after
// each p row its Holm and Benjamini-Hochberg adjustments when there is more
// than one compared column.
#pragma once

#include <cmath>

#include "stats/censored_order.h"
#include "stats/column_summary.h"
#include "stats/t_statistics.h"
#include "worksheet/data_table.h"

// How the cells of a row are written. A cell that is not a finite number
// (NaN marks "not computable") is "#n/a".
enum class MoreFormat {
    Estimate,  // "%.4f"
    Freedom,   // degrees of freedom, "%.2f"
    Count,     // "%d"
    PValue,    // "%.4f" from 0.0001 on, "%.2e" below; followed by Holm and BH rows
    Method,    // a MoreMethod: "exact", "exact-ties" or "normal"
};

// How a p was computed, stored in a Method cell.
enum MoreMethod : int { METHOD_EXACT = 0, METHOD_EXACT_TIES = 1, METHOD_NORMAL = 2 };

struct MoreRow {
    const char* label;
    MoreFormat format;
};

constexpr int MORE_MAX_ROWS = 32;

// A part may list its rows once, as an X-macro list of
//     X(ROW_ID, "label", Format)
// lines, from which MORE_ROW_ID makes the enum of row ids and
// MORE_ROW_ENTRY the table, so that adding a row touches one line.
#define MORE_ROW_ID(id, label, format) id,
#define MORE_ROW_ENTRY(id, label, format) MoreRow{label, MoreFormat::format},

// The rows of every part, in the order they are printed, one list each.
// A part expands its list with MORE_ROW_ID into its enum of row ids and
// with MORE_ROW_ENTRY into its table.

// Descriptive, one cell per column; those of values beyond a limit from
// N_BELOW on.
#define MORE_DESCRIPTIVE_ROWS(X)                  \
    X(W, "Shapiro-Wilk W", Estimate)              \
    X(W_P, "Shapiro-Wilk p", PValue)              \
    X(MEDIAN_LOW, "Median 95%CI low", Estimate)   \
    X(MEDIAN_HIGH, "Median 95%CI high", Estimate) \
    X(BEYOND_LIMIT, "N beyond a limit", Count)    \
    X(N_BELOW, "N below a limit", Count)          \
    X(N_ABOVE, "N above a limit", Count)          \
    X(DISTINCT_LIMITS, "Distinct limits", Count)  \
    X(KM_MEDIAN, "KM median", Estimate)           \
    X(KM_25, "KM 25 centile", Estimate)           \
    X(KM_75, "KM 75 centile", Estimate)           \
    X(ROS_MEAN, "ROS mean", Estimate)             \
    X(ROS_SD, "ROS SD", Estimate)                 \
    X(ROS_MEDIAN, "ROS median", Estimate)

// Non-paired tests; those of values beyond a limit from GEHAN_Z on.
#define MORE_NONPAIRED_ROWS(X)                                \
    X(WELCH_T, "Welch t", Estimate)                           \
    X(WELCH_DF, "Welch df", Freedom)                          \
    X(WELCH_P, "Welch p", PValue)                             \
    X(WELCH_LOW, "Welch 95%CI low", Estimate)                 \
    X(WELCH_HIGH, "Welch 95%CI high", Estimate)               \
    X(HEDGES_G, "Hedges g", Estimate)                         \
    X(HEDGES_LOW, "Hedges g 95%CI low", Estimate)             \
    X(HEDGES_HIGH, "Hedges g 95%CI high", Estimate)           \
    X(MW_U, "Mann-Whitney U", Estimate)                       \
    X(MW_P, "Mann-Whitney p", PValue)                         \
    X(MW_METHOD, "Mann-Whitney p method", Method)             \
    X(HL_SHIFT, "Hodges-Lehmann shift", Estimate)             \
    X(HL_LOW, "HL 95%CI low", Estimate)                       \
    X(HL_HIGH, "HL 95%CI high", Estimate)                     \
    X(RB_R, "Rank-biserial r", Estimate)                      \
    X(RB_LOW, "Rank-biserial 95%CI low", Estimate)            \
    X(RB_HIGH, "Rank-biserial 95%CI high", Estimate)          \
    X(BEYOND_LIMIT, "N beyond a limit", Count)                \
    X(GEHAN_Z, "Gehan z", Estimate)                           \
    X(GEHAN_P, "Gehan p", PValue)                             \
    X(KM_MEDIAN_DIFFERENCE, "KM median difference", Estimate)

// Paired tests; those of values beyond a limit from KNOWN_SIGN on.
#define MORE_PAIRED_ROWS(X)                             \
    X(DZ, "Cohen dz", Estimate)                         \
    X(DZ_LOW, "dz 95%CI low", Estimate)                 \
    X(DZ_HIGH, "dz 95%CI high", Estimate)               \
    X(V, "Signed-rank V", Estimate)                     \
    X(V_P, "Signed-rank p", PValue)                     \
    X(V_METHOD, "Signed-rank p method", Method)         \
    X(HL_ESTIMATE, "Hodges-Lehmann estimate", Estimate) \
    X(HL_LOW, "HL 95%CI low", Estimate)                 \
    X(HL_HIGH, "HL 95%CI high", Estimate)               \
    X(MATCHED_R, "Matched rank-biserial r", Estimate)   \
    X(BIAS, "Bias", Estimate)                           \
    X(SD, "SD of differences", Estimate)                \
    X(LOWER_LOA, "Lower limit of agreement", Estimate)  \
    X(UPPER_LOA, "Upper limit of agreement", Estimate)  \
    X(LOA_HALF_WIDTH, "LoA 95%CI half-width", Estimate) \
    X(BEYOND_LIMIT, "N beyond a limit", Count)          \
    X(KNOWN_SIGN, "Pairs with a known sign", Count)     \
    X(SIGN_P, "Censored sign test p", PValue)

// Pearson and Spearman, the first row labelled by the coefficient; those of
// values beyond a limit from CENSORED_TAU on.
#define MORE_CORRELATION_ROWS(X, COEFFICIENT_P_LABEL) \
    X(COEFFICIENT_P, COEFFICIENT_P_LABEL, PValue)     \
    X(TAU, "Kendall tau-b", Estimate)                 \
    X(TAU_P, "Kendall p", PValue)                     \
    X(TAU_METHOD, "Kendall p method", Method)         \
    X(BEYOND_LIMIT, "N beyond a limit", Count)        \
    X(CENSORED_TAU, "Censored Kendall tau", Estimate) \
    X(CENSORED_TAU_P, "Censored Kendall p", PValue)

// Starts a report with `count` rows (at most MORE_MAX_ROWS) whose cells are
// result columns first .. used_columns()-1, every cell not computable.
void start_more_rows(const MoreRow* rows, int count, int first_column);
// Sets one cell; out-of-range rows and columns are ignored.
void set_more_cell(int row, int column, double value);
// The report as text; see write_more_statistics.
int write_more_rows(char* out, int capacity);

// The parts: each fills the table for the worksheet as it stands and
// returns false when the analysis would refuse its input.
bool fill_more_nonpaired();
bool fill_more_paired();
bool fill_more_correlation(bool spearman);
bool fill_more_descriptive();

// Whether the comparisons work on logarithms: under Log-transformation
// (non-paired) or in ratio mode (paired).
inline bool log_scale_mode() { return log_transform != 0; }
// An estimate as the report shows it: back from the log scale in that mode.
inline double shown(double v) { return log_scale_mode() ? std::exp(v) : v; }

// The rank (1-based) among `count` ordered estimates of the low end of a
// rank statistic's 95% interval by the normal approximation, sigma the
// statistic's standard deviation, with the continuity correction; 0 when no
// estimate qualifies.
inline long long normal_interval_rank(long long count, double sigma) {
    const double lowest = static_cast<double>(count) / 2.0 - 1.96 * sigma - 0.5;
    return lowest > 0 && lowest < 1e15 ? static_cast<long long>(std::ceil(lowest)) : 0;
}
// The two-sided normal p of a rank statistic with the given null mean and
// standard deviation, with the continuity correction.
inline double continuity_corrected_p(double statistic, double mean, double sigma) {
    const double excess = std::fabs(statistic - mean) - 0.5;
    return normal_two_sided_p((excess > 0 ? excess : 0) / sigma);
}

// Values beyond a limit. The rows of the statistics that keep each cell's
// limit come after a part's other rows and are written only when a column
// the analysis compares holds a "<" or ">" cell; without one the report has
// only the other rows.
//
// Whether data columns first_column .. used_columns()-1 hold a "<" or ">"
// cell (in any row). Also notes the bounds of every used column, for
// more_column_bounds.
bool find_censored_columns(int first_column);
// The bounds noted by find_censored_columns for data column c.
const ColumnBounds& more_column_bounds(int c);
// The bound codes (bound_codes in stats/censored_tests.h) of data column
// c's present cells by row, -1 for a missing cell, read along the column's
// order; returns the number of codes.
int code_column_bounds(int c, int* upper, int* lower);
// The present cells of a column coded by row (as code_column_bounds gives
// them: row_upper[r] < 0 for a missing cell) in the rows where `take(r)`
// holds, in row order: the k-th one's codes to upper[k] and lower[k], and
// `also(r, k)` called for it. Returns their count.
template <typename Take, typename Also>
int codes_of_rows(const int* row_upper, const int* row_lower, Take take, int* upper, int* lower, Also also) {
    int n = 0;
    for (int r = 0; r < used_rows(); ++r) {
        if (row_upper[r] < 0 || !take(r)) continue;
        upper[n] = row_upper[r];
        lower[n] = row_lower[r];
        also(r, n);
        ++n;
    }
    return n;
}
// A result of the censored statistics (CELL_MISSING: not computable) as a
// cell value.
inline double censored_result(double v) { return v == CELL_MISSING ? std::nan("") : v; }

// Sorts values[0..n-1] ascending, with rows[] (may be null) alongside,
// unless they already are.
void sort_if_unsorted(double* values, int* rows, int n);

// The start-up order of data column c when it lists every row once, else
// the rows in turn.
const int32_t* checked_order(int c);

// The present values of data column c in ascending order (markers by their
// value), read along the column's start-up order (and sorted here only if
// that order is not ascending); `keep(row, value)` chooses the cells.
// Returns the count; `rows` (may be null) receives their row numbers.
template <typename Keep>
int ordered_column_values(int c, Keep keep, double* values, int* rows) {
    if (c < 0 || c >= MAX_COLUMNS) return 0;
    const int n_rows = used_rows();
    const int32_t* order = checked_order(c);
    int n = 0;
    for (int k = 0; k < n_rows; ++k) {
        const int r = order[k];
        const double v = data_rows[r].value[c];
        if (is_missing_value(v) || !keep(r, v)) continue;
        values[n] = v;
        if (rows != nullptr) rows[n] = r;
        ++n;
    }
    sort_if_unsorted(values, rows, n);
    return n;
}
