// The services the core needs of the system it runs on, and nothing more:
// the clipboard with its global memory blocks, a private memory block, and
// modal messages. Each call stands for one system call, so every failure the
// clipboard reader and writer can meet has its own step.
//
// Two implementations exist: platform/win32 (the real Windows API) and
// platform/headless (an in-memory clipboard of named formats whose every
// operation can be made to fail, for the command line and the tests). Where
// the clipboard holds text but no "Wk1", the reader asks for the text and
// makes the "Wk1" block of its cells itself.
#pragma once

#include <cstddef>

namespace platform {

using WindowHandle = void*;  // an owner window; null means "no owner"
using MemoryHandle = void*;  // a global memory block as the clipboard holds it
using ClipboardFormat = unsigned int;

// The plain-text clipboard format (CF_TEXT): 8-bit text ending in a zero byte.
constexpr ClipboardFormat TEXT_FORMAT = 1;

// Registers (or looks up) a named clipboard format; 0 on failure.
ClipboardFormat register_clipboard_format(const char* name);

bool open_clipboard(WindowHandle owner);
bool close_clipboard();
// The system's error code of the last failed call (GetLastError).
unsigned long last_error();
bool is_clipboard_format_available(ClipboardFormat format);
// The block the clipboard holds for a format; null when there is none.
MemoryHandle get_clipboard_data(ClipboardFormat format);
bool empty_clipboard();
// Hands a block to the clipboard, which owns it from then on.
bool set_clipboard_data(ClipboardFormat format, MemoryHandle block);

// The clipboard's text, only while the clipboard is open: Unicode text as
// UTF-8, else 8-bit text as it is, up to its terminating zero or the end of
// its block; and whether the user writes numbers with a decimal comma. False
// when the clipboard gives no text. The bytes stay valid until the clipboard
// closes.
struct ClipboardText {
    const unsigned char* bytes;
    std::size_t size;
    bool decimal_comma;
};
bool get_clipboard_text(ClipboardText& text);

// A movable, zero-initialised global memory block; null on failure.
MemoryHandle global_alloc(std::size_t size);
std::size_t global_size(MemoryHandle block);
// The block's bytes, or null when it cannot be locked.
void* global_lock(MemoryHandle block);
void global_unlock(MemoryHandle block);
// Frees a block the clipboard did not take.
void global_free(MemoryHandle block);

// Private working memory of the program (the reader's copy of the block).
void* allocate_private(std::size_t size);
void free_private(void* memory);

// A modal message box with only an OK button.
void show_message(WindowHandle owner, const char* text, const char* caption);
// A modal message box captioned with the application name, without owner.
void show_application_message(const char* text);
// The application name: the executable's file name without extension.
const char* application_name();

}  // namespace platform
