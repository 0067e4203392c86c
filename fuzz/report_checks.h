// The layout of each analysis' result text, checked line by line and cell
// by cell: the title, the rows in order with their labels, the cell count of
// every line, every cell in its format and range, and the order of rows
// within a column (centiles, estimates within their limits). Lines and
// cells may be missing only where the append rules drop them.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/analysis_dialog.h"
#include "fuzz/cell_forms.h"
#include "fuzz/fuzz_program.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace fuzz {

class ReportChecker {
public:
    // `rows` is the data table's row count; a finding goes into `failure`
    // unless it already holds one.
    ReportChecker(const ProgramInput& in, int rows, std::string& failure) : in_(in), rows_(rows), failure_(failure) {}

    void check(int radio) {
        const std::string text(result_text, static_cast<std::size_t>(result_text_length()));
        for (const char* bad : {"inf", "nan", "INF", "NAN", "Inf", "NaN"})
            if (text.find(bad) != std::string::npos) return fail(std::string("the result text holds \"") + bad + "\"");
        switch (radio) {
        case ID_DESCRIPTIVE: return check_descriptive(text);
        case ID_PAIRED: return check_paired(text);
        case ID_NONPAIRED: return check_nonpaired(text);
        case ID_PEARSON: return check_correlation(text, false);
        case ID_SPEARMAN: return check_correlation(text, true);
        case ID_SHOW_RANKS: return check_ranks(text);
        default: return fail("an analysis that does not exist ran");
        }
    }

private:
    const ProgramInput in_;
    const int rows_;
    std::string& failure_;

    void fail(const std::string& what) {
        if (failure_.empty()) failure_ = what;
    }

    // ---- the report's layout --------------------------------------------------

    // Lines can be dropped only when the result text is nearly full.
    bool result_nearly_full() const {
        return result_text_length() + LINE_TEXT_CAPACITY + 2 >= RESULT_TEXT_CAPACITY;
    }
    // Cells can be dropped only from a line that is nearly full.
    static bool line_nearly_full(const std::string& line) {
        return line.size() + CELL_TEXT_CAPACITY >= static_cast<std::size_t>(LINE_TEXT_CAPACITY);
    }

    // Splits the text into lines; `ends_with_newline` says how the last ends.
    std::vector<std::string> lines_of(const std::string& text, bool ends_with_newline) {
        if (text.empty()) return {};
        const bool has_newline = text.back() == '\n';
        if (has_newline != ends_with_newline && !result_nearly_full())
            fail(ends_with_newline ? "the result text does not end with a newline" : "the result text ends with a newline");
        std::vector<std::string> lines = detail::split(has_newline ? text.substr(0, text.size() - 1) : text, '\n');
        return lines;
    }

    void check_line_count(const std::vector<std::string>& lines, std::size_t expected, const char* what) {
        if (lines.size() == expected) return;
        if (lines.size() < expected && result_nearly_full()) return;
        fail(std::string(what) + ": " + std::to_string(lines.size()) + " lines, expected " + std::to_string(expected));
    }

    // "label<TAB>cell ..." with one cell per data column after the first.
    void check_labelled_line(const std::string& line, const ReportRow& row) {
        const std::vector<std::string> fields = detail::split(line, '\t');
        if (fields[0] != row.label) return fail("line \"" + line.substr(0, 60) + "\" where \"" + row.label + "\" was due");
        const std::size_t cells = column_count > 1 ? static_cast<std::size_t>(column_count) - 1 : 0;
        if (fields.size() != cells + 1 && !line_nearly_full(line))
            return fail(std::string(row.label) + ": " + std::to_string(fields.size() - 1) + " cells, expected " +
                        std::to_string(cells));
        for (std::size_t i = 1; i < fields.size(); ++i) {
            if (!result_cell_ok(fields[i], row.form))
                return fail(std::string(row.label) + ": cell \"" + fields[i] + "\"");
            double v = 0;
            if (cell_number(fields[i], v) && !(v >= row.low - PRINT_SLACK && v <= row.high + PRINT_SLACK))
                return fail(std::string(row.label) + ": cell \"" + fields[i] + "\" out of its range");
        }
    }

    // The report's rows by label (the cells after the label).
    static Table labelled_table(const std::vector<std::string>& lines, std::size_t count) {
        Table table;
        for (std::size_t i = 1; i < lines.size() && i <= count; ++i) {
            std::vector<std::string> fields = detail::split(lines[i], '\t');
            const std::string label = fields[0];
            fields.erase(fields.begin());
            table.add(label, fields);
        }
        return table;
    }

