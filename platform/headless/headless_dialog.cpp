// The headless modal dialog: control states kept in memory, driven by the
// actions the caller queued (clicks by control id, Calculate, Cancel, the
// close box). Clicks behave as the auto controls of a dialog template do: a
// check box toggles, a radio button checks itself and unchecks its group.
#include <map>
#include <vector>

#include "platform/framework.h"
#include "platform/headless/headless.h"

namespace {

std::vector<headless::DialogAction> pending_actions;
std::map<int, bool> checked;  // control states of the running dialog
int dialogs_run = 0;

const DialogControl* find_control(const DialogTemplate* t, int id) {
    if (t == nullptr) return nullptr;
    for (int i = 0; i < t->control_count; ++i)
        if (t->controls[i].id == id) return &t->controls[i];
    return nullptr;
}

// The radio group of a control: from the nearest control at or before it
// that starts a group, up to the next one that does.
void check_in_group(const DialogTemplate* t, int id) {
    int index = -1;
    for (int i = 0; i < t->control_count; ++i)
        if (t->controls[i].id == id) index = i;
    if (index < 0) return;
    int first = index;
    while (first > 0 && !t->controls[first].group) --first;
    for (int i = first; i < t->control_count; ++i) {
        if (i > first && t->controls[i].group) break;
        if (t->controls[i].kind == ControlKind::AutoRadioButton) checked[t->controls[i].id] = false;
    }
    checked[id] = true;
}

}  // namespace

namespace headless {

void set_dialog_actions(const std::vector<DialogAction>& actions) { pending_actions = actions; }

int dialogs_shown() { return dialogs_run; }

void reset_dialog() {
    pending_actions.clear();
    checked.clear();
    dialogs_run = 0;
}

}  // namespace headless

void CWnd::CheckRadioButton(int first, int last, int id) {
    for (int i = first; i <= last; ++i) checked[i] = false;
    if (id >= first && id <= last) checked[id] = true;
}

int CWnd::GetCheckedRadioButton(int first, int last) {
    for (int i = first; i <= last; ++i)
        if (checked[i]) return i;
    return 0;
}

unsigned CWnd::IsDlgButtonChecked(int id) { return checked[id] ? 1u : 0u; }

void CDialog::SetIcon(void*, BOOL) {}

void CDialog::EndDialog(int result) { end_result_ = result; }

intptr_t CDialog::DoModal() {
    ++dialogs_run;
    checked.clear();
    end_result_ = -1;
    const DialogTemplate* t = find_dialog_template(template_id_);
    const std::vector<headless::DialogAction> actions = pending_actions;
    pending_actions.clear();
    OnInitDialog();
    for (const headless::DialogAction& action : actions) {
        if (end_result_ >= 0) break;
        switch (action.kind) {
        case headless::ActionKind::Click: {
            const DialogControl* control = find_control(t, action.control_id);
            if (control == nullptr) break;
            if (control->kind == ControlKind::AutoCheckBox) {
                checked[control->id] = !checked[control->id];
                OnButtonClicked(control->id);
            } else if (control->kind == ControlKind::AutoRadioButton) {
                check_in_group(t, control->id);
                OnButtonClicked(control->id);
            } else if (control->id == IDOK) {
                OnOK();
            } else if (control->id == IDCANCEL) {
                OnCancel();
            }
            break;
        }
        case headless::ActionKind::Ok:
            OnOK();
            break;
        case headless::ActionKind::Cancel:
        case headless::ActionKind::Close:
            OnCancel();
            break;
        }
    }
    if (end_result_ < 0) OnCancel();
    return end_result_;
}

void* load_icon_resource(int) { return nullptr; }
