// The Wine test driver: runs morvenda.exe as a user would, through the
// clipboard and the dialog, and writes down what the user would see.
//
//   driver run PROGRAM OUTDIR [--wk1=FILE] [--text=TEXT] [--unicode=FILE] [--hold=FILE] [ACTION]...
//       Puts FILE's bytes on the clipboard under the registered format "Wk1",
//       TEXT as plain text (CF_TEXT) and the UTF-8 text of the --unicode
//       FILE as Unicode text (CF_UNICODETEXT; none of them: an empty
//       clipboard), starts PROGRAM,
//       waits for its dialog (found by its caption), performs the actions,
//       presses OK on every message box while reading its caption and text,
//       and waits for the program to end. ACTION is click:ID (a BM_CLICK on
//       control ID), ok (Calculate), cancel, or close (the close box).
//       With --hold, once the dialog shows it creates FILE and waits until
//       someone deletes it (time for a screenshot).
//       OUTDIR receives:
//         messages.txt      one line per message box, "caption: text" with
//                           the text's trailing newlines left out (the
//                           command line's format for its messages)
//         messages_raw.txt  one line per message box, "caption|text" with
//                           newlines written as \n
//         clipboard.txt     the plain text on the clipboard at the end
//                           (absent when there is none)
//         clipboard_unicode.txt  its Unicode text as UTF-8 (absent when
//                           there is none)
//         run.txt           whether the dialog showed, the exit code,
//                           whether the clipboard changed,
//                           whether "Wk1" is still there and whether the
//                           clipboard could be opened afterwards
//   driver keep [READY]  holds the Wine session (and with it the clipboard)
//                    open until `driver stop`; creates READY once it runs
//   driver stop
//
// Exit status: 0 when the program ran to its end and everything was written,
// 1 when something did not happen in time or could not be done, 2 on usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const DIALOG_CAPTION = "morvenda006";
const char* const KEEPER_EVENT = "MorvendaWineTestKeeper";
constexpr int FIRST_ANALYSIS_RADIO = 1003;  // only the analysis dialog has it
constexpr DWORD STEP_MS = 20;
constexpr DWORD START_TIMEOUT_MS = 30000;  // a cold Wine start can be slow
constexpr DWORD ACTION_TIMEOUT_MS = 30000;
constexpr DWORD HOLD_TIMEOUT_MS = 60000;

struct Message {
    std::string caption;
    std::string text;
};

// What the message-box thread shares with the main thread.
struct Watch {
    DWORD process_id = 0;
    CRITICAL_SECTION lock;
    std::vector<Message> messages;
    volatile LONG stop = 0;
    volatile LONG failed = 0;  // a message box did not go away
};

