// Plot numbers from the core's tables. Each plot that needs the pair table
// fills it the way its analysis did for the same column (the builders are
// the analyses' own), then orders and summarises it as the analysis did.
#include "web/engine/plot_data.h"

#include <cmath>
#include <cstdlib>
#include <type_traits>

#include "analyses/correlation_report.h"
#include "analyses/nonpaired.h"
#include "analyses/pair_values.h"
#include "analyses/paired.h"
#include "analyses/report_table.h"
#include "app/analysis_dialog.h"
#include "stats/censored_order.h"
#include "stats/column_summary.h"
#include "stats/distributions.h"
#include "stats/ordering.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace {

// How a point came about: a measured value, or the value standing for a "<"
// or a ">" cell (on the log scale also for a value that is not positive).
enum PointClass { POINT_REAL = 0, POINT_SMALL = 1, POINT_BIG = 2 };


// Point lists kept while a plot is written: at most two per row.
constexpr int MAX_POINTS = 2 * MAX_ROWS;
double point_x[MAX_POINTS];
double point_y[MAX_POINTS];
int point_class[MAX_POINTS];
int point_row[MAX_POINTS];  // the table's row of the point's cells, from 0
bool point_at_limit[MAX_POINTS];  // a "<" or ">" cell drawn at its limit
int point_count = 0;

void add_point(double x, double y, int point_kind, int row, bool at_limit = false) {
    if (point_count == MAX_POINTS || !std::isfinite(x) || !std::isfinite(y)) return;
    point_x[point_count] = x;
    point_y[point_count] = y;
    point_class[point_count] = point_kind;
    point_row[point_count] = row;
    point_at_limit[point_count] = at_limit;
    ++point_count;
}

// Where a "<" or ">" cell of data column `c` is drawn: at the limit written
// after its sign, or, written without one, at the smallest (largest)
// measured value of its column, which it is known to lie below (above).
// False where there is none to draw it at (no measured value, or on a log
// axis a limit that is not positive): it is then drawn at its estimate.
bool limit_point(int r, int c, const ColumnBounds& bounds, bool log, double& at) {
    CensoredCell cell{};
    if (!read_censored_cell(r, c, bounds, cell) || cell.side == SIDE_MEASURED) return false;
    if (!std::isfinite(cell.value) || (log && !(cell.value > 0))) return false;
    at = cell.value;
    return true;
}

// One list of the points' values under `key`.
template <typename T>
void write_list(JsonWriter& json, const char* key, const T* values) {
    json.key(key);
    json.begin_array();
    for (int i = 0; i < point_count; ++i) {
        if constexpr (std::is_same_v<T, double>)
            json.number(values[i]);
        else
            json.integer(static_cast<int>(values[i]));
    }
    json.end_array();
}

// The points: x, y, class, the row of each point's cells (so that the page
// can say what was written there), and which "<" and ">" points stand at
// their limit rather than at their estimate (the true value lies beyond,
// the way the sign says).
void write_points(JsonWriter& json) {
    write_list(json, "x", point_x);
    write_list(json, "y", point_y);
    write_list(json, "class", point_class);
    write_list(json, "row", point_row);
    write_list(json, "atLimit", point_at_limit);
}

// A known statistic, or not a number (written as null).
double known_or_nan(double v) { return is_available(v) ? v : std::nan(""); }

// The value a present cell stands for in the normal plot, and its class.
// On the log scale a real value that is not positive is one of the small
// cells there.
double plotted_value(double v, const ColumnSummary& s, bool log, int& point_kind) {
    if (v == CELL_SMALL || (log && is_real_value(v) && !(v > 0))) {
        point_kind = POINT_SMALL;
        return log ? s.small_value_log : s.small_value;
    }
    if (v == CELL_BIG) {
        point_kind = POINT_BIG;
        return log ? s.big_value_log : s.big_value;
    }
    point_kind = POINT_REAL;
    return v;
}

