// What must hold after every program run, whatever the worksheet: the
// reader's status is the one its steps give, with its messages; the
// clipboard is closed and the reader's copy freed; the buffers are
// terminated within their capacity; the data table holds only markers and
// values inside the missing bound; the analysis refuses, publishes or fails
// to publish exactly when it must, with its messages; and the result text is
// laid out as its analysis prescribes (report_checks.h).
//
// check_run() returns an empty string when all holds, else what broke.
// Header-only: the fuzz targets abort on a finding, the regression tests
// report it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/analysis_dialog.h"
#include "app/analysis_table.h"
#include "fuzz/fuzz_program.h"
#include "fuzz/report_checks.h"
#include "platform/headless/headless.h"
#include "worksheet/data_table.h"
#include "worksheet/limit_table.h"
#include "worksheet/result_text.h"

namespace fuzz {

// The limit table agrees with the data table: a kept limit only on a "<" or
// ">" cell of the used range, and always a value inside the missing bound.
// Returns what broke, or null.
inline const char* limit_table_problem() {
    const int rows = used_rows(), columns = used_columns();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const double limit = cell_limit[r][c];
            if (!is_kept_limit(limit)) continue;
            if (!is_marker(data_rows[r].value[c])) return "a kept limit on a cell that is no \"<\" or \">\" cell";
            if (!is_real_value(limit)) return "a kept limit outside the bound";
        }
    return nullptr;
}

// The buffer holds a terminator within its capacity.
inline bool has_text(const char* buffer, std::size_t capacity) {
    return std::memchr(buffer, 0, capacity) != nullptr;
}

// What decode_wk1 made of the block before the run: its result and the
// table's size (the rank listing lowers column_count during the run).
struct Decoded {
    int result;
    int rows;
    int columns;
};

class RunChecker {
public:
    RunChecker(const ProgramInput& in, std::size_t block_size, const Decoded& decoded)
        : in_(in), block_size_(block_size), decode_result_(decoded.result), rows_(decoded.rows),
          columns_(decoded.columns) {}

    std::string check() {
        check_platform();
        check_buffers();
        if (const char* problem = limit_table_problem()) fail(problem);
        if (!failure_.empty()) return failure_;
        if (headless::dialogs_shown() == 0)
            check_reader_failure();
        else
            check_dialog_run();
        return failure_;
    }

private:
    const ProgramInput in_;
    const std::size_t block_size_;
    const int decode_result_;
    const int rows_;
    const int columns_;
    std::string failure_;
    std::size_t next_message_ = 0;

    void fail(const std::string& what) {
        if (failure_.empty()) failure_ = what;
    }

    bool fault_is(headless::Fault f) const { return in_.fault == static_cast<int>(f); }

    // ---- platform and buffers ---------------------------------------------

    void check_platform() {
        if (headless::clipboard_is_open()) fail("the clipboard was left open");
        if (headless::private_blocks_outstanding() != 0) fail("the reader's private copy was not freed");
    }

    void check_buffers() {
        if (!has_text(result_text, sizeof result_text)) return fail("result_text is not terminated");
        if (std::strlen(result_text) != static_cast<std::size_t>(result_text_length()))
            return fail("result_text length out of step");
        if (result_text_length() >= RESULT_TEXT_CAPACITY) return fail("result_text reached its capacity");
        if (!has_text(line_text, sizeof line_text)) return fail("line_text is not terminated");
        if (std::strlen(line_text) != static_cast<std::size_t>(line_text_length()))
            return fail("line_text length out of step");
        if (line_text_length() > LINE_TEXT_CAPACITY) return fail("line_text beyond its capacity");
        if (!has_text(cell_text, sizeof cell_text)) return fail("cell_text is not terminated");
        for (const auto& label : row_labels)
            if (!has_text(label, sizeof label)) return fail("a row label is not terminated");
        for (const auto& row : result_cells)
            for (const auto& cell : row)
                if (!has_text(cell, sizeof cell)) return fail("a result cell is not terminated");
        if (row_count > MAX_ROWS) fail("row_count above MAX_ROWS");
        if (column_count > MAX_COLUMNS) fail("column_count above MAX_COLUMNS");
    }

    // ---- messages -----------------------------------------------------------

    void expect_message(const std::string& caption, const std::string& text) {
        const auto& messages = headless::messages();
        if (next_message_ >= messages.size())
            return fail("missing message \"" + text + "\"");
        const headless::Message& m = messages[next_message_++];
        if (m.caption != caption || m.text != text)
            fail("message \"" + m.caption + ": " + m.text + "\" where \"" + caption + ": " + text + "\" was due");
    }

    void expect_no_more_messages() {
        const auto& messages = headless::messages();
        if (next_message_ < messages.size())
            fail("unexpected message \"" + messages[next_message_].text + "\"");
    }

    // ---- the reader ---------------------------------------------------------

    // The reader's status for this block and fault, in the order its steps run.
    int expected_reader_status() const {
        using headless::Fault;
        if (fault_is(Fault::RegisterFormat)) return 1;
        if (fault_is(Fault::OpenClipboard)) return 2;
        if (in_.fault == NO_WK1_BLOCK) return 3;
        if (fault_is(Fault::GetClipboardData)) return 4;
        if (block_size_ < 2) return 5;
        if (fault_is(Fault::AllocatePrivate)) return 6;
        if (fault_is(Fault::GlobalLock)) return 7;
        if (decode_result_ != 0) return 100 * decode_result_ + 8;
        if (fault_is(Fault::CloseClipboard)) return 9;
        return 0;
    }