std::string window_text(HWND window) {
    const int n = GetWindowTextLengthA(window);
    if (n <= 0) return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(n) + 1, '\0');
    const int got = GetWindowTextA(window, buffer.data(), n + 1);
    return std::string(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

std::string class_name(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct Search {
    DWORD process_id;
    bool want_dialog;  // the analysis dialog, or else a message box
    HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id || !IsWindowVisible(window) || class_name(window) != "#32770") return TRUE;
    const bool is_dialog = GetDlgItem(window, FIRST_ANALYSIS_RADIO) != nullptr;
    if (is_dialog != search->want_dialog) return TRUE;
    if (is_dialog && window_text(window) != DIALOG_CAPTION) return TRUE;
    search->found = window;
    return FALSE;
}

HWND find_window(DWORD process_id, bool want_dialog) {
    Search search{process_id, want_dialog, nullptr};
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK find_text(HWND child, LPARAM data) {
    auto* text = reinterpret_cast<std::string*>(data);
    if (class_name(child) == "Static") {
        std::string t = window_text(child);
        if (!t.empty()) {
            *text = t;
            return FALSE;
        }
    }
    return TRUE;
}

// Reads each message box of the program, presses its OK and waits until it
// has gone, so that none is read twice. Calculate blocks whoever clicked it
// while the program shows its messages, hence a thread of its own.
DWORD WINAPI answer_message_boxes(LPVOID data) {
    auto* watch = static_cast<Watch*>(data);
    while (watch->stop == 0) {
        HWND box = find_window(watch->process_id, false);
        if (box == nullptr) {
            Sleep(STEP_MS);
            continue;
        }
        Message message{window_text(box), std::string()};
        EnumChildWindows(box, find_text, reinterpret_cast<LPARAM>(&message.text));
        EnterCriticalSection(&watch->lock);
        watch->messages.push_back(message);
        LeaveCriticalSection(&watch->lock);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        DWORD waited = 0;
        while (IsWindow(box) && IsWindowVisible(box) && waited < ACTION_TIMEOUT_MS) {
            Sleep(STEP_MS);
            waited += STEP_MS;
        }
        if (waited >= ACTION_TIMEOUT_MS) {
            InterlockedExchange(&watch->failed, 1);
            return 1;
        }
    }
    return 0;
}

bool read_file(const std::string& path, std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
    std::fclose(file);
    return true;
}

bool write_file(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return (std::fclose(file) == 0) && ok;
}

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HGLOBAL global_copy(const std::string& bytes, bool terminate) {
    const std::size_t size = bytes.size() + (terminate ? 1 : 0);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (block == nullptr) return nullptr;
    if (size > 0) {
        void* p = GlobalLock(block);
        if (p == nullptr) {
            GlobalFree(block);
            return nullptr;
        }
        std::memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    return block;
}

bool open_clipboard_patiently() {
    for (DWORD waited = 0; waited < ACTION_TIMEOUT_MS; waited += STEP_MS) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(STEP_MS);
    }
    return false;
}

// UTF-8 as UTF-16 ending in a zero unit, in the bytes of a std::string.
bool utf16_of(const std::string& utf8, std::string& utf16) {
    const int units = utf8.empty() ? 0
                                   : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                                         static_cast<int>(utf8.size()), nullptr, 0);
    if (!utf8.empty() && units <= 0) return false;
    std::vector<wchar_t> wide(static_cast<std::size_t>(units) + 1, L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
    utf16.assign(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    return true;
}

std::string utf8_of(const wchar_t* wide, std::size_t units) {
    if (units == 0) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
    std::string utf8(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(units), &utf8[0], n, nullptr, nullptr);
    return utf8;
}

// The clipboard's block of `format` as code units up to the first zero;
// false when the clipboard holds none.
template <typename Unit>
bool read_clipboard_units(UINT format, std::basic_string<Unit>& out) {
    HANDLE block = GetClipboardData(format);
    if (block == nullptr) return false;
    const auto* units = static_cast<const Unit*>(GlobalLock(block));
    if (units == nullptr) return false;
    const std::size_t size = GlobalSize(block) / sizeof(Unit);
    std::size_t n = 0;
    while (n < size && units[n] != 0) ++n;
    out.assign(units, n);
    GlobalUnlock(block);
    return true;
}

// Replaces the clipboard's content: a "Wk1" block, plain text and/or
// Unicode text (given as UTF-16 with its terminating zero).
bool put_clipboard(bool with_wk1, const std::string& wk1, bool with_text, const std::string& text, bool with_unicode,
                   const std::string& unicode) {
    if (!open_clipboard_patiently()) return false;
    bool ok = EmptyClipboard() != 0;
    if (ok && with_wk1) {
        const UINT format = RegisterClipboardFormatA("Wk1");
        HGLOBAL block = global_copy(wk1, false);
        ok = format != 0 && block != nullptr && SetClipboardData(format, block) != nullptr;
    }
    if (ok && with_text) {
        HGLOBAL block = global_copy(text, true);
        ok = block != nullptr && SetClipboardData(CF_TEXT, block) != nullptr;
    }
    if (ok && with_unicode) {
        HGLOBAL block = global_copy(unicode, false);
        ok = block != nullptr && SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    }
    return (CloseClipboard() != 0) && ok;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

std::string without_trailing_newlines(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

bool wait_until(HANDLE process, DWORD timeout_ms) { return WaitForSingleObject(process, timeout_ms) == WAIT_OBJECT_0; }

// Presses a button of the dialog the way a mouse click does: an auto check
// box or radio button changes its state, then the dialog hears BN_CLICKED.
bool click(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr) {
        std::fprintf(stderr, "driver: the dialog has no control %d\n", id);
        return false;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_NORMAL, ACTION_TIMEOUT_MS, &result)) {
        std::fprintf(stderr, "driver: a click on control %d was not answered\n", id);
        return false;
    }
    return true;
}

struct RunOptions {
    std::string program;
    std::string out_dir;
    bool with_wk1 = false;
    std::string wk1_path;
    bool with_text = false;
    std::string text;
    bool with_unicode = false;
    std::string unicode_path;
    std::string hold_path;
    std::vector<std::string> actions;
};

int run(const RunOptions& options) {
    std::string wk1;
    if (options.with_wk1 && !read_file(options.wk1_path, wk1)) {
        std::fprintf(stderr, "driver: cannot read %s\n", options.wk1_path.c_str());
        return 1;
    }
    std::string unicode_utf8, unicode;
    if (options.with_unicode &&
        !(read_file(options.unicode_path, unicode_utf8) && utf16_of(unicode_utf8, unicode))) {
        std::fprintf(stderr, "driver: cannot read %s as UTF-8\n", options.unicode_path.c_str());
        return 1;
    }
    if (!put_clipboard(options.with_wk1, wk1, options.with_text, options.text, options.with_unicode, unicode)) {
        std::fprintf(stderr, "driver: cannot fill the clipboard (error %lu)\n", GetLastError());
        return 1;
    }
    const DWORD sequence_before = GetClipboardSequenceNumber();

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::string command = "\"" + options.program + "\"";
    if (!CreateProcessA(options.program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "driver: cannot start %s (error %lu)\n", options.program.c_str(), GetLastError());
        return 1;
    }

    Watch watch;
    watch.process_id = process.dwProcessId;
    InitializeCriticalSection(&watch.lock);
    HANDLE watcher = CreateThread(nullptr, 0, answer_message_boxes, &watch, 0, nullptr);

    bool ok = true;
    HWND dialog = nullptr;
    for (DWORD waited = 0; waited < START_TIMEOUT_MS && dialog == nullptr; waited += STEP_MS) {
        dialog = find_window(process.dwProcessId, true);
        if (dialog == nullptr && wait_until(process.hProcess, STEP_MS)) break;
    }

    if (dialog != nullptr) {
        if (!options.hold_path.empty()) {
            Sleep(500);  // let the dialog paint itself
            write_file(options.hold_path, "dialog shown\n");
            DWORD waited = 0;
            while (file_exists(options.hold_path) && waited < HOLD_TIMEOUT_MS) {
                Sleep(STEP_MS);
                waited += STEP_MS;
            }
        }
        for (const std::string& action : options.actions) {
            if (action.rfind("click:", 0) == 0) {
                ok = click(dialog, std::atoi(action.c_str() + 6)) && ok;
            } else if (action == "ok") {
                ok = click(dialog, IDOK) && ok;
            } else if (action == "cancel") {
                ok = click(dialog, IDCANCEL) && ok;
            } else if (action == "close") {
                ok = PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) && ok;
            }
        }
    } else if (!options.actions.empty() && !wait_until(process.hProcess, 0)) {
        std::fprintf(stderr, "driver: the dialog did not show\n");
        ok = false;
    }

    if (!wait_until(process.hProcess, ACTION_TIMEOUT_MS)) {
        std::fprintf(stderr, "driver: the program did not end; stopping it\n");
        TerminateProcess(process.hProcess, 99);
        wait_until(process.hProcess, ACTION_TIMEOUT_MS);
        ok = false;
    }
    DWORD exit_code = 0;
    GetExitCodeProcess(process.hProcess, &exit_code);
    InterlockedExchange(&watch.stop, 1);
    WaitForSingleObject(watcher, ACTION_TIMEOUT_MS);
    CloseHandle(watcher);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (watch.failed != 0) {
        std::fprintf(stderr, "driver: a message box did not close\n");
        ok = false;
    }

    // The program must have closed the clipboard on every path.
    const bool clipboard_free = OpenClipboard(nullptr) != 0;
    bool has_text = false;
    std::string text;
    bool has_wk1 = false;
    bool has_unicode = false;
    std::string unicode_text;
    if (clipboard_free) {
        has_wk1 = IsClipboardFormatAvailable(RegisterClipboardFormatA("Wk1")) != 0;
        has_text = read_clipboard_units(CF_TEXT, text);
        std::wstring wide;
        has_unicode = read_clipboard_units(CF_UNICODETEXT, wide);
        if (has_unicode) unicode_text = utf8_of(wide.data(), wide.size());
        CloseClipboard();
    }
    const DWORD sequence_after = GetClipboardSequenceNumber();

    std::string plain, raw;
    for (const Message& m : watch.messages) {
        plain += m.caption + ": " + without_trailing_newlines(m.text) + "\n";
        raw += m.caption + "|" + escaped(m.text) + "\n";
    }
    DeleteCriticalSection(&watch.lock);
    // The decimal separator of the locale Wine gave this process, as it
    // gives the program: a case run in a locale that did not take is the
    // environment's failure, not the program's.
    char separator[8] = "?";
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) <= 0)
        std::snprintf(separator, sizeof separator, "?");
    char summary[256];
    std::snprintf(summary, sizeof summary,
                  "dialog=%d\nexit_code=%lu\nclipboard_changed=%d\nwk1_on_clipboard=%d\nclipboard_free=%d\n"
                  "decimal_separator=%s\n",
                  dialog != nullptr ? 1 : 0, static_cast<unsigned long>(exit_code),
                  sequence_after != sequence_before ? 1 : 0, has_wk1 ? 1 : 0, clipboard_free ? 1 : 0, separator);
    const std::string dir = options.out_dir + "/";
    ok = write_file(dir + "messages.txt", plain) && ok;
    ok = write_file(dir + "messages_raw.txt", raw) && ok;
    ok = write_file(dir + "run.txt", summary) && ok;
    DeleteFileA((dir + "clipboard.txt").c_str());
    if (has_text) ok = write_file(dir + "clipboard.txt", text) && ok;
    DeleteFileA((dir + "clipboard_unicode.txt").c_str());
    if (has_unicode) ok = write_file(dir + "clipboard_unicode.txt", unicode_text) && ok;
    return ok ? 0 : 1;
}

