// Helpers shared by the unit tests: a WK1 record stream builder, a way to
// load a table of values straight into the data table, and a full program
// run on the headless platform.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "app/analysis_dialog.h"
#include "app/process_state.h"
#include "platform/headless/headless.h"
#include "stats/censored_order.h"
#include "stats/column_summary.h"
#include "stats/ordering.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"
#include "worksheet/wk1_format.h"

namespace test {

// Builds a WK1 record stream record by record.
class Wk1Builder {
public:
    Wk1Builder& record(unsigned type, const std::vector<unsigned char>& body) {
        u16(type);
        u16(static_cast<unsigned>(body.size()));
        bytes_.insert(bytes_.end(), body.begin(), body.end());
        return *this;
    }
    Wk1Builder& bof(unsigned version = WK1_VERSION) { return record(WK1_BOF, le16(version)); }
    Wk1Builder& eof() {
        u16(WK1_EOF);
        u16(0);
        return *this;
    }
    Wk1Builder& range(unsigned start_col, unsigned start_row, unsigned end_col, unsigned end_row) {
        std::vector<unsigned char> body;
        append(body, le16(start_col));
        append(body, le16(start_row));
        append(body, le16(end_col));
        append(body, le16(end_row));
        return record(WK1_RANGE, body);
    }
    Wk1Builder& integer(unsigned col, unsigned row, int value) {
        std::vector<unsigned char> body = cell_head(col, row);
        append(body, le16(static_cast<unsigned>(value) & 0xFFFFu));
        return record(WK1_INTEGER, body);
    }
    Wk1Builder& number(unsigned col, unsigned row, double value) {
        std::vector<unsigned char> body = cell_head(col, row);
        append(body, le64(value));
        return record(WK1_NUMBER, body);
    }
    Wk1Builder& label(unsigned col, unsigned row, const std::string& text, char prefix = '\'') {
        std::vector<unsigned char> body = cell_head(col, row);
        body.push_back(static_cast<unsigned char>(prefix));
        body.insert(body.end(), text.begin(), text.end());
        body.push_back(0);
        return record(WK1_LABEL, body);
    }
    Wk1Builder& formula(unsigned col, unsigned row, double value, unsigned formula_length = 3) {
        std::vector<unsigned char> body = cell_head(col, row);
        append(body, le64(value));
        append(body, le16(formula_length));
        for (unsigned i = 0; i < formula_length; ++i) body.push_back(0x03);
        return record(WK1_FORMULA, body);
    }
    Wk1Builder& blank(unsigned col, unsigned row) { return record(WK1_BLANK, cell_head(col, row)); }
    Wk1Builder& raw(const std::vector<unsigned char>& bytes) {
        append(bytes_, bytes);
        return *this;
    }

    const std::vector<unsigned char>& bytes() const { return bytes_; }

    static std::vector<unsigned char> le16(unsigned v) {
        return {static_cast<unsigned char>(v & 0xFF), static_cast<unsigned char>((v >> 8) & 0xFF)};
    }
    static std::vector<unsigned char> le64(double v) {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        std::vector<unsigned char> out;
        for (int i = 0; i < 8; ++i) out.push_back(static_cast<unsigned char>((bits >> (8 * i)) & 0xFF));
        return out;
    }

private:
    static void append(std::vector<unsigned char>& to, const std::vector<unsigned char>& from) {
        to.insert(to.end(), from.begin(), from.end());
    }
    static std::vector<unsigned char> cell_head(unsigned col, unsigned row) {
        std::vector<unsigned char> body{WK1_NO_FORMAT};
        append(body, le16(col));
        append(body, le16(row));
        return body;
    }
    void u16(unsigned v) { append(bytes_, le16(v)); }

    std::vector<unsigned char> bytes_;
};

// Cells of a worksheet as the user sees them: a number, a "<..."/">..."
// label, other text, or nothing (an empty cell).
struct Cell {
    enum Kind { Number, Label, Empty } kind;
    double number;
    std::string text;
    Cell(double v) : kind(Number), number(v) {}                    // NOLINT: implicit on purpose
    Cell(int v) : kind(Number), number(v) {}                       // NOLINT
    Cell(const char* t) : kind(t == nullptr ? Empty : Label), number(0), text(t == nullptr ? "" : t) {}  // NOLINT
};
using Rows = std::vector<std::vector<Cell>>;

// A worksheet with its top-left cell at (0, 0) and a RANGE to its far corner.
inline std::vector<unsigned char> worksheet(const Rows& rows) {
    Wk1Builder b;
    std::size_t width = 0;
    for (const auto& row : rows) width = row.size() > width ? row.size() : width;
    b.bof().range(0, 0, static_cast<unsigned>(width == 0 ? 0 : width - 1),
                  static_cast<unsigned>(rows.empty() ? 0 : rows.size() - 1));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const Cell& cell = rows[r][c];
            if (cell.kind == Cell::Number) b.number(static_cast<unsigned>(c), static_cast<unsigned>(r), cell.number);
            if (cell.kind == Cell::Label) b.label(static_cast<unsigned>(c), static_cast<unsigned>(r), cell.text);
        }
    b.eof();
    return b.bytes();
}

