// The web platform's modal dialog. The page is the dialog: its radio buttons
// and check boxes stand for the dialog's controls, and the user's choices are
// handed in before the start-up sequence runs. The dialog then does what a
// user of the desktop dialog would: clicks the chosen check boxes and radio
// button and presses Calculate. Clicks behave as the auto
// controls of the dialog template do (a check box toggles, a radio button
// checks itself and unchecks its group).
#include "platform/framework.h"
#include "platform/web/web.h"

namespace {

// Control states of the running dialog, by control id.
struct ControlState {
    int id;
    bool checked;
};
constexpr int MAX_CONTROLS = 32;
ControlState control_states[MAX_CONTROLS];
int control_total = 0;

web::DialogChoices pending{};
int dialogs_run = 0;

ControlState* state_of(int id) {
    for (int i = 0; i < control_total; ++i)
        if (control_states[i].id == id) return &control_states[i];
    if (control_total == MAX_CONTROLS) return nullptr;
    control_states[control_total] = ControlState{id, false};
    return &control_states[control_total++];
}

void set_checked(int id, bool checked) {
    if (ControlState* s = state_of(id)) s->checked = checked;
}

bool is_checked(int id) {
    const ControlState* s = state_of(id);
    return s != nullptr && s->checked;
}

// The radio group of a control: from the nearest control at or before it
// that starts a group, up to the next one that does.
void check_in_group(const DialogTemplate* t, int index) {
    int first = index;
    while (first > 0 && !t->controls[first].group) --first;
    for (int i = first; i < t->control_count; ++i) {
        if (i > first && t->controls[i].group) break;
        if (t->controls[i].kind == ControlKind::AutoRadioButton) set_checked(t->controls[i].id, false);
    }
    set_checked(t->controls[index].id, true);
}

}  // namespace

namespace web {

void set_dialog_choices(const DialogChoices& choices) { pending = choices; }

int dialogs_shown() { return dialogs_run; }

void reset_dialog() {
    pending = DialogChoices{};
    control_total = 0;
    dialogs_run = 0;
}

}  // namespace web

void CWnd::CheckRadioButton(int first, int last, int id) {
    for (int i = first; i <= last; ++i) set_checked(i, false);
    if (id >= first && id <= last) set_checked(id, true);
}

int CWnd::GetCheckedRadioButton(int first, int last) {
    for (int i = first; i <= last; ++i)
        if (is_checked(i)) return i;
    return 0;
}

unsigned CWnd::IsDlgButtonChecked(int id) { return is_checked(id) ? 1u : 0u; }

void CDialog::SetIcon(void*, BOOL) {}

void CDialog::EndDialog(int result) { end_result_ = result; }

intptr_t CDialog::DoModal() {
    ++dialogs_run;
    control_total = 0;
    end_result_ = -1;
    const web::DialogChoices choices = pending;
    pending = web::DialogChoices{};
    OnInitDialog();

    const DialogTemplate* t = find_dialog_template(template_id_);
    const int clicks = choices.click_count < web::MAX_DIALOG_CLICKS ? choices.click_count : web::MAX_DIALOG_CLICKS;
    for (int k = 0; k < clicks && t != nullptr; ++k) {
        const int id = choices.clicks[k];
        for (int i = 0; i < t->control_count; ++i) {
            if (t->controls[i].id != id) continue;
            if (t->controls[i].kind == ControlKind::AutoCheckBox) {
                set_checked(id, !is_checked(id));
                OnButtonClicked(id);
            } else if (t->controls[i].kind == ControlKind::AutoRadioButton) {
                check_in_group(t, i);
                OnButtonClicked(id);
            }
        }
    }
    if (choices.calculate) OnOK();
    if (end_result_ < 0) OnCancel();
    return end_result_;
}

void* load_icon_resource(int) { return nullptr; }
