// The clipboard, its global memory blocks and the program's private memory
// over the Windows API: each service is the one system call it is named after
// (the clipboard's text: win32_clipboard_text.cpp).
#include <windows.h>

#include <cstdlib>

#include "platform/platform.h"
#include "platform/win32/win32_clipboard_text.h"

static_assert(platform::TEXT_FORMAT == CF_TEXT, "the core's text format is the system's CF_TEXT");

namespace platform {

ClipboardFormat register_clipboard_format(const char* name) { return RegisterClipboardFormatA(name); }

bool open_clipboard(WindowHandle owner) { return OpenClipboard(static_cast<HWND>(owner)) != 0; }

// The clipboard's text lives while the clipboard is open; it is freed first,
// so that the last error is CloseClipboard's own.
bool close_clipboard() {
    release_clipboard_text();
    return CloseClipboard() != 0;
}

unsigned long last_error() { return GetLastError(); }

bool is_clipboard_format_available(ClipboardFormat format) { return IsClipboardFormatAvailable(format) != 0; }

MemoryHandle get_clipboard_data(ClipboardFormat format) { return GetClipboardData(format); }

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
