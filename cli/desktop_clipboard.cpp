#include "cli/desktop_clipboard.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The executable of that name on PATH, or "".
std::string find_program(const char* name) {
    std::string path = environment("PATH");
    if (path.empty()) path = "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        std::string directory = path.substr(start, end - start);
        if (directory.empty()) directory = ".";
        std::string candidate = directory + "/" + name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

std::string program_name(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string first_line(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

// Why a finished tool run failed, or "" when it succeeded.
std::string failure(const std::string& program, const ChildRun& run) {
    const std::string name = program_name(program);
    if (!run.started) return name + " could not be started: " + run.error_text;
    if (run.timed_out) return name + " did not finish within " + std::to_string(CLIPBOARD_TOOL_TIMEOUT_MS / 1000) + " s";
    if (run.output_too_large) return "the clipboard holds more than any worksheet Morvenda reads";
    if (!run.exited) return name + " was ended by a signal";
    if (run.exit_status != 0) {
        const std::string reason = first_line(run.error_text);
        return name + " ended with status " + std::to_string(run.exit_status) + (reason.empty() ? "" : ": " + reason);
    }
    return "";
}

ChildRun paste(const DesktopClipboard& clipboard, const std::vector<std::string>& arguments,
                      std::vector<unsigned char>& output, std::size_t max_output) {
    return run_child(ChildRequest{clipboard.paste_program, arguments, nullptr, &output, max_output, true,
                                  CLIPBOARD_TOOL_TIMEOUT_MS});
}

}  // namespace

// Finds the tools of the running session: wl-paste and wl-copy when
// WAYLAND_DISPLAY is set, xclip when DISPLAY is set (an X11 session, or
// Xwayland when the Wayland tools are missing).
bool find_desktop_clipboard(DesktopClipboard& clipboard, std::string& error) {
    const bool wayland = !environment("WAYLAND_DISPLAY").empty();
    const bool x11 = !environment("DISPLAY").empty();
    if (wayland) {
        const std::string paste = find_program("wl-paste");
        const std::string copy = find_program("wl-copy");
        if (!paste.empty() && !copy.empty()) {
            clipboard = DesktopClipboard{ClipboardTool::WlClipboard, paste, copy};
            return true;
        }
    }
    if (x11) {
        const std::string xclip = find_program("xclip");
        if (!xclip.empty()) {
            clipboard = DesktopClipboard{ClipboardTool::Xclip, xclip, xclip};
            return true;
        }
    }
    if (!wayland && !x11)
        error = "--clipboard needs a desktop session, but neither WAYLAND_DISPLAY nor DISPLAY is set";
    else if (wayland && !x11)
        error = "--clipboard needs wl-paste and wl-copy on a Wayland desktop: install the package wl-clipboard";
    else if (!wayland)
        error = "--clipboard needs xclip on an X11 desktop: install the package xclip";
    else
        error = "--clipboard needs wl-paste and wl-copy (package wl-clipboard) or xclip (package xclip)";
    return false;
}

// What the clipboard offers, one target (type) name each. A clipboard that
// offers nothing gives an empty list; `note` then holds what the tool said.
bool list_clipboard_targets(const DesktopClipboard& clipboard, std::vector<std::string>& targets,
                                   std::string& note, std::string& error) {
    std::vector<unsigned char> output;
    const std::vector<std::string> arguments =
        clipboard.tool == ClipboardTool::WlClipboard ? std::vector<std::string>{"--list-types"}
                                                     : std::vector<std::string>{"-selection", "clipboard", "-o", "-t", "TARGETS"};
    const ChildRun run = paste(clipboard, arguments, output, 1u << 20);
    targets.clear();
    if (run.started && run.exited && run.exit_status != 0) {
        // Both tools fail this way when no program owns the clipboard.
        note = program_name(clipboard.paste_program) + ": " + first_line(run.error_text);
        return true;
    }
    error = failure(clipboard.paste_program, run);
    if (!error.empty()) return false;
    std::string line;
    for (const unsigned char byte : output) {
        if (byte == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) targets.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(byte);
        }
    }
    if (!line.empty()) targets.push_back(line);
    return true;
}

// The text target to read among those offered, or "" when none is text.
std::string choose_text_target(const std::vector<std::string>& targets) {
    static const char* const PREFERRED[] = {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain", "STRING", "TEXT"};
    for (const char* wanted : PREFERRED)
        for (const std::string& target : targets)
            if (target == wanted) return target;
    return "";
}

// The bytes of one offered target, at most `max_size` of them.
bool read_clipboard_target(const DesktopClipboard& clipboard, const std::string& target,
                                  std::vector<unsigned char>& bytes, std::size_t max_size, std::string& error) {
    bytes.clear();
    const std::vector<std::string> arguments =
        clipboard.tool == ClipboardTool::WlClipboard ? std::vector<std::string>{"--no-newline", "--type", target}
                                                     : std::vector<std::string>{"-selection", "clipboard", "-o", "-t", target};
    const ChildRun run = paste(clipboard, arguments, bytes, max_size);
    error = failure(clipboard.paste_program, run);
    if (!error.empty()) error = "cannot read the clipboard: " + error;
    return error.empty();
}

// Puts text on the clipboard. Both tools hand the text to a process of their
// own that serves it until something else is copied.
bool write_clipboard_text(const DesktopClipboard& clipboard, const std::string& text, std::string& error) {
    const std::vector<std::string> arguments =
        clipboard.tool == ClipboardTool::WlClipboard ? std::vector<std::string>{"--type", "text/plain"}
                                                     : std::vector<std::string>{"-selection", "clipboard", "-i"};
    // The serving process keeps standard error open; the run ends when the
    // tool itself ends.
    const ChildRun run = run_child(
        ChildRequest{clipboard.copy_program, arguments, &text, nullptr, 0, true, CLIPBOARD_TOOL_TIMEOUT_MS});
    error = failure(clipboard.copy_program, run);
    if (!error.empty()) error = "cannot put the result on the clipboard: " + error;
    return error.empty();
}
