// The clipboard's text as a "Wk1" block: the text is read as UTF-8 (Unicode
// text is converted, 8-bit text taken as it is), and its cells go through the
// command line's text reader (worksheet/text_reader.h) with the decimal
// separator of the user's locale.
#include "platform/win32/win32_clipboard_text.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "worksheet/text_reader.h"

namespace {

HGLOBAL text_block = nullptr;  // the block of the current opening, if any
bool text_block_made = false;  // the text was looked at during this opening

// The user's decimal separator is a comma exactly when the locale says ",".
bool user_has_decimal_comma() {
    wchar_t separator[8] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    return length == 2 && separator[0] == L',';  // the length counts the terminating zero
}

// The WK1 stream of the text's cells in a new global block; null when no
// cell holds a value or memory runs out.
HGLOBAL wk1_block_for(const unsigned char* text, std::size_t size) {
    static unsigned char stream[TEXT_WK1_CAPACITY];
    const bool decimal_comma = user_has_decimal_comma();
    if (!text_has_values(text, size, TextFormat::Tabs, decimal_comma)) return nullptr;
    const std::size_t stream_size =
        text_worksheet_to_wk1(text, size, TextFormat::Tabs, decimal_comma, stream, sizeof stream);
    if (stream_size == 0) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, stream_size);
    if (block == nullptr) return nullptr;
    void* bytes = GlobalLock(block);
    if (bytes == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(bytes, stream, stream_size);
    GlobalUnlock(block);
    return block;
}

// Reads the clipboard's text of `format` (CF_UNICODETEXT or CF_TEXT) up to
// its terminating zero or the end of its block. False when the clipboard
// gives no text of that format; otherwise `block` is the text's WK1 block,
// or null when the text holds no values.
bool read_text(UINT format, HGLOBAL& block) {
    block = nullptr;
    HANDLE handle = GetClipboardData(format);
    if (handle == nullptr) return false;
    const SIZE_T size = GlobalSize(handle);
    const void* locked = GlobalLock(handle);
    if (locked == nullptr) return false;

    bool read = true;
    if (format == CF_UNICODETEXT) {
        const auto* wide = static_cast<const wchar_t*>(locked);
        const std::size_t capacity = size / sizeof(wchar_t);
        std::size_t units = 0;
        while (units < capacity && wide[units] != L'\0') ++units;
        if (units == 0) {
            block = wk1_block_for(nullptr, 0);
        } else if (units <= static_cast<std::size_t>(INT_MAX)) {
            const int wide_length = static_cast<int>(units);
            const int utf8_size = WideCharToMultiByte(CP_UTF8, 0, wide, wide_length, nullptr, 0, nullptr, nullptr);
            auto* utf8 = utf8_size > 0 ? static_cast<char*>(std::malloc(static_cast<std::size_t>(utf8_size)))
                                       : nullptr;
            read = utf8 != nullptr &&
                   WideCharToMultiByte(CP_UTF8, 0, wide, wide_length, utf8, utf8_size, nullptr, nullptr) == utf8_size;
            if (read)
                block = wk1_block_for(reinterpret_cast<const unsigned char*>(utf8), static_cast<std::size_t>(utf8_size));
            std::free(utf8);
        } else {
            read = false;
        }
    } else {
        const auto* bytes = static_cast<const unsigned char*>(locked);
        std::size_t length = 0;
        while (length < size && bytes[length] != '\0') ++length;
        block = wk1_block_for(bytes, length);
    }
    GlobalUnlock(handle);
    return read;
}

}  // namespace

UINT wk1_clipboard_format() { return RegisterClipboardFormatA("Wk1"); }

HGLOBAL text_worksheet_block() {
    if (text_block_made) return text_block;
    text_block_made = true;
    if (!read_text(CF_UNICODETEXT, text_block)) read_text(CF_TEXT, text_block);
    return text_block;
}

void release_text_worksheet_block() {
    if (text_block != nullptr) GlobalFree(text_block);
    text_block = nullptr;
    text_block_made = false;
}
