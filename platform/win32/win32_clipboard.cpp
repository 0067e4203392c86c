// The clipboard, its global memory blocks and the program's private memory
// over the Windows API: each service is the one system call it is named after,
// with one addition: a clipboard that holds text but no "Wk1" offers the
// text's cells under "Wk1" (win32_clipboard_text.h).
#include <windows.h>

#include <cstdlib>

#include "platform/platform.h"
#include "platform/win32/win32_clipboard_text.h"

static_assert(platform::TEXT_FORMAT == CF_TEXT, "the core's text format is the system's CF_TEXT");

namespace platform {

ClipboardFormat register_clipboard_format(const char* name) { return RegisterClipboardFormatA(name); }

bool open_clipboard(WindowHandle owner) { return OpenClipboard(static_cast<HWND>(owner)) != 0; }

// The text's block lives while the clipboard is open; it is freed first, so
// that the last error is CloseClipboard's own.
bool close_clipboard() {
    release_text_worksheet_block();
    return CloseClipboard() != 0;
}

unsigned long last_error() { return GetLastError(); }

namespace {

// "Wk1" asked for while the clipboard has none: the text stands in for it.
bool text_stands_in(ClipboardFormat format) {
    return format != 0 && format == wk1_clipboard_format() && IsClipboardFormatAvailable(format) == 0;
}

}  // namespace

bool is_clipboard_format_available(ClipboardFormat format) {
    if (IsClipboardFormatAvailable(format) != 0) return true;
    return text_stands_in(format) && text_worksheet_block() != nullptr;
}

MemoryHandle get_clipboard_data(ClipboardFormat format) {
    return text_stands_in(format) ? text_worksheet_block() : GetClipboardData(format);
}

bool empty_clipboard() { return EmptyClipboard() != 0; }

bool set_clipboard_data(ClipboardFormat format, MemoryHandle block) {
    return SetClipboardData(format, static_cast<HANDLE>(block)) != nullptr;
}

MemoryHandle global_alloc(std::size_t size) { return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size); }

std::size_t global_size(MemoryHandle block) { return GlobalSize(static_cast<HGLOBAL>(block)); }

void* global_lock(MemoryHandle block) { return GlobalLock(static_cast<HGLOBAL>(block)); }

void global_unlock(MemoryHandle block) { GlobalUnlock(static_cast<HGLOBAL>(block)); }

void global_free(MemoryHandle block) { GlobalFree(static_cast<HGLOBAL>(block)); }

void* allocate_private(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void free_private(void* memory) { std::free(memory); }

}  // namespace platform
