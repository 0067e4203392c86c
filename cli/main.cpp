// morvenda: the command-line front end. It runs the very start-up sequence
// and dialog of the desktop program on the headless platform: the worksheet
// goes on the clipboard under "Wk1", the options become clicks on the
// dialog's controls, Calculate is pressed, and the text the analysis put on
// the clipboard is written out byte for byte.
//
// A worksheet given as text is first written as the WK1 record stream of its
// cells, so text and WK1 go through the same reader and give the same
// results. With --clipboard the worksheet comes from the desktop clipboard
// and the result goes back there.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/analysis_dialog.h"
#include "cli/desktop_clipboard.h"
#include "cli/options.h"
#include "cli/text_input.h"
#include "platform/framework.h"
#include "platform/headless/headless.h"
#include "worksheet/data_table.h"
#include "worksheet/text_reader.h"

namespace {

// No spreadsheet block comes near this; it bounds what a stray input costs.
constexpr std::size_t MAX_INPUT_BYTES = 256u * 1024u * 1024u;

const char* const SUCCESS_SUFFIX = "results on clipboard: use Edit/Paste or CTRL-V";

enum ExitStatus { EXIT_RESULT = 0, EXIT_NO_WORKSHEET = 1, EXIT_USAGE = 2, EXIT_REFUSED = 3, EXIT_NOT_WRITTEN = 4 };

bool ends_with(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// With --clipboard the success message is true only once the result is on
// the desktop clipboard, so it waits here until then.
bool hold_success_message = false;
std::string held_success_message;

void print_message_line(const headless::Message& message) {
    std::string text = message.text;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), text.c_str());
}

// A message box becomes one line on standard error. The success message is
// left out when the result goes to a file or standard output, not the
// clipboard.
void print_message(const headless::Message& message) {
    if (message.caption == MESSAGE_CAPTION && ends_with(message.text, SUCCESS_SUFFIX)) {
        if (hold_success_message) held_success_message = message.text;
        return;
    }
    print_message_line(message);
}

std::string program_name(const char* argv0) {
    std::string name = argv0 != nullptr ? argv0 : "morvenda";
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name.empty() ? "morvenda" : name;
}

bool read_input(const std::string& path, std::vector<unsigned char>& bytes, std::string& error) {
    const bool from_stdin = path.empty() || path == "-";
    std::FILE* file = from_stdin ? stdin : std::fopen(path.c_str(), "rb");
    const std::string shown = from_stdin ? "standard input" : path;
    if (file == nullptr) {
        error = "cannot read " + shown + ": " + std::strerror(errno);
        return false;
    }
    unsigned char chunk[65536];
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, file);
        if (n > 0) {
            if (bytes.size() + n > MAX_INPUT_BYTES) {
                error = "cannot read " + shown + ": larger than any worksheet Morvenda reads";
                ok = false;
                break;
            }
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
        if (n < sizeof chunk) {
            if (std::ferror(file)) {
                error = "cannot read " + shown + ": " + std::strerror(errno);
                ok = false;
            }
            break;
        }
    }
    if (!from_stdin) std::fclose(file);
    return ok;
}

bool starts_with_wk1_bof(const std::vector<unsigned char>& bytes) {
    return bytes.size() >= 4 && bytes[0] == 0x00 && bytes[1] == 0x00 && bytes[2] == 0x02 && bytes[3] == 0x00;
}

// A file named *.csv in any case, as spreadsheets save comma-separated values.
bool names_csv_file(const std::string& path) {
    const std::size_t n = path.size();
    if (n < 4 || path[n - 4] != '.') return false;
    std::string extension = path.substr(n - 3);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == "csv";
}

// Text has no NUL bytes; a program, an image or a zipped spreadsheet file
// almost always does. UTF-16 text is told by its byte order mark.
bool looks_like_text(const std::vector<unsigned char>& input) {
    return has_utf16_mark(input) || std::find(input.begin(), input.end(), 0) == input.end();
}

// Tells on standard error how many cells of tab-separated text were read
// as missing though they are numbers with the other decimal separator (a
// decimal comma, or thousands separators, in a worksheet read with a point).
void report_other_point_cells(const std::string& name, const std::vector<unsigned char>& text, bool decimal_comma) {
    const OtherPointCells cells = find_other_point_cells(text, decimal_comma);
    if (cells.count == 0) return;
    std::fprintf(stderr, "%s: %zu %s such as \"%s\" were read as missing: %s\n", name.c_str(), cells.count,
                 cells.count == 1 ? "cell" : "cells", cells.example.c_str(),
                 decimal_comma ? "numbers with a decimal point are read without --decimal-comma"
                               : "numbers with a decimal comma are read with --decimal-comma");
}

// The "Wk1" block for the input in its format (not Auto): WK1 input as it
// is, text as the WK1 record stream of its cells (UTF-16 text first becomes
// UTF-8). Empty input in any format is an empty block, which the reader
// refuses as it refuses an empty clipboard.
std::vector<unsigned char> worksheet_block(const std::string& name, std::vector<unsigned char> input,
                                           InputFormat format, bool decimal_comma) {
    if (format == InputFormat::Wk1) return input;
    convert_utf16_text(input);
    if (input.empty()) return input;
    if (format == InputFormat::Text) report_other_point_cells(name, input, decimal_comma);
    std::vector<unsigned char> block(TEXT_WK1_CAPACITY);
    const TextFormat text_format = format == InputFormat::Csv ? TextFormat::Commas : TextFormat::Tabs;
    block.resize(text_worksheet_to_wk1(input.data(), input.size(), text_format, decimal_comma, block.data(),
                                       block.size()));
    return block;
}