    Table check_labelled_report(const std::string& text, const char* title, const std::vector<ReportRow>& rows,
                                bool ends_with_newline) {
        const std::vector<std::string> lines = lines_of(text, ends_with_newline);
        check_line_count(lines, rows.size() + 1, title);
        if (lines.empty() || lines[0] != title) {
            fail(std::string("the title line is not \"") + title + "\"");
            return Table();
        }
        for (std::size_t i = 1; i < lines.size() && i <= rows.size(); ++i) check_labelled_line(lines[i], rows[i - 1]);
        return labelled_table(lines, rows.size());
    }

    void check_paired(const std::string& text) {
        const bool ratio = in_.log;
        std::vector<ReportRow> rows = {
            {ratio ? "mean ratio" : "mean difference", CellForm::Value},
            {"95% CI lower limit", CellForm::Value},
            {"95% CI upper limit", CellForm::Value},
            {"p (T-test)", CellForm::PValueT, 0, 1},
            {"p (Wilcoxon)", CellForm::PValueWilcoxon, 0, 1},
        };
        const double n = rows_;
        if (in_.extra) {
            rows.push_back({"N (T-test)", CellForm::WideCount, 0, n});
            rows.push_back({ratio ? "GSE for ratio" : "SE of difference", CellForm::Value, 0});
            rows.push_back({"t value", CellForm::Value});
            rows.push_back({"N (Wilcoxon)", CellForm::Count, 0, n});
            rows.push_back({"Wilcoxon T", CellForm::Value, 0, n * (n + 1) / 2});
        }
        const Table table = check_labelled_report(text, "Paired", rows, in_.extra);
        check_order(table, {"95% CI lower limit", ratio ? "mean ratio" : "mean difference", "95% CI upper limit"});
    }

    void check_nonpaired(const std::string& text) {
        const bool log = in_.log;
        std::vector<ReportRow> rows = {
            {log ? "geometric mean0" : "mean0", CellForm::Value},
            {log ? "geometric mean1" : "mean1", CellForm::Value},
            {log ? "ratio of mean values" : "difference between mean values", CellForm::Value},
            {"95% CI lower limit", CellForm::Value},
            {"95% CI upper limit", CellForm::Value},
            {"N0", CellForm::Count, 0, static_cast<double>(rows_)},
            {"N1", CellForm::Count, 0, static_cast<double>(rows_)},
            {"p (T-test)", CellForm::PValueT, 0, 1},
            {"median0", CellForm::Value},
            {"median1", CellForm::Value},
            {"difference between medians", CellForm::Value},
            {"p (Mann-Whitney)", CellForm::Value, 0, 1},
        };
        if (in_.extra) {
            const double n = rows_;
            for (const char* label : {"SD0", "SD1", "pooled SD", "Standar error of difference"})
                rows.push_back({label, CellForm::Value, 0});
            rows.push_back({"t value", CellForm::Value});
            rows.push_back({"MW U value", CellForm::Value, 0, n * n});
            rows.push_back({"MW R0", CellForm::Value, 0, n * (n + 1) / 2});
            rows.push_back({"MW R1", CellForm::Value, 0, n * (n + 1) / 2});
            rows.push_back({"MW T", CellForm::Value, 0, n * n * n / 12});
            rows.push_back({"z score (for Mann-Whitney n1>8)", CellForm::Value, 0});
        }
        const Table table = check_labelled_report(text, "NonPaired", rows, in_.extra);
        check_order(table, {"95% CI lower limit", log ? "ratio of mean values" : "difference between mean values",
                            "95% CI upper limit"});
    }

