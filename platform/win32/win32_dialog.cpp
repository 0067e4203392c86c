// The modal dialog and its control queries over plain Win32 dialogs: the
// dialog comes from the executable's dialog resource, and one dialog
// procedure turns the window messages into the CDialog calls the shell
// overrides. It also shows the dialog's icon in the caption, on the task bar,
// and centred in the client area while the dialog is minimised.
//
// framework.h comes before <windows.h>: it declares TRUE, FALSE, IDOK and
// IDCANCEL as constants, which the system header then defines as macros of
// the same values.
#include "platform/framework.h"

#include <windows.h>

namespace {

HWND window_of(const CWnd* window) { return static_cast<HWND>(window->m_hWnd); }

// The icon the dialog was given as its big icon (WM_SETICON), if any.
HICON dialog_icon(HWND dialog) {
    return reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
}

// Draws the icon centred in the client area of the minimised dialog.
void paint_minimised(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    SendMessageA(dialog, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(dialog, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    const HICON icon = dialog_icon(dialog);
    if (icon != nullptr) DrawIcon(dc, x, y, icon);
    EndPaint(dialog, &paint);
}

INT_PTR CALLBACK dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lparam);
        SetWindowLongPtrA(window, DWLP_USER, lparam);
        dialog->m_hWnd = window;
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (dialog == nullptr) return FALSE;

    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wparam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wparam)) {
        case IDOK:
            dialog->OnOK();
            break;
        case IDCANCEL:
            dialog->OnCancel();
            break;
        default:
            dialog->OnButtonClicked(LOWORD(wparam));
            break;
        }
        return TRUE;
    case WM_CLOSE:
        dialog->OnCancel();
        return TRUE;
    case WM_PAINT:
        if (!IsIconic(window)) return FALSE;
        paint_minimised(window);
        return TRUE;
    case WM_QUERYDRAGICON:
        // One of the few messages whose result a dialog procedure returns
        // directly.
        return reinterpret_cast<INT_PTR>(dialog_icon(window));
    default:
        return FALSE;
    }
}

}  // namespace

void CWnd::CheckRadioButton(int first, int last, int id) { ::CheckRadioButton(window_of(this), first, last, id); }

int CWnd::GetCheckedRadioButton(int first, int last) {
    for (int id = first; id <= last; ++id)
        if (::IsDlgButtonChecked(window_of(this), id) == BST_CHECKED) return id;
    return 0;
}

unsigned CWnd::IsDlgButtonChecked(int id) {
    return ::IsDlgButtonChecked(window_of(this), id) == BST_CHECKED ? 1u : 0u;
}

void CDialog::SetIcon(void* icon, BOOL big_icon) {
    SendMessageA(window_of(this), WM_SETICON, big_icon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void CDialog::EndDialog(int result) {
    end_result_ = result;
    ::EndDialog(window_of(this), result);
}

// The dialog has no parent window: it is the program's main window.
intptr_t CDialog::DoModal() {
    end_result_ = -1;
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(template_id_), nullptr,
                                           dialog_procedure, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

void* load_icon_resource(int resource_id) {
    return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource_id));
}
