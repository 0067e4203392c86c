// The desktop clipboard of a Linux session, through its standard command-line
// tools: wl-paste and wl-copy on Wayland (Debian package wl-clipboard), xclip
// on X11 (Debian package xclip). It lists what the clipboard offers, reads one
// offered target, and puts text on it.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/child_process.h"

enum class ClipboardTool { WlClipboard, Xclip };

struct DesktopClipboard {
    ClipboardTool tool;
    std::string paste_program;  // wl-paste or xclip
    std::string copy_program;   // wl-copy or xclip
};

// How long one tool may take. A spreadsheet renders a large block on request,
// which can take a moment; a tool that takes longer is not coming back.
constexpr int CLIPBOARD_TOOL_TIMEOUT_MS = 10000;

// The target a spreadsheet offers its block under as a worksheet.
const char* const WK1_TARGET = "Wk1";

// Finds the tools of the running session: wl-paste and wl-copy when
// WAYLAND_DISPLAY is set, xclip when DISPLAY is set (an X11 session, or
// Xwayland when the Wayland tools are missing).
bool find_desktop_clipboard(DesktopClipboard& clipboard, std::string& error);

// What the clipboard offers, one target (type) name each. A clipboard that
// offers nothing gives an empty list; `note` then holds what the tool said.
bool list_clipboard_targets(const DesktopClipboard& clipboard, std::vector<std::string>& targets,
                            std::string& note, std::string& error);

// The text target to read among those offered, or "" when none is text.
std::string choose_text_target(const std::vector<std::string>& targets);

// The bytes of one offered target, at most `max_size` of them.
bool read_clipboard_target(const DesktopClipboard& clipboard, const std::string& target,
                           std::vector<unsigned char>& bytes, std::size_t max_size, std::string& error);

// Puts text on the clipboard. Both tools hand the text to a process of their
// own that serves it until something else is copied.
bool write_clipboard_text(const DesktopClipboard& clipboard, const std::string& text, std::string& error);
