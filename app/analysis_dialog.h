// The analysis dialog (template 102) and the application object: the
// start-up sequence that loads the clipboard worksheet before any window is
// shown, and the one modal dialog in which the user chooses an analysis and
// its options and presses Calculate. After one Calculate or Cancel the
// program ends.
#pragma once

#include <cstdint>

#include "platform/framework.h"
#include "platform/platform.h"
#include "worksheet/message_caption.h"

constexpr int IDD_ANALYSIS_DIALOG = 102;
constexpr int IDR_MAINFRAME = 128;

// Control ids of the analysis dialog.
constexpr int ID_LOG_TRANSFORMATION = 1000;  // check box "Log-transformation"
constexpr int ID_LOG_Y = 1001;               // check box "Log-transformation y values"
constexpr int ID_EXTRA_OUTPUT = 1002;        // check box "Extra output"
constexpr int ID_DESCRIPTIVE = 1003;         // first radio button of the analysis group
constexpr int ID_PAIRED = 1004;
constexpr int ID_NONPAIRED = 1005;
constexpr int ID_PEARSON = 1007;
constexpr int ID_SPEARMAN = 1008;
constexpr int ID_SHOW_RANKS = 1009;          // last radio button of the analysis group

extern const DialogTemplate ANALYSIS_DIALOG_TEMPLATE;

// The dialog's run state. The option flags it sets for the analyses live
// beside the data table (worksheet/data_table.h).
extern int32_t analysis_kind;  // id of the chosen analysis radio button; ID_DESCRIPTIVE at start
extern int32_t last_run_status;  // result of the last reader run or analysis: a ReaderStatus or AnalysisStatus
extern platform::WindowHandle owner_window;  // owner of message boxes and the clipboard; stays null

// Puts the run state back into its process-start state.
void reset_dialog_state();

class AnalysisDialog : public CDialog {
public:
    AnalysisDialog();

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnButtonClicked(int control_id) override;

    void* icon() const { return icon_; }

private:
    void* icon_;  // icon resource 128, shown in the caption and when minimised
};

class MorvendaApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
