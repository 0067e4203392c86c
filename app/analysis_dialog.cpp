#include "app/analysis_dialog.h"

#include "analyses/analysis_status.h"
#include "app/analysis_table.h"
#include "stats/column_summary.h"
#include "stats/ordering.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"
#include "worksheet/wk1_reader.h"

int32_t analysis_kind = ID_DESCRIPTIVE;
int32_t last_run_status = READ_OK;
platform::WindowHandle owner_window = nullptr;

void reset_dialog_state() {
    analysis_kind = ID_DESCRIPTIVE;
    last_run_status = READ_OK;
    owner_window = nullptr;
}

namespace {

// Dialog 102 "morvenda006", 320 x 142 dialog units, in template order.
const DialogControl ANALYSIS_DIALOG_CONTROLS[] = {
    {IDOK, ControlKind::DefPushButton, "Calculate", 226, 13, 79, 22, false, true},
    {IDCANCEL, ControlKind::PushButton, "Cancel", 268, 111, 34, 14, false, true},
    {ID_LOG_TRANSFORMATION, ControlKind::AutoCheckBox, "Log-transformation", 34, 18, 74, 10, false, true},
    {ID_EXTRA_OUTPUT, ControlKind::AutoCheckBox, "Extra output", 149, 18, 54, 10, false, true},
    {1011, ControlKind::GroupBox, "Choose type of analysis", 14, 36, 247, 99, true, false},
    {ID_DESCRIPTIVE, ControlKind::AutoRadioButton, "Descriptive", 34, 53, 52, 10, false, false},
    {1014, ControlKind::GroupBox, "Correlation", 143, 73, 109, 53, false, false},
    {ID_PAIRED, ControlKind::AutoRadioButton, "Paired tests", 33, 87, 53, 10, false, false},
    {ID_NONPAIRED, ControlKind::AutoRadioButton, "Nonpaired tests", 33, 105, 65, 10, false, false},
    {ID_PEARSON, ControlKind::AutoRadioButton, "Pearson", 149, 87, 42, 10, false, false},
    {ID_SPEARMAN, ControlKind::AutoRadioButton, "Spearman", 198, 86, 48, 10, false, false},
    {ID_SHOW_RANKS, ControlKind::AutoRadioButton, "Show Ranks", 150, 53, 57, 10, false, false},
    {ID_LOG_Y, ControlKind::AutoCheckBox, "Log-transformation y values", 149, 102, 102, 10, true, true},
    {1019, ControlKind::GroupBox, "Comparing means", 23, 73, 114, 52, false, false},
};

const char* const WRITE_FAILED_MESSAGE = "Error while attempting to write data to clipboard";

int32_t flipped(int32_t flag) { return flag != 0 ? 0 : 1; }

}  // namespace

const DialogTemplate ANALYSIS_DIALOG_TEMPLATE = {
    IDD_ANALYSIS_DIALOG, "morvenda006", 320, 142, ANALYSIS_DIALOG_CONTROLS,
    static_cast<int>(sizeof ANALYSIS_DIALOG_CONTROLS / sizeof ANALYSIS_DIALOG_CONTROLS[0])};

AnalysisDialog::AnalysisDialog() : CDialog(IDD_ANALYSIS_DIALOG), icon_(load_icon_resource(IDR_MAINFRAME)) {
    register_dialog_template(&ANALYSIS_DIALOG_TEMPLATE);
    // The window does not exist yet, so the owner of every message box and
    // clipboard access stays null for the whole run.
    owner_window = m_hWnd;
}

BOOL AnalysisDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(icon_, TRUE);
    SetIcon(icon_, FALSE);
    log_y = 0;
    log_transform = 0;
    extra_output = 0;
    CheckRadioButton(ID_DESCRIPTIVE, ID_SHOW_RANKS, analysis_kind);
    return TRUE;
}

// Each flag follows its check box: both start off, and every click flips both.
void AnalysisDialog::OnButtonClicked(int control_id) {
    switch (control_id) {
    case ID_LOG_TRANSFORMATION:
        log_transform = flipped(log_transform);
        break;
    case ID_LOG_Y:
        log_y = flipped(log_y);
        break;
    case ID_EXTRA_OUTPUT:
        extra_output = flipped(extra_output);
        break;
    default:
        break;
    }
}

void AnalysisDialog::OnOK() {
    analysis_kind = GetCheckedRadioButton(ID_DESCRIPTIVE, ID_SHOW_RANKS);
    log_transform = static_cast<int32_t>(IsDlgButtonChecked(ID_LOG_TRANSFORMATION));
    log_y = static_cast<int32_t>(IsDlgButtonChecked(ID_LOG_Y));
    start_result_text("");
    const AnalysisKind* analysis = find_analysis(analysis_kind);
    if (analysis != nullptr) {
        last_run_status = analysis->run(owner_window);
        MessageBoxA(last_run_status == ANALYSIS_OK ? analysis->success_message : WRITE_FAILED_MESSAGE, MESSAGE_CAPTION, MB_OK);
    }
    CDialog::OnOK();
}

BOOL MorvendaApp::InitInstance() {
    last_run_status = read_clipboard_worksheet(owner_window);
    if (last_run_status != READ_OK) {
        AfxMessageBox("No data on Clipboard\n", MB_OK);
        return FALSE;
    }
    order_data_columns();
    summarize_columns(false);

    AnalysisDialog dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // No message loop follows: the program ends after its one dialog.
    return FALSE;
}
