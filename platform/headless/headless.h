// Controls of the headless platform: what the command line and the tests do
// to the in-memory clipboard, the message boxes and the dialog.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace headless {

// ---- Clipboard -------------------------------------------------------------

// Empties the clipboard and forgets registered formats, faults, messages,
// queued dialog actions and the dialog count.
void reset();

// Puts a block of bytes on the clipboard under a named format (registering
// it) or under TEXT_FORMAT when `format_name` is null. Replaces an earlier
// block of that format.
void put_clipboard_block(const char* format_name, const void* bytes, std::size_t size);
// The same for a block the caller hands over instead of having it copied.
void put_clipboard_block(const char* format_name, std::vector<unsigned char>&& bytes);
// Room for a block of up to `capacity` bytes that the caller writes in place
// and then hands over with the overload below. The bytes are not cleared, so
// the pages of a large block that are never written cost nothing.
std::unique_ptr<unsigned char[]> new_clipboard_bytes(std::size_t capacity);
// Hands over the first `size` bytes of room from new_clipboard_bytes, `size`
// at most its capacity.
void put_clipboard_block(const char* format_name, std::unique_ptr<unsigned char[]> bytes, std::size_t size);

// The clipboard's text (the bytes up to the first zero); empty when the
// clipboard holds no text.
bool clipboard_has_text();
std::string clipboard_text();
// The same text where the clipboard holds it, valid until the clipboard
// changes.
std::string_view clipboard_text_view();

// Whether the user writes numbers with a decimal comma, as the clipboard's
// text is read (off after reset()).
void set_decimal_comma(bool on);

bool clipboard_is_open();
// Clipboard state changes since the last reset (empty + set calls).
int clipboard_write_count();

// ---- Memory ----------------------------------------------------------------

// Asks the system to back the memory from `start` on for `size` bytes with
// large pages, where it has them (whole large pages around the range): one
// page fault instead of one per small page when a table is filled. A hint;
// nothing changes where it is not followed.
void prefer_large_pages(const void* start, std::size_t size);

// ---- Faults ----------------------------------------------------------------

// One switch per operation; a switched-on operation fails every time it is
// called until switched off (or until reset()).
enum class Fault {
    RegisterFormat,
    OpenClipboard,
    CloseClipboard,
    GetClipboardData,
    GlobalAlloc,
    GlobalLock,
    AllocatePrivate,
    EmptyClipboard,
    SetClipboardData,
    Count
};
void set_fault(Fault fault, bool on);
// The value last_error() reports after a failed close.
void set_last_error(unsigned long code);

// Private blocks allocated and not yet freed.
int private_blocks_outstanding();

// ---- Message boxes ---------------------------------------------------------

struct Message {
    std::string caption;
    std::string text;
};

// Every message box shown since the last reset(), in order.
const std::vector<Message>& messages();

void set_application_name(const char* name);

// ---- Dialog ----------------------------------------------------------------

// What the user does to the next modal dialog, in order. The dialog ends at
// Ok, Cancel or Close; when the actions run out first, it is closed.
enum class ActionKind { Click, Ok, Cancel, Close };
struct DialogAction {
    ActionKind kind;
    int control_id;  // for Click
};
void set_dialog_actions(const std::vector<DialogAction>& actions);

// How many dialogs have been run since the last reset().
int dialogs_shown();
// The dialog half of reset().
void reset_dialog();

}  // namespace headless
