// The parts of the application and dialog layer that are the same on every
// front end: the application object's registration, the message boxes, the
// dialog's default handlers, and the registry of dialog templates.
#include "platform/framework.h"

namespace {

CWinApp* registered_app = nullptr;

constexpr int MAX_DIALOG_TEMPLATES = 4;
const DialogTemplate* dialog_templates[MAX_DIALOG_TEMPLATES] = {};

}  // namespace

CWinApp::CWinApp() { registered_app = this; }

CWinApp::~CWinApp() {
    if (registered_app == this) registered_app = nullptr;
}

BOOL CWinApp::InitInstance() { return FALSE; }

CWinApp* AfxGetApp() { return registered_app; }

int AfxMessageBox(const char* text, unsigned) {
    platform::show_application_message(text);
    return IDOK;
}

int CWnd::MessageBoxA(const char* text, const char* caption, unsigned) {
    platform::show_message(m_hWnd, text, caption);
    return IDOK;
}

CDialog::CDialog(int template_id, CWnd*) : template_id_(template_id) {}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnButtonClicked(int) {}

void register_dialog_template(const DialogTemplate* dialog_template) {
    for (auto& slot : dialog_templates) {
        if (slot == dialog_template) return;
        if (slot == nullptr || slot->id == dialog_template->id) {
            slot = dialog_template;
            return;
        }
    }
}

const DialogTemplate* find_dialog_template(int id) {
    for (const DialogTemplate* t : dialog_templates)
        if (t != nullptr && t->id == id) return t;
    return nullptr;
}