// Fetches the worksheet from the desktop clipboard: the "Wk1" target when it
// is offered and the format allows it, else a text target. `found` is false
// when the clipboard offers neither; the program then finds no worksheet, as
// the desktop program does.
bool read_desktop_clipboard(const std::string& name, const DesktopClipboard& clipboard, InputFormat& format,
                            bool& found, std::vector<unsigned char>& bytes, std::string& error) {
    std::vector<std::string> targets;
    std::string note;
    found = false;
    if (!list_clipboard_targets(clipboard, targets, note, error)) return false;
    if (!note.empty()) std::fprintf(stderr, "%s: %s\n", name.c_str(), note.c_str());
    std::string target;
    const bool wk1_offered = std::find(targets.begin(), targets.end(), WK1_TARGET) != targets.end();
    if ((format == InputFormat::Auto || format == InputFormat::Wk1) && wk1_offered) {
        target = WK1_TARGET;
        format = InputFormat::Wk1;
    } else if (format != InputFormat::Wk1) {
        target = choose_text_target(targets);
        if (format == InputFormat::Auto) format = InputFormat::Text;
    }
    if (target.empty()) return true;
    found = true;
    return read_clipboard_target(clipboard, target, bytes, MAX_INPUT_BYTES, error);
}

bool write_output(const std::string& path, const std::string& text, std::string& error) {
    const bool to_stdout = path.empty();
    std::FILE* file = to_stdout ? stdout : std::fopen(path.c_str(), "wb");
    const std::string shown = to_stdout ? "standard output" : path;
    if (file == nullptr) {
        error = "cannot write " + shown + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = (std::fflush(file) == 0) && ok;
    if (!to_stdout) ok = (std::fclose(file) == 0) && ok;
    if (!ok) error = "cannot write " + shown + ": " + std::strerror(errno);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string name = program_name(argc > 0 ? argv[0] : nullptr);
    CliOptions options;
    std::string error;
    if (!parse_options(argc, argv, options, error)) {
        std::fprintf(stderr, "%s: %s\nUsage: %s [OPTION]... [FILE]\nTry '%s --help' for more information.\n",
                     name.c_str(), error.c_str(), name.c_str(), name.c_str());
        return EXIT_USAGE;
    }
    if (options.help || options.version) {
        const std::string text = options.help ? usage_text() : std::string("morvenda " MORVENDA_VERSION "\n");
        if (!write_output("", text, error)) {
            std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
            return EXIT_NOT_WRITTEN;
        }
        return EXIT_RESULT;
    }

    std::vector<unsigned char> input;
    DesktopClipboard desktop{};
    InputFormat format = options.input_format;
    bool have_worksheet = true;
    const bool fetched = options.clipboard
                          ? find_desktop_clipboard(desktop, error) &&
                                read_desktop_clipboard(name, desktop, format, have_worksheet, input, error)
                          : read_input(options.input_path, input, error);
    if (!fetched) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        return EXIT_NO_WORKSHEET;
    }
    // Auto: WK1 when the input starts with a WK1 record, else text (comma-
    // separated in a file named *.csv), unless it is neither.
    if (format == InputFormat::Auto) {
        if (starts_with_wk1_bof(input)) {
            format = InputFormat::Wk1;
        } else if (looks_like_text(input)) {
            format = names_csv_file(options.input_path) ? InputFormat::Csv : InputFormat::Text;
        } else {
            const std::string shown = options.clipboard ? "the clipboard"
                                      : options.input_path.empty() || options.input_path == "-" ? "standard input"
                                                                                                 : options.input_path;
            std::fprintf(stderr, "%s: %s is neither a WK1 worksheet nor text (--input-format chooses how to read it)\n",
                         name.c_str(), shown.c_str());
            return EXIT_NO_WORKSHEET;
        }
    }

    headless::reset();
    headless::set_application_name(name.c_str());
    headless::set_message_sink(print_message);
    hold_success_message = options.clipboard;
    if (have_worksheet) {
        const std::vector<unsigned char> block = worksheet_block(name, std::move(input), format, options.decimal_comma);
        headless::put_clipboard_block("Wk1", block.data(), block.size());
    }

    std::vector<headless::DialogAction> actions;
    if (options.log_transformation) actions.push_back({headless::ActionKind::Click, ID_LOG_TRANSFORMATION});
    if (options.log_y) actions.push_back({headless::ActionKind::Click, ID_LOG_Y});
    if (options.extra_output) actions.push_back({headless::ActionKind::Click, ID_EXTRA_OUTPUT});
    actions.push_back({headless::ActionKind::Click, options.analysis_radio_id});
    actions.push_back({headless::ActionKind::Ok, 0});
    headless::set_dialog_actions(actions);

    CWinApp* application = AfxGetApp();
    if (application == nullptr) return EXIT_NO_WORKSHEET;
    application->InitInstance();

    if (headless::dialogs_shown() == 0) return EXIT_NO_WORKSHEET;
    if (status == 4) return EXIT_NOT_WRITTEN;
    if (status != 0) return EXIT_REFUSED;
    const bool written = options.clipboard ? write_clipboard_text(desktop, headless::clipboard_text(), error)
                                           : write_output(options.output_path, headless::clipboard_text(), error);
    if (!written) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        return EXIT_NOT_WRITTEN;
    }
    if (!held_success_message.empty()) print_message_line({MESSAGE_CAPTION, held_success_message});
    return EXIT_RESULT;
}