// Descriptive and Show Ranks: the column's cells against their normal scores,
// and the line value = mean + sd * score (on the log scale ln value).
void write_normal_plot(JsonWriter& json, int c) {
    const ColumnSummary& s = column_summaries[c];
    const bool log = log_transform != 0;
    const ColumnBounds bounds = column_bounds(c);
    double z_low = 0, z_high = 0;
    bool any = false;
    for (int r = 0; r < used_rows(); ++r) {
        const double v = data_rows[r].value[c];
        const double z = data_rows[r].normal_score[c];
        if (is_missing_value(v) || !(z > CELL_MISSING)) continue;
        int point_kind = POINT_REAL;
        double shown = plotted_value(v, s, log, point_kind);
        const bool at_limit = is_marker(v) && limit_point(r, c, bounds, log, shown);
        if (log && !(shown > 0)) continue;
        add_point(z, shown, point_kind, r, at_limit);
        if (!any || z < z_low) z_low = z;
        if (!any || z > z_high) z_high = z;
        any = true;
    }
    json.field_string("kind", "normal");
    json.field_bool("log", log);
    write_points(json);
    const double mean = log ? s.mean_log : s.mean;
    const double sd = log ? s.sd_log : s.sd;
    json.key("line");
    if (!any || !is_available(mean) || !is_available(sd)) {
        json.null();
        return;
    }
    // Two points make the line; on a log axis exp(mean + sd z) is straight too.
    json.begin_object();
    json.key("x");
    json.begin_array();
    json.number(z_low);
    json.number(z_high);
    json.end_array();
    json.key("y");
    json.begin_array();
    json.number(shown_value(mean + sd * z_low, log));
    json.number(shown_value(mean + sd * z_high, log));
    json.end_array();
    json.end_object();
}

// Paired: the signed value of every row whose pair has one, with the mean
// and its 95% limits as the t-test gives them (back-transformed ratios in
// ratio mode).
void write_paired_plot(JsonWriter& json, int c) {
    const bool ratio = log_transform != 0;
    build_paired_differences(c);
    order_pair_columns();
    summarize_columns(true);
    for (int r = 0; r < used_rows(); ++r) {
        const double d = pair_rows[r].value[0];
        if (!is_real_value(d) || (ratio && !(d > 0))) continue;
        add_point(r + 1, d, POINT_REAL, r);
    }
    const PairedMean m = paired_mean(ratio);
    json.field_string("kind", "paired");
    json.field_bool("log", ratio);
    write_points(json);
    json.field("mean", known_or_nan(shown_value(m.mean, ratio)));
    json.field("lower", known_or_nan(shown_value(m.lower, ratio)));
    json.field("upper", known_or_nan(shown_value(m.upper, ratio)));
}

// Nonpaired: x is the group (0 or 1), y the value; markers at their group's
// substitutes.
void write_groups_plot(JsonWriter& json, int c) {
    int32_t code0 = 0, code1 = 0;
    if (!find_group_codes(code0, code1)) {
        json.field_string("kind", "none");
        return;
    }
    const bool log = log_transform != 0;
    build_group_columns(c, code0, code1);
    order_pair_columns();
    summarize_columns(true);
    const ColumnBounds bounds = column_bounds(c);
    for (int g = 0; g < 2; ++g) {
        for (int r = 0; r < used_rows(); ++r) {
            const double v = pair_rows[r].value[g];
            if (is_missing_value(v)) continue;
            int point_kind = POINT_REAL;
            double shown = plotted_value(v, group_summaries[g], log, point_kind);
            const bool at_limit = is_marker(v) && limit_point(r, c, bounds, log, shown);
            if (log && !(shown > 0)) continue;
            add_point(g, shown, point_kind, r, at_limit);
        }
    }
    json.field_string("kind", "groups");
    json.field_bool("log", log);
    write_points(json);
    json.key("codes");
    json.begin_array();
    json.integer(code0);
    json.integer(code1);
    json.end_array();
    json.key("mean");
    json.begin_array();
    for (const ColumnSummary& g : group_summaries)
        json.number(known_or_nan(shown_value(log ? g.mean_log : g.mean, log)));
    json.end_array();
    json.key("median");
    json.begin_array();
    for (const ColumnSummary& g : group_summaries) json.number(known_or_nan(g.median));
    json.end_array();
}