    void check_correlation(const std::string& text, bool spearman) {
        std::vector<ReportRow> rows = {
            {spearman ? "Rho" : "Pearson R", CellForm::Value, -1, 1},
            {"95CI low", CellForm::Value, -1, 1},
            {"95CI high", CellForm::Value, -1, 1},
            {"p value", CellForm::Value, 0, 1},
            {"N", CellForm::Count, 0, static_cast<double>(rows_)},
        };
        if (spearman && in_.extra) {
            const double n = rows_;
            rows.push_back({"Ties x", CellForm::Value, 0, n * n});
            rows.push_back({"Ties y", CellForm::Value, 0, n * n});
        }
        const char* title = spearman ? "Spearman" : "Pearson";
        const std::vector<std::string> lines = lines_of(text, in_.extra);
        const std::size_t matrix = in_.extra ? static_cast<std::size_t>(column_count) : 0;
        check_line_count(lines, rows.size() + 1 + matrix, title);
        if (lines.empty() || lines[0] != title) return fail(std::string("the title line is not \"") + title + "\"");
        for (std::size_t i = 1; i < lines.size() && i <= rows.size(); ++i) check_labelled_line(lines[i], rows[i - 1]);
        check_order(labelled_table(lines, rows.size()), {"95CI low", spearman ? "Rho" : "Pearson R", "95CI high"});
        for (std::size_t a = 0; a < matrix && rows.size() + 1 + a < lines.size(); ++a)
            check_matrix_line(lines[rows.size() + 1 + a], static_cast<int>(a));
    }

    // Coefficients "%12.4lf" left of the diagonal (or empty), counts "%12ld"
    // on and right of it; every cell ends with a tab.
    void check_matrix_line(const std::string& line, int row) {
        const std::vector<std::string> fields = detail::split(line, '\t');
        if (fields.size() != static_cast<std::size_t>(column_count) + 1 || !fields.back().empty())
            return fail("matrix line " + std::to_string(row) + " has " + std::to_string(fields.size() - 1) + " cells");
        for (int i = 0; i < column_count; ++i) {
            const std::string& cell = fields[static_cast<std::size_t>(i)];
            if (i < row) {
                if (cell.empty()) continue;
                if (!detail::is_fixed(cell, 4, 12)) return fail("matrix coefficient \"" + cell + "\"");
                const double r = std::atof(cell.c_str());
                if (!(r >= -1.0001 && r <= 1.0001)) return fail("matrix coefficient \"" + cell + "\" outside -1..1");
            } else if (!detail::is_integer(cell, 12)) {
                return fail("matrix count \"" + cell + "\"");
            }
        }
    }

    // Counts, spreads and the deviation from normal have bounds.
    void descriptive_range(const ReportRow& row, double& low, double& high) const {
        const std::string label = row.label;
        if (row.form == CellForm::Count) {
            low = 0;
            high = rows_ > 0 ? rows_ : 0;
        } else if (label.compare(0, 11, "% Deviation") == 0) {
            low = 0;
            high = 100;
        } else if (label == "SEM" || label == "SD" || label == "GSEM" || label == "GSD") {
            low = 0;
        }
    }

