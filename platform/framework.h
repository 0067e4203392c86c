// The small application and dialog layer the shell derives from: an
// application object whose InitInstance runs the program, and a modal dialog
// built from a dialog template with radio buttons, check boxes and push
// buttons. The names follow the framework classes the shell was designed
// against (CWinApp, CDialog, CWnd) so that the shell reads the same on every
// front end; only what the shell uses exists.
//
// platform/win32 implements it over plain Win32 dialogs; platform/headless
// keeps the control states in memory and lets the caller drive the dialog.
#pragma once

#include <cstdint>

#include "platform/platform.h"

using BOOL = int;
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr unsigned MB_OK = 0;

// A dialog template in data form: the controls of a dialog resource with
// their ids, kinds and texts. The Windows program takes its dialogs from the
// compiled resource; the headless dialog and the command line's help read
// this table, and a test checks that both agree.
enum class ControlKind { DefPushButton, PushButton, AutoCheckBox, AutoRadioButton, GroupBox };

struct DialogControl {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;  // dialog units
    bool group;               // starts a group
    bool tab_stop;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;  // dialog units
    const DialogControl* controls;
    int control_count;
};

// Makes a template known to the dialog layer under its id.
void register_dialog_template(const DialogTemplate* dialog_template);
const DialogTemplate* find_dialog_template(int id);

// The base of every window: dialog-control queries and messages.
class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    // Checks radio button `id` and unchecks the others of first..last.
    void CheckRadioButton(int first, int last, int id);
    // The id of the checked radio button of first..last, 0 when none is.
    int GetCheckedRadioButton(int first, int last);
    // 1 when check box `id` is checked, else 0.
    unsigned IsDlgButtonChecked(int id);
    // A modal message box owned by nothing (the shell never has a window
    // handle when it shows one); returns the button pressed.
    int MessageBoxA(const char* text, const char* caption, unsigned type);

    platform::WindowHandle m_hWnd = nullptr;
};

// A modal dialog from a dialog template.
class CDialog : public CWnd {
public:
    explicit CDialog(int template_id, CWnd* parent = nullptr);

    // Runs the dialog until it ends; returns IDOK or IDCANCEL.
    intptr_t DoModal();

    // Called once the controls exist. The base does nothing else.
    virtual BOOL OnInitDialog();
    // Calculate: the base ends the dialog with IDOK.
    virtual void OnOK();
    // Cancel and the close box: the base ends the dialog with IDCANCEL.
    virtual void OnCancel();
    // BN_CLICKED of a control other than IDOK and IDCANCEL.
    virtual void OnButtonClicked(int control_id);
    // The icon the dialog shows in its caption, task bar and when minimised.
    void SetIcon(void* icon, BOOL big_icon);

    int template_id() const { return template_id_; }

protected:
    void EndDialog(int result);

private:
    int template_id_;
    int end_result_ = -1;
};

// The application object. The front end calls InitInstance of the one
// registered instance and ends when it returns.
class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual BOOL InitInstance();

    CWnd* m_pMainWnd = nullptr;
};

// The application object most recently constructed (null when none).
CWinApp* AfxGetApp();

// A message box captioned with the application name.
int AfxMessageBox(const char* text, unsigned type);

// Loads an icon resource of the executable (null where there are none).
void* load_icon_resource(int resource_id);