// Pearson and Spearman: the pair table of the first column and column c as
// the correlation built it; a point with a "<" or ">" cell (or a value that
// is not positive, in a log mode) is marked as such.
// The coefficient is the report's own cell.
void write_correlation_plot(JsonWriter& json, int c, bool ranks) {
    build_pair_values(0, c);
    const ColumnBounds x_bounds = column_bounds(0), y_bounds = column_bounds(c);
    if (ranks) {
        order_pair_columns();
        summarize_columns(true);
    }
    for (int r = 0; r < used_rows(); ++r) {
        const PairRow& pair = pair_rows[r];
        const double x = data_rows[r].value[0], y = data_rows[r].value[c];
        const bool x_small = x == CELL_SMALL || (log_transform != 0 && is_real_value(x) && !(x > 0));
        const bool y_small = y == CELL_SMALL || (log_y != 0 && is_real_value(y) && !(y > 0));
        const bool small = x_small || y_small;
        const int point_kind = small ? POINT_SMALL : x == CELL_BIG || y == CELL_BIG ? POINT_BIG : POINT_REAL;
        if (ranks) {
            if (pair.rank[0] == 0 || pair.rank[1] == 0) continue;
            add_point(pair.rank[0], pair.rank[1], point_kind, r);
        } else {
            if (!is_real_value(pair.value[0]) || !is_real_value(pair.value[1])) continue;
            // A "<" or ">" cell at its limit; the pair is drawn at its limit
            // only when every such cell of it can be.
            double px = pair.value[0], py = pair.value[1];
            const bool x_marker = is_marker(x), y_marker = is_marker(y);
            const bool at_limit = (x_marker || y_marker) &&
                                  (!x_marker || limit_point(r, 0, x_bounds, log_transform != 0, px)) &&
                                  (!y_marker || limit_point(r, c, y_bounds, log_y != 0, py));
            if (!at_limit) px = pair.value[0], py = pair.value[1];
            add_point(px, py, point_kind, r, at_limit);
        }
    }
    json.field_string("kind", ranks ? "spearman" : "pearson");
    json.field_bool("logX", !ranks && log_transform != 0);
    json.field_bool("logY", !ranks && log_y != 0);
    write_points(json);
    // The report prints a coefficient that is not available as "#n/a".
    const char* cell = result_cells[correlation_rows::COEFFICIENT_ROW][c];
    json.field_string("coefficient", std::atof(cell) > -MISSING_BOUND ? cell : "#n/a");
}

}  // namespace

void write_plot_data(JsonWriter& json, int column) {
    point_count = 0;
    json.begin_object();
    json.field_int("column", column);
    const bool comparison = analysis_kind != ID_DESCRIPTIVE && analysis_kind != ID_SHOW_RANKS;
    if (column < (comparison ? 1 : 0) || column >= used_columns()) {
        json.field_string("kind", "none");
    } else if (analysis_kind == ID_DESCRIPTIVE || analysis_kind == ID_SHOW_RANKS) {
        write_normal_plot(json, column);
    } else if (analysis_kind == ID_PAIRED) {
        write_paired_plot(json, column);
    } else if (analysis_kind == ID_NONPAIRED) {
        write_groups_plot(json, column);
    } else if (analysis_kind == ID_PEARSON || analysis_kind == ID_SPEARMAN) {
        write_correlation_plot(json, column, analysis_kind == ID_SPEARMAN);
    } else {
        json.field_string("kind", "none");
    }
    json.end_object();
}
