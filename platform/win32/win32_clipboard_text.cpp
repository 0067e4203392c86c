// The clipboard's text as UTF-8: Unicode text is converted, 8-bit text taken
// as it is; with the decimal separator of the user's locale.
#include <windows.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_clipboard_text.h"

namespace {

char* text_copy = nullptr;  // the text of the current opening, if any

// The user's decimal separator is a comma exactly when the locale says ",".
bool user_has_decimal_comma() {
    wchar_t separator[8] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    return length == 2 && separator[0] == L',';  // the length counts the terminating zero
}

// Unicode text up to its terminating zero or the end of its block, as UTF-8
// in a new block (of at least one byte); false when it cannot be converted.
bool utf8_of(const wchar_t* wide, std::size_t capacity, char*& utf8, std::size_t& size) {
    std::size_t units = 0;
    while (units < capacity && wide[units] != L'\0') ++units;
    if (units > static_cast<std::size_t>(INT_MAX)) return false;
    const int wide_length = static_cast<int>(units);
    const int utf8_size =
        units == 0 ? 0 : WideCharToMultiByte(CP_UTF8, 0, wide, wide_length, nullptr, 0, nullptr, nullptr);
    if (units > 0 && utf8_size <= 0) return false;
    utf8 = static_cast<char*>(std::malloc(static_cast<std::size_t>(utf8_size) + 1));
    if (utf8 == nullptr) return false;
    if (units > 0 &&
        WideCharToMultiByte(CP_UTF8, 0, wide, wide_length, utf8, utf8_size, nullptr, nullptr) != utf8_size) {
        std::free(utf8);
        utf8 = nullptr;
        return false;
    }
    size = static_cast<std::size_t>(utf8_size);
    return true;
}

// 8-bit text up to its terminating zero or the end of its block, copied.
bool copy_of(const unsigned char* bytes, std::size_t capacity, char*& copy, std::size_t& size) {
    std::size_t length = 0;
    while (length < capacity && bytes[length] != '\0') ++length;
    copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr) return false;
    if (length > 0) std::memcpy(copy, bytes, length);
    size = length;
    return true;
}

// The clipboard's text of `format` (CF_UNICODETEXT or CF_TEXT); false when
// the clipboard gives none.
bool read_text(UINT format, char*& text, std::size_t& size) {
    HANDLE handle = GetClipboardData(format);
    if (handle == nullptr) return false;
    const SIZE_T capacity = GlobalSize(handle);
    const void* locked = GlobalLock(handle);
    if (locked == nullptr) return false;
    const bool read = format == CF_UNICODETEXT
                          ? utf8_of(static_cast<const wchar_t*>(locked), capacity / sizeof(wchar_t), text, size)
                          : copy_of(static_cast<const unsigned char*>(locked), capacity, text, size);
    GlobalUnlock(handle);
    return read;
}

}  // namespace

namespace platform {

bool get_clipboard_text(ClipboardText& text) {
    release_clipboard_text();
    std::size_t size = 0;
    if (!read_text(CF_UNICODETEXT, text_copy, size) && !read_text(CF_TEXT, text_copy, size)) return false;
    text = ClipboardText{reinterpret_cast<const unsigned char*>(text_copy), size, user_has_decimal_comma()};
    return true;
}

}  // namespace platform

void release_clipboard_text() {
    std::free(text_copy);
    text_copy = nullptr;
}
