// Message boxes and the application name over the Windows API.
#include <windows.h>

#include <cstring>

#include "platform/platform.h"

namespace {

char application_name_text[MAX_PATH + 1] = "";

}  // namespace

namespace platform {

// Every message of the program is shown without an owner window: the shell
// never has a window handle when it asks for one, and a message of the
// analysis dialog is no exception.
void show_message(WindowHandle, const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}

void show_application_message(const char* text) { show_message(nullptr, text, application_name()); }

// The executable's file name without its folder and extension, read once.
const char* application_name() {
    if (application_name_text[0] != '\0') return application_name_text;
    char path[MAX_PATH + 1] = "";
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    path[n < MAX_PATH ? n : MAX_PATH] = '\0';
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    std::size_t length = std::strlen(name);
    const char* dot = std::strrchr(name, '.');
    if (dot != nullptr && dot != name) length = static_cast<std::size_t>(dot - name);
    if (length == 0) {
        name = "morvenda";
        length = std::strlen(name);
    }
    std::memcpy(application_name_text, name, length);
    application_name_text[length] = '\0';
    return application_name_text;
}

}  // namespace platform