// A hidden window keeps this process on the Wine desktop, and the desktop
// (with its clipboard) lives while any program does.
int keep(const char* ready_path) {
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, KEEPER_EVENT);
    if (stop == nullptr) return 1;
    HWND window = CreateWindowA("STATIC", "morvenda test keeper", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (ready_path != nullptr) write_file(ready_path, "keeping\n");
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    if (window != nullptr) DestroyWindow(window);
    CloseHandle(stop);
    return 0;
}

int stop_keeper() {
    HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, KEEPER_EVENT);
    if (stop == nullptr) return 1;
    SetEvent(stop);
    CloseHandle(stop);
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: driver run PROGRAM OUTDIR [--wk1=FILE] [--text=TEXT] [--unicode=FILE] [--hold=FILE] "
                 "[click:ID|ok|cancel|close]...\n       driver keep [READY] | driver stop\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    if (command == "keep") return keep(argc > 2 ? argv[2] : nullptr);
    if (command == "stop") return stop_keeper();
    if (command != "run" || argc < 4) return usage();
    RunOptions options;
    options.program = argv[2];
    options.out_dir = argv[3];
    for (int i = 4; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--wk1=", 0) == 0) {
            options.with_wk1 = true;
            options.wk1_path = a.substr(6);
        } else if (a.rfind("--text=", 0) == 0) {
            options.with_text = true;
            options.text = a.substr(7);
        } else if (a.rfind("--unicode=", 0) == 0) {
            options.with_unicode = true;
            options.unicode_path = a.substr(10);
        } else if (a.rfind("--hold=", 0) == 0) {
            options.hold_path = a.substr(7);
        } else if (a.rfind("click:", 0) == 0 || a == "ok" || a == "cancel" || a == "close") {
            options.actions.push_back(a);
        } else {
            return usage();
        }
    }
    return run(options);
}
