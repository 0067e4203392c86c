// One whole program run driven by a fuzz input: the first two bytes choose
// what the user does (analysis, option check boxes, Cancel) and which
// platform operation fails; the rest is the "Wk1" clipboard block.
//
// Byte 0: bits 0-2 the analysis (0 Descriptive, 1 Paired tests, 2 Nonpaired
//         tests, 3 Pearson, 4 Spearman, 5 Show Ranks, 6 no radio click, so the
//         preselected Descriptive, 7 Cancel); bit 3 "Log-transformation",
//         bit 4 "Log-transformation y values", bit 5 "Extra output"; bit 6
//         clicks "Extra output" a second time (it ends up off again); bit 7
//         asks for the "More statistics" report after the run (--more).
// Byte 1: 0xF0 + k switches on platform fault k (headless::Fault); 0xF0 +
//         Fault::Count leaves the clipboard without the "Wk1" block; any
//         other value runs without a fault.
// Header-only so that the regression tests replay inputs the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/analysis_dialog.h"
#include "app/process_state.h"
#include "platform/headless/headless.h"

namespace fuzz {

constexpr std::size_t HEADER_BYTES = 2;
constexpr int NO_FAULT = -1;
// Not a platform fault: nothing on the clipboard under "Wk1".
constexpr int NO_WK1_BLOCK = static_cast<int>(headless::Fault::Count);

struct ProgramInput {
    int radio_id;   // the radio button clicked; 0 when none is clicked
    bool cancel;    // Cancel instead of Calculate
    bool log;       // "Log-transformation" checked
    bool log_y;     // "Log-transformation y values" checked
    bool extra;     // "Extra output" checked (after all clicks)
    bool extra_twice;
    bool more;      // the "More statistics" report after the run
    int fault;      // a headless::Fault index, NO_WK1_BLOCK or NO_FAULT
};

inline ProgramInput decode_header(const uint8_t* data, std::size_t size) {
    static const int RADIOS[] = {ID_DESCRIPTIVE, ID_PAIRED, ID_NONPAIRED, ID_PEARSON, ID_SPEARMAN, ID_SHOW_RANKS};
    const uint8_t choice = size > 0 ? data[0] : 0;
    const uint8_t fault = size > 1 ? data[1] : 0;
    ProgramInput in{};
    const int kind = choice & 7;
    in.radio_id = kind < 6 ? RADIOS[kind] : 0;
    in.cancel = kind == 7;
    in.log = (choice & 0x08) != 0;
    in.log_y = (choice & 0x10) != 0;
    in.extra_twice = (choice & 0x40) != 0;
    in.extra = (choice & 0x20) != 0 && !in.extra_twice;
    in.more = (choice & 0x80) != 0;
    in.fault = (fault & 0xF0) == 0xF0 && (fault & 0x0F) <= NO_WK1_BLOCK ? (fault & 0x0F) : NO_FAULT;
    return in;
}

// The analysis Calculate runs: the clicked radio button, or the preselected
// Descriptive when none was clicked.
inline int effective_radio(const ProgramInput& in) { return in.radio_id != 0 ? in.radio_id : ID_DESCRIPTIVE; }

inline std::vector<headless::DialogAction> dialog_actions(const ProgramInput& in) {
    std::vector<headless::DialogAction> actions;
    if (in.log) actions.push_back({headless::ActionKind::Click, ID_LOG_TRANSFORMATION});
    if (in.log_y) actions.push_back({headless::ActionKind::Click, ID_LOG_Y});
    if (in.extra || in.extra_twice) actions.push_back({headless::ActionKind::Click, ID_EXTRA_OUTPUT});
    if (in.extra_twice) actions.push_back({headless::ActionKind::Click, ID_EXTRA_OUTPUT});
    if (in.radio_id != 0) actions.push_back({headless::ActionKind::Click, in.radio_id});
    actions.push_back({in.cancel ? headless::ActionKind::Cancel : headless::ActionKind::Ok, 0});
    return actions;
}

// Runs the program from its process-start state with `wk1` on the clipboard.
inline void run_program(const ProgramInput& in, const uint8_t* wk1, std::size_t size) {
    reset_process_state();
    headless::reset();
    if (in.fault != NO_WK1_BLOCK) headless::put_clipboard_block("Wk1", wk1, size);
    if (in.fault != NO_FAULT && in.fault != NO_WK1_BLOCK)
        headless::set_fault(static_cast<headless::Fault>(in.fault), true);
    headless::set_dialog_actions(dialog_actions(in));
    MorvendaApp app;
    app.InitInstance();
}

}  // namespace fuzz