    void check_descriptive(const std::string& text) {
        static const ReportRow ROWS[] = {
            {"Min", CellForm::Value}, {"Max", CellForm::Value},
            {"95%CI ll=Mean-t*SEM", CellForm::Value}, {"Mean-SEM", CellForm::Value},
            {"Mean", CellForm::Value}, {"Mean+SEM", CellForm::Value},
            {"95%CI ul=Mean+t*SEM", CellForm::Value}, {"95%CI ll(log)=Mean/(GSEM^t)", CellForm::Value},
            {"Mean/GSEM", CellForm::Value}, {"Mean (log)", CellForm::Value},
            {"Mean*GSEM", CellForm::Value}, {"95%CI ul(log)=Mean*(GSEM^t)", CellForm::Value},
            {"10 Centile", CellForm::Value}, {"25 Centile", CellForm::Value},
            {"33 Centile", CellForm::Value}, {"Median-SE of median", CellForm::Value},
            {"Median", CellForm::Value}, {"Median+SE of median", CellForm::Value},
            {"67 Centile", CellForm::Value}, {"75 Centile", CellForm::Value},
            {"90 Centile", CellForm::Value}, {"SEM", CellForm::Value},
            {"GSEM", CellForm::Value}, {"SD", CellForm::Value},
            {"GSD", CellForm::Value}, {"Big", CellForm::Value},
            {"Big (log)", CellForm::Value}, {"Small", CellForm::Value},
            {"Small (log)", CellForm::Value}, {"33-0", CellForm::Count},
            {"66-33", CellForm::Count}, {"100-67", CellForm::Count},
            {"33-0 (log)", CellForm::Count}, {"66-33 (log)", CellForm::Count},
            {"100-67 (log)", CellForm::Count}, {"% Deviation from normal", CellForm::Value},
            {"% Deviation from normal (log)", CellForm::Value}, {"N big", CellForm::Count},
            {"N small", CellForm::Count}, {"N small (log)", CellForm::Count},
            {"N real", CellForm::Count}, {"N real (log)", CellForm::Count},
            {"N total", CellForm::Count},
        };
        // Which of rows 1..43 show: A always, E with extra output, L with extra
        // output on the linear scale, G with extra output on the log scale.
        static const char SHOWN[] = "AAAAAAAAAAAA"  // 1-12 Min .. 95%CI ul(log)
                                    "EAEAAAEAE"     // 13-21 centiles and median
                                    "LGLGLGLG"      // 22-29 SEM .. Small (log)
                                    "ALAAGA"        // 30-35 thirds
                                    "EEE"           // 36-38 deviations, N big
                                    "LGLG"          // 39-42 N small .. N real (log)
                                    "A";            // 43 N total
        std::vector<const ReportRow*> rows;
        for (int i = 0; i < 43; ++i) {
            const char s = SHOWN[i];
            const bool shown = s == 'A' || (s == 'E' && in_.extra) || (s == 'L' && in_.extra && !in_.log) ||
                               (s == 'G' && in_.extra && in_.log);
            if (shown) rows.push_back(&ROWS[i]);
        }
        if (column_count <= 0) {
            if (!text.empty()) fail("a descriptive report without columns");
            return;
        }
        const std::vector<std::string> lines = lines_of(text, false);
        check_line_count(lines, rows.size(), "Descriptive");
        Table table;
        for (std::size_t i = 0; i < lines.size() && i < rows.size(); ++i) {
            const std::vector<std::string> fields = detail::split(lines[i], '\t');
            const ReportRow& row = *rows[i];
            if (line_nearly_full(lines[i])) continue;
            table.add(row.label, std::vector<std::string>(fields.begin(), fields.end() - 1));
            if (fields.size() != static_cast<std::size_t>(column_count) + 1 || fields.back() != row.label)
                return fail(std::string("descriptive line \"") + lines[i].substr(0, 60) + "\" where " +
                            std::to_string(column_count) + " cells and \"" + row.label + "\" were due");
            for (std::size_t c = 0; c + 1 < fields.size(); ++c) {
                const std::string& cell = fields[c];
                const bool ok = cell.empty() ||
                                (row.form == CellForm::Count ? detail::is_integer(cell) : detail::is_fixed(cell, 4, 12));
                if (!ok)
                    return fail(std::string(row.label) + ": descriptive cell \"" + cell + "\"");
                if (row.form == CellForm::Count && cell.empty() && std::strcmp(row.label, "N total") != 0)
                    return fail(std::string(row.label) + ": an empty count");
                double v = 0, low = -HUGE_VAL, high = HUGE_VAL;
                descriptive_range(row, low, high);
                if (cell_number(cell, v) && !(v >= low - PRINT_SLACK && v <= high + PRINT_SLACK))
                    return fail(std::string(row.label) + ": descriptive cell \"" + cell + "\" out of its range");
            }
        }
        // Centiles lie between the extremes in the order of their fractions;
        // each mean lies within its standard errors, and those within the 95%
        // interval; the thirds and the counts add up.
        check_order(table, {"Min", "10 Centile", "25 Centile", "33 Centile", "Median", "67 Centile", "75 Centile",
                            "90 Centile", "Max"});
        check_order(table, {"Median-SE of median", "Median", "Median+SE of median"});
        check_order(table, {"95%CI ll=Mean-t*SEM", "Mean-SEM", "Mean", "Mean+SEM", "95%CI ul=Mean+t*SEM"});
        check_order(table, {"95%CI ll(log)=Mean/(GSEM^t)", "Mean/GSEM", "Mean (log)", "Mean*GSEM",
                            "95%CI ul(log)=Mean*(GSEM^t)"});
        check_sum(table, {"33-0", "66-33", "100-67"}, "N total");
        check_sum(table, {"33-0 (log)", "66-33 (log)", "100-67 (log)"}, "N total");
        check_order(table, {"N real", "N total"});
        check_order(table, {"N real (log)", "N total"});
        check_order(table, {"N big", "N total"});
        check_order(table, {"N small", "N total"});
    }

    // ---- relations between rows -----------------------------------------------

