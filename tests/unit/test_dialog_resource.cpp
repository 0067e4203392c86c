// The Windows program's resource script (app/morvenda.rc) against the dialog
// template the shell and the headless dialog use: the dialog's frame, and
// every control with its id, kind, text, position, group and tab stop, in the
// same order. The Windows program takes its dialog from the script, every
// other front end from the template, so the two must never drift apart.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/analysis_dialog.h"
#include "platform/framework.h"

namespace {

const std::string RC_PATH = std::string(MORVENDA_SOURCE_DIR) + "/app/morvenda.rc";

std::string trim(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    const std::size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// Splits at commas outside double quotes; each field trimmed.
std::vector<std::string> fields(const std::string& s) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (char c : s) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted)
            out.emplace_back();
        else
            out.back() += c;
    }
    for (std::string& f : out) f = trim(f);
    return out;
}

std::set<std::string> flags(const std::string& s) {
    std::set<std::string> out;
    std::stringstream in(s);
    std::string word;
    while (std::getline(in, word, '|')) out.insert(trim(word));
    return out;
}

std::string unquoted(const std::string& s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return "(not quoted: " + s + ")";
}

int number(const std::string& s) {
    if (s == "IDOK") return IDOK;
    if (s == "IDCANCEL") return IDCANCEL;
    int value = 0;
    char rest = 0;
    return std::sscanf(s.c_str(), "%d%c", &value, &rest) == 1 ? value : -1;
}

struct ResourceScript {
    std::vector<std::string> statements;  // lines without comments, trimmed, non-empty
    std::vector<std::string> dialog_header;
    std::vector<std::string> dialog_controls;
};

ResourceScript read_script() {
    ResourceScript script;
    std::ifstream file(RC_PATH);
    std::string line;
    bool in_dialog = false, in_body = false;
    while (std::getline(file, line)) {
        const std::size_t comment = line.find("//");
        if (comment != std::string::npos) line.erase(comment);
        line = trim(line);
        if (line.empty()) continue;
        script.statements.push_back(line);
        if (line.rfind("102 DIALOGEX", 0) == 0) in_dialog = true;
        if (!in_dialog) continue;
        if (line == "BEGIN") {
            in_body = true;
        } else if (line == "END") {
            in_dialog = in_body = false;
        } else if (in_body) {
            script.dialog_controls.push_back(line);
        } else {
            script.dialog_header.push_back(line);
        }
    }
    return script;
}

std::string header_value(const ResourceScript& script, const std::string& keyword) {
    for (const std::string& line : script.dialog_header)
        if (line.rfind(keyword + " ", 0) == 0) return trim(line.substr(keyword.size() + 1));
    return "(no " + keyword + ")";
}

ControlKind kind_of(const std::set<std::string>& style, bool& known) {
    known = true;
    if (style.count("BS_DEFPUSHBUTTON")) return ControlKind::DefPushButton;
    if (style.count("BS_PUSHBUTTON")) return ControlKind::PushButton;
    if (style.count("BS_AUTOCHECKBOX")) return ControlKind::AutoCheckBox;
    if (style.count("BS_AUTORADIOBUTTON")) return ControlKind::AutoRadioButton;
    if (style.count("BS_GROUPBOX")) return ControlKind::GroupBox;
    known = false;
    return ControlKind::PushButton;
}

TEST(DialogResource, FrameIsTheTemplatesDialog) {
    const ResourceScript script = read_script();
    ASSERT_FALSE(script.statements.empty()) << "cannot read " << RC_PATH;
    const std::string size = std::to_string(ANALYSIS_DIALOG_TEMPLATE.id) + " DIALOGEX 0, 0, " +
                             std::to_string(ANALYSIS_DIALOG_TEMPLATE.width) + ", " +
                             std::to_string(ANALYSIS_DIALOG_TEMPLATE.height);
    ASSERT_FALSE(script.dialog_header.empty()) << "no dialog 102 in " << RC_PATH;
    EXPECT_EQ(script.dialog_header.front(), size);
    EXPECT_EQ(flags(header_value(script, "STYLE")),
              (std::set<std::string>{"DS_MODALFRAME", "WS_POPUP", "WS_CAPTION", "WS_SYSMENU"}));
    EXPECT_EQ(header_value(script, "EXSTYLE"), "WS_EX_APPWINDOW");
    EXPECT_EQ(unquoted(header_value(script, "CAPTION")), ANALYSIS_DIALOG_TEMPLATE.caption);
    EXPECT_EQ(header_value(script, "FONT"), "8, \"MS Sans Serif\"");
}

TEST(DialogResource, ControlsAreTheTemplatesInOrder) {
    const ResourceScript script = read_script();
    ASSERT_EQ(static_cast<int>(script.dialog_controls.size()), ANALYSIS_DIALOG_TEMPLATE.control_count);
    for (int i = 0; i < ANALYSIS_DIALOG_TEMPLATE.control_count; ++i) {
        const DialogControl& want = ANALYSIS_DIALOG_TEMPLATE.controls[i];
        const std::string& line = script.dialog_controls[static_cast<std::size_t>(i)];
        SCOPED_TRACE(line);
        ASSERT_EQ(line.rfind("CONTROL ", 0), 0u);
        const std::vector<std::string> f = fields(line.substr(8));
        ASSERT_EQ(f.size(), 8u);  // text, id, class, style, x, y, width, height
        EXPECT_EQ(unquoted(f[0]), want.text);
        EXPECT_EQ(number(f[1]), want.id);
        EXPECT_EQ(unquoted(f[2]), "Button");
        const std::set<std::string> style = flags(f[3]);
        bool known = false;
        const ControlKind kind = kind_of(style, known);
        EXPECT_TRUE(known) << "no button kind in " << f[3];
        EXPECT_EQ(kind, want.kind);
        EXPECT_EQ(style.count("WS_GROUP") != 0, want.group);
        EXPECT_EQ(style.count("WS_TABSTOP") != 0, want.tab_stop);
        EXPECT_EQ(style.size(), 1u + (want.group ? 1u : 0u) + (want.tab_stop ? 1u : 0u)) << "unexpected style flags";
        EXPECT_EQ(number(f[4]), want.x);
        EXPECT_EQ(number(f[5]), want.y);
        EXPECT_EQ(number(f[6]), want.width);
        EXPECT_EQ(number(f[7]), want.height);
    }
}

// The icon is resource 128 and the script has no string table: without a
// title string the messages take the executable's name as their caption.
TEST(DialogResource, IconWithoutStringTable) {
    const ResourceScript script = read_script();
    const std::string icon = std::to_string(IDR_MAINFRAME) + " ICON \"morvenda.ico\"";
    int icons = 0;
    for (const std::string& line : script.statements) {
        if (line == icon) ++icons;
        EXPECT_EQ(line.find("STRINGTABLE"), std::string::npos) << line;
    }
    EXPECT_EQ(icons, 1);
    std::ifstream ico(std::string(MORVENDA_SOURCE_DIR) + "/app/morvenda.ico", std::ios::binary);
    char head[6] = {};
    ASSERT_TRUE(ico.read(head, sizeof head)) << "app/morvenda.ico is missing";
    EXPECT_EQ(std::string(head, 4), std::string("\0\0\1\0", 4)) << "not an icon file";
    EXPECT_GT(static_cast<unsigned char>(head[4]), 0) << "an icon file without images";
}

}  // namespace