// Loads values straight into the data table (markers as the constants), then
// orders and summarises every column as start-up does.
inline void load_table(const std::vector<std::vector<double>>& rows) {
    reset_process_state();
    row_count = static_cast<int32_t>(rows.size());
    column_count = 0;
    for (const auto& row : rows)
        if (static_cast<int32_t>(row.size()) > column_count) column_count = static_cast<int32_t>(row.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < column_count; ++c)
            data_rows[r].value[c] = c < static_cast<int>(rows[r].size()) ? rows[r][static_cast<std::size_t>(c)] : CELL_MISSING;
    order_data_columns();
    summarize_columns(false);
}

// Loads columns (shorter ones padded with missing cells) as load_table does,
// with a fresh headless platform.
using Columns = std::vector<std::vector<double>>;
inline void load_columns(const Columns& columns) {
    std::size_t rows = 0;
    for (const auto& c : columns) rows = c.size() > rows ? c.size() : rows;
    std::vector<std::vector<double>> table(rows, std::vector<double>(columns.size(), CELL_MISSING));
    for (std::size_t c = 0; c < columns.size(); ++c)
        for (std::size_t r = 0; r < columns[c].size(); ++r) table[r][c] = columns[c][r];
    load_table(table);
    headless::reset();
}

// What one whole program run left behind.
struct RunResult {
    std::vector<headless::Message> messages;
    bool dialog_shown;
    bool has_text;
    std::string text;
    int status;
};

// Runs the program from a clean process state: the worksheet on the clipboard
// under "Wk1", the dialog driven by `actions`.
inline RunResult run_program(const std::vector<unsigned char>& wk1,
                             const std::vector<headless::DialogAction>& actions) {
    reset_process_state();
    headless::reset();
    headless::put_clipboard_block("Wk1", wk1.data(), wk1.size());
    headless::set_dialog_actions(actions);
    MorvendaApp app;
    app.InitInstance();
    return RunResult{headless::messages(), headless::dialogs_shown() > 0, headless::clipboard_has_text(),
                     headless::clipboard_text(), last_run_status};
}

// Actions for an analysis with options: clicks on the check boxes, the radio
// button, then Calculate.
inline std::vector<headless::DialogAction> calculate(int radio_id, bool log = false, bool log_y_values = false,
                                                     bool extra = false) {
    std::vector<headless::DialogAction> actions;
    if (log) actions.push_back({headless::ActionKind::Click, ID_LOG_TRANSFORMATION});
    if (log_y_values) actions.push_back({headless::ActionKind::Click, ID_LOG_Y});
    if (extra) actions.push_back({headless::ActionKind::Click, ID_EXTRA_OUTPUT});
    actions.push_back({headless::ActionKind::Click, radio_id});
    actions.push_back({headless::ActionKind::Ok, 0});
    return actions;
}

// Splits text into lines at "\n" (a last line without a newline counts).
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            if (start < text.size()) lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

// Splits one line at tabs.
inline std::vector<std::string> cells_of(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return cells;
}

// The result of an analysis run on the loaded table with the given options.
struct Report {
    std::string text;
    std::vector<std::string> lines;
    int status;
};
inline Report run_report(int (*analysis)(platform::WindowHandle), bool extra, bool log = false,
                         bool log_y_values = false) {
    extra_output = extra ? 1 : 0;
    log_transform = log ? 1 : 0;
    log_y = log_y_values ? 1 : 0;
    start_result_text("");
    const int status = analysis(nullptr);
    return Report{result_text, lines_of(result_text), status};
}

// The last two lines of a two-column correlation report with extra output:
// the matrices of column 0 (its present cells, the pair count) and of
// column 1 (the coefficient, its present cells).
inline void expect_two_column_matrix(const Report& r, int present0, int pairs, double coefficient, int present1) {
    ASSERT_GE(r.lines.size(), 2u);
    char expected[128];
    std::snprintf(expected, sizeof expected, "%12d\t%12d\t", present0, pairs);
    EXPECT_EQ(r.lines[r.lines.size() - 2], expected);
    std::snprintf(expected, sizeof expected, "%12.4f\t%12d\t", coefficient, present1);
    EXPECT_EQ(r.lines.back(), expected);
    EXPECT_EQ(r.text.back(), '\n');
}

// Cells with their limits as written, space-separated: "<5", ">1000", "3.2".
inline CensoredCell censored_cell(const std::string& text) {
    const double v = std::strtod(text.c_str() + (text[0] == '<' || text[0] == '>' ? 1 : 0), nullptr);
    return text[0] == '<' ? below_cell(v) : text[0] == '>' ? above_cell(v) : measured_cell(v);
}
inline std::vector<CensoredCell> censored_cells(const std::string& words) {
    std::vector<CensoredCell> cells;
    std::istringstream split(words);
    for (std::string w; split >> w;) cells.push_back(censored_cell(w));
    return cells;
}

}  // namespace test