    // Within each column, the numbers the rows show (skipping empty and
    // "#n/a" cells) do not decrease from one row to the next, up to the
    // rounding of four decimals.
    void check_order(const Table& table, std::initializer_list<const char*> labels) {
        std::vector<const std::vector<std::string>*> rows;
        std::vector<const char*> names;
        for (const char* label : labels) {
            const std::vector<std::string>* row = table.find(label);
            if (row != nullptr) {
                rows.push_back(row);
                names.push_back(label);
            }
        }
        if (rows.size() < 2) return;
        for (std::size_t c = 0; c < rows[0]->size(); ++c) {
            bool have = false;
            double last = 0;
            const char* last_name = "";
            for (std::size_t k = 0; k < rows.size(); ++k) {
                if (c >= rows[k]->size()) continue;
                const std::string& cell = (*rows[k])[c];
                double v = 0;
                if (cell.empty() || cell[0] == '>' || cell[0] == '<' || !cell_number(cell, v)) continue;
                if (have && v < last - PRINT_SLACK - 1e-12 * std::fabs(last))
                    return fail(std::string(names[k]) + " " + cell + " below " + last_name + " " +
                                std::to_string(last) + " in column " + std::to_string(c));
                have = true;
                last = v;
                last_name = names[k];
            }
        }
    }

    // Within each column, the parts add up to the whole (when all are shown).
    void check_sum(const Table& table, std::initializer_list<const char*> parts, const char* whole) {
        const std::vector<std::string>* total = table.find(whole);
        if (total == nullptr) return;
        std::vector<const std::vector<std::string>*> rows;
        for (const char* label : parts) {
            const std::vector<std::string>* row = table.find(label);
            if (row == nullptr) return;
            rows.push_back(row);
        }
        for (std::size_t c = 0; c < total->size(); ++c) {
            long sum = 0;
            for (const auto* row : rows)
                if (c < row->size()) sum += std::atol((*row)[c].c_str());
            if (sum != std::atol((*total)[c].c_str()))
                return fail(std::string(whole) + " is not the sum of its parts in column " + std::to_string(c));
        }
    }

    void check_ranks(const std::string& text) {
        const int columns = column_count < 5 ? column_count : 5;
        const int blocks = in_.extra ? 7 : 2;
        const std::vector<std::string> lines = lines_of(text, false);
        check_line_count(lines, static_cast<std::size_t>(row_count) + 1, "Ranks");
        if (lines.empty()) return;
        std::string label_line = "Adjusted Rank" + std::string(static_cast<std::size_t>(columns), '\t') + "Percentile";
        if (in_.extra)
            for (const char* label : {"Rank-based z score", "Repeats", "Predicted from rank (lin-normal)",
                                      "Predicted from rank (log-normal)", "Raw data"})
                label_line += std::string(static_cast<std::size_t>(columns), '\t') + label;
        const bool complete = lines.size() == static_cast<std::size_t>(row_count) + 1;
        if (complete && lines.back() != label_line) return fail("the rank label line is \"" + lines.back() + "\"");
        const std::size_t data_lines = complete ? lines.size() - 1 : lines.size();
        for (std::size_t r = 0; r < data_lines; ++r) {
            const std::string& line = lines[r];
            if (line_nearly_full(line)) continue;
            const std::vector<std::string> fields = detail::split(line, '\t');
            if (fields.size() != static_cast<std::size_t>(columns * blocks))
                return fail("rank line " + std::to_string(r) + " has " + std::to_string(fields.size()) + " cells");
            for (std::size_t i = 0; i < fields.size(); ++i) {
                const std::string& cell = fields[i];
                const int block = static_cast<int>(i) / columns;
                if (cell.empty() || (i == 0 && cell == " ")) continue;
                bool ok = false;
                const double v = std::atof(cell.c_str());
                switch (block) {
                case 0: ok = detail::is_fixed(cell, 1) && v >= 1 && v <= rows_; break;           // rank
                case 1: ok = detail::is_fixed(cell, 1) && v >= 0 && v <= 100.0; break;           // percentile
                case 2: ok = detail::is_fixed(cell, 4); break;                                   // z
                case 3: ok = detail::is_integer(cell) && v >= 1 && v <= rows_; break;            // repeats
                case 4:
                case 5: ok = detail::is_fixed(cell, 4, 8); break;                                // predictions
                default: ok = detail::is_fixed(cell, 4); break;                                  // raw data
                }
                if (!ok)
                    return fail("rank line " + std::to_string(r) + ": cell \"" + cell + "\" in block " + std::to_string(block));
            }
        }
    }
};

}  // namespace fuzz