    void check_reader_failure() {
        const int expected = expected_reader_status();
        if (expected == 0) return fail("the dialog did not open after a successful read");
        if (last_run_status != expected) return fail("reader status " + std::to_string(last_run_status) + ", expected " + std::to_string(expected));
        char text[64] = "";
        switch (last_run_status) {
        case 2: std::snprintf(text, sizeof text, "Problem opening Clipboard"); break;
        case 4: std::snprintf(text, sizeof text, "Problem getting memory handle"); break;
        case 5: std::snprintf(text, sizeof text, "empty clipboard?? len=%d ", static_cast<int>(block_size_)); break;
        case 6: std::snprintf(text, sizeof text, "malloc problem"); break;
        case 7: std::snprintf(text, sizeof text, "GlobalLock problem"); break;
        case 9: std::snprintf(text, sizeof text, "error code: %u", 5u); break;
        case 1:
        case 3: break;
        default: std::snprintf(text, sizeof text, "Error %d reading wk1-data", decode_result_); break;
        }
        if (text[0] != '\0') expect_message(MESSAGE_CAPTION, text);
        expect_message(platform::application_name(), "No data on Clipboard\n");
        expect_no_more_messages();
        if (headless::clipboard_has_text()) fail("text on the clipboard after a failed read");
    }

    // ---- the data table -----------------------------------------------------

    void check_table() {
        const int rows = row_count < 0 ? 0 : row_count;
        const int columns = column_count < 0 ? 0 : column_count;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                const double v = data_rows[r].value[c];
                if (v != CELL_MISSING && !(v > -MISSING_BOUND && v < MISSING_BOUND))
                    return fail("cell (" + std::to_string(r) + ", " + std::to_string(c) + ") holds " + std::to_string(v));
            }
    }

    // ---- the dialog and the analysis ----------------------------------------

    void check_dialog_run() {
        if (expected_reader_status() != 0) return fail("the dialog opened although the read had to fail");
        const bool ranks = !in_.cancel && effective_radio(in_) == ID_SHOW_RANKS;
        const int columns_now = ranks && rows_ >= 3 && columns_ > 5 ? 5 : columns_;
        if (row_count != rows_ || column_count != columns_now)
            return fail("the table is " + std::to_string(row_count) + " x " + std::to_string(column_count) +
                        " after the run, " + std::to_string(rows_) + " x " + std::to_string(columns_) + " after decoding");
        check_table();
        if (in_.cancel) {
            if (last_run_status != 0) fail("status changed by Cancel");
            if (headless::clipboard_has_text()) fail("Cancel put text on the clipboard");
            expect_no_more_messages();
            return;
        }
        const int radio = effective_radio(in_);
        const int checked = expected_refusal(radio);
        if (checked != 0) {
            if (last_run_status != checked)
                return fail("analysis status " + std::to_string(last_run_status) + ", expected " + std::to_string(checked));
            expect_message(MESSAGE_CAPTION, "Error while attempting to write data to clipboard");
            expect_no_more_messages();
            if (headless::clipboard_has_text()) fail("text on the clipboard after a refused analysis");
            return;
        }
        check_publication(radio);
        ReportChecker(in_, rows_, failure_).check(radio);
    }

    // Checks the analysis' own refusal messages; returns the status it must give.
    int expected_refusal(int radio) {
        if (radio == ID_DESCRIPTIVE) return 0;
        if (radio == ID_SHOW_RANKS) {
            if (columns_ < 1) {
                expect_message(MESSAGE_CAPTION, "At least one data columns is required");
                return 1;
            }
            if (rows_ < 3) {
                expect_message(MESSAGE_CAPTION, "At least three data row are required");
                return 2;
            }
            if (columns_ > 5) expect_message(MESSAGE_CAPTION, "Only up to 5 columns can be handled");
            return 0;
        }
        if (columns_ < 2) {
            expect_message(MESSAGE_CAPTION, "At least two data columns are required");
            return 1;
        }
        if (rows_ < 3) {
            expect_message(MESSAGE_CAPTION, "At least three data rows are required");
            return 2;
        }
        if (radio == ID_NONPAIRED && last_run_status == 3) {
            expect_message(MESSAGE_CAPTION, "First column not suitable for grouping");
            return 3;
        }
        return 0;
    }

    void check_publication(int radio) {
        using headless::Fault;
        const bool publish_fault = fault_is(Fault::GlobalAlloc) || fault_is(Fault::SetClipboardData);
        const bool too_short = result_text_length() < 2;
        const bool must_fail = publish_fault || too_short;
        if (must_fail) {
            if (last_run_status != 4) return fail("status " + std::to_string(last_run_status) + " after a failed publication");
            expect_message(platform::application_name(), "Error while writing results to Clipboard");
            expect_message(MESSAGE_CAPTION, "Error while attempting to write data to clipboard");
            expect_no_more_messages();
            if (headless::clipboard_has_text()) fail("text on the clipboard after a failed publication");
            return;
        }
        if (last_run_status != 0) return fail("status " + std::to_string(last_run_status) + " after a publication that could not fail");
        const AnalysisKind* kind = find_analysis(radio);
        expect_message(MESSAGE_CAPTION, kind != nullptr ? kind->success_message : "?");
        expect_no_more_messages();
        if (headless::clipboard_text() != std::string(result_text, static_cast<std::size_t>(result_text_length())))
            fail("the clipboard text differs from result_text");
    }
};

// Checks one whole run of a block of `block_size` bytes.
inline std::string check_run(const ProgramInput& in, std::size_t block_size, const Decoded& decoded) {
    return RunChecker(in, block_size, decoded).check();
}

}  // namespace fuzz
