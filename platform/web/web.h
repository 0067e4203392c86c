// Controls of the web platform: what the page's interface (web_api.cpp) does
// to the in-memory clipboard, the collected messages and the dialog. The
// page runs the desktop program's start-up sequence once for every worksheet
// it reads and once for every Calculate; each run starts from reset().
#pragma once

#include <cstddef>

namespace web {

// Empties the clipboard and forgets registered formats, messages and the
// dialog's choices.
void reset();

// Puts a copy of `size` bytes on the clipboard under a named format
// (registering it). False when the copy cannot be made.
bool put_clipboard_block(const char* format_name, const unsigned char* bytes, std::size_t size);

// The clipboard's text up to its first zero byte, and its length; null when
// the clipboard holds no text.
const char* clipboard_text(std::size_t& length);

// Messages shown since the last reset(), in order. A run shows a handful; the
// ones beyond MAX_MESSAGES are counted but not kept.
constexpr int MAX_MESSAGES = 16;
int message_count();
const char* message_caption(int index);
const char* message_text(int index);

// What the user chose in the page for the next dialog: the controls to click
// in order (check boxes, then the analysis radio button), and whether
// Calculate is pressed then. Without Calculate the dialog is closed at once:
// the page only reads the worksheet.
constexpr int MAX_DIALOG_CLICKS = 8;
struct DialogChoices {
    int clicks[MAX_DIALOG_CLICKS];  // control ids
    int click_count;
    bool calculate;
};
void set_dialog_choices(const DialogChoices& choices);

// Dialogs run since the last reset(): 0 when start-up found no worksheet.
int dialogs_shown();
// The dialog half of reset().
void reset_dialog();

}  // namespace web
