// "More statistics" of the correlations: the first column against each
// other column, on the rows where both cells are present, with the pair
// values the correlations use ("<" and ">" cells replaced by the columns'
// estimates, in a log mode values that are not positive by the log
// estimate for small cells). The p of r (or rho) from the t distribution,
// and Kendall's tau-b on the same pairs. When a column holds a "<" or ">"
// cell, Kendall's tau also with the order known between the cells with
// their kept limits.
#include <cmath>

#include "analyses/more_rows.h"
#include "analyses/pair_values.h"
#include "analyses/references.h"
#include "stats/censored_tests.h"
#include "stats/kendall.h"
#include "stats/mid_ranks.h"
#include "stats/t_statistics.h"

namespace {

enum Row : int { MORE_CORRELATION_ROWS(MORE_ROW_ID, "") ROW_COUNT };
constexpr int PLAIN_ROW_COUNT = CENSORED_TAU;

const MoreRow PEARSON_ROWS[ROW_COUNT] = {MORE_CORRELATION_ROWS(MORE_ROW_ENTRY, "Pearson p (t)")};
const MoreRow SPEARMAN_ROWS[ROW_COUNT] = {MORE_CORRELATION_ROWS(MORE_ROW_ENTRY, "Spearman p (t)")};

double xs[MAX_ROWS];
double ys[MAX_ROWS];
int x_ranks2[MAX_ROWS];
int y_ranks2[MAX_ROWS];
// The bound codes by row of the first column (coded once per report) and
// of the compared one, and those of the rows where both are present.
int first_upper[MAX_ROWS], first_lower[MAX_ROWS], first_codes;
int other_upper[MAX_ROWS], other_lower[MAX_ROWS];
int x_upper[MAX_ROWS], x_lower[MAX_ROWS], y_upper[MAX_ROWS], y_lower[MAX_ROWS];

// The p of a correlation coefficient r of n pairs from t with n - 2
// degrees of freedom.
double coefficient_p(double r, int n) {
    if (n < 3 || !(r >= -1 && r <= 1)) return std::nan("");
    return t_two_sided_p(r * std::sqrt((n - 2) / ((1 - r) * (1 + r))), n - 2);
}

// Pearson's coefficient of the doubled mid-ranks.
double rank_coefficient(int n) {
    doubled_mid_ranks(xs, n, x_ranks2);
    doubled_mid_ranks(ys, n, y_ranks2);
    const double centre = n + 1.0;  // the mean doubled rank
    double sxy = 0, sxx = 0, syy = 0;
    for (int i = 0; i < n; ++i) {
        const double a = x_ranks2[i] - centre, b = y_ranks2[i] - centre;
        sxy += a * b;
        sxx += a * a;
        syy += b * b;
    }
    return sxy / std::sqrt(sxx * syy);
}

void write_column(int c, bool spearman) {
    const bool available = build_pair_values(0, c);
    int n = 0, beyond = 0;
    for (int r = 0; r < used_rows(); ++r) {
        const double x = pair_rows[r].value[0], y = pair_rows[r].value[1];
        if (is_missing_value(x) || is_missing_value(y)) continue;
        if (is_marker(data_rows[r].value[0]) || is_marker(data_rows[r].value[c])) ++beyond;
        xs[n] = x;
        ys[n] = y;
        ++n;
    }
    set_more_cell(BEYOND_LIMIT, c, beyond);
    if (!available || n < 3) return;
    const double coefficient = spearman ? rank_coefficient(n) : pearson_r();
    set_more_cell(COEFFICIENT_P, c, coefficient_p(coefficient, n));
    const KendallTau tau = kendall_tau(xs, ys, n);
    set_more_cell(TAU, c, tau.tau_b);
    set_more_cell(TAU_P, c, tau.p);
    if (!std::isnan(tau.p)) set_more_cell(TAU_METHOD, c, tau.exact ? METHOD_EXACT : METHOD_NORMAL);
}

// Kendall's tau with the order known between the cells with their limits.
void write_censored_kendall(int c) {
    const int other_codes = code_column_bounds(c, other_upper, other_lower);
    const int n = codes_of_rows(
        other_upper, other_lower, [](int r) { return first_upper[r] >= 0; }, y_upper, y_lower,
        [](int r, int k) {
            x_upper[k] = first_upper[r];
            x_lower[k] = first_lower[r];
        });
    const KendallResult k = censored_kendall_codes(x_upper, x_lower, first_codes, y_upper, y_lower, other_codes, n);
    set_more_cell(CENSORED_TAU, c, censored_result(k.tau));
    set_more_cell(CENSORED_TAU_P, c, censored_result(k.p));
}

}  // namespace

bool fill_more_correlation(bool spearman) {
    if (used_columns() < 2 || used_rows() < 3) return false;
    const bool censored = find_censored_columns(0);
    start_more_rows(spearman ? SPEARMAN_ROWS : PEARSON_ROWS, censored ? ROW_COUNT : PLAIN_ROW_COUNT, 1);
    if (censored) first_codes = code_column_bounds(0, first_upper, first_lower);
    for (int c = 1; c < used_columns(); ++c) {
        write_column(c, spearman);
        if (censored) write_censored_kendall(c);
    }
    return true;
}
