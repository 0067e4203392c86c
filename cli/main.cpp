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
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analyses/analysis_status.h"
#include "analyses/more_statistics.h"
#include "app/analysis_dialog.h"
#include "app/analysis_table.h"
#include "cli/desktop_clipboard.h"
#include "cli/options.h"
#include "platform/framework.h"
#include "platform/headless/headless.h"
#include "worksheet/data_table.h"
#include "worksheet/decimal_comma.h"
#include "worksheet/text_input.h"
#include "worksheet/title_row.h"
#include "worksheet/wk1_reader.h"

namespace {

// No spreadsheet block comes near this; it bounds what a stray input costs.
constexpr std::size_t MAX_INPUT_BYTES = 256u * 1024u * 1024u;

// From this size on a worksheet fills enough of the data table that one
// large page costs less than the small pages it would touch.
constexpr std::size_t LARGE_WORKSHEET_BYTES = 256u * 1024u;

enum ExitStatus { EXIT_RESULT = 0, EXIT_NO_WORKSHEET = 1, EXIT_USAGE = 2, EXIT_REFUSED = 3, EXIT_NOT_WRITTEN = 4 };

// A message box becomes one line on standard error: "caption: text", the
// text without its trailing line breaks.
void print_message_line(const headless::Message& message) {
    std::string text = message.text;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), text.c_str());
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
    // A file that tells its size (standard input too, when it is one) is
    // read in one go into a buffer of that size, with room for the
    // terminator the clipboard adds; whatever follows, or a stream of
    // unknown size, in chunks.
    const long start = std::ftell(file);
    if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file) - start;
        std::fseek(file, start, SEEK_SET);
        if (size > 0 && static_cast<unsigned long>(size) <= MAX_INPUT_BYTES) {
            bytes.reserve(static_cast<std::size_t>(size) + 1);
            bytes.resize(static_cast<std::size_t>(size));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        }
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

// A file named *.csv in any case, as spreadsheets save comma-separated values.
bool names_csv_file(const std::string& path) {
    const std::size_t n = path.size();
    if (n < 4 || path[n - 4] != '.') return false;
    std::string extension = path.substr(n - 3);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == "csv";
}

// Tells on standard error how many cells of tab-separated text were read
// as missing though they are numbers with the other decimal separator (a
// decimal comma, or thousands separators, in a worksheet read with a point).
void report_other_point_cells(const std::string& name, const TextBlock& text, bool decimal_comma) {
    if (text.other_point_count == 0) return;
    std::fprintf(stderr, "%s: %zu %s such as \"%s\" were read as missing: %s\n", name.c_str(),
                 text.other_point_count, text.other_point_count == 1 ? "cell" : "cells", text.other_point_example,
                 decimal_comma ? "numbers with a decimal point are read without --decimal-comma"
                               : "numbers with a decimal comma are read with --decimal-comma");
}

// Puts the worksheet on the headless clipboard as its "Wk1" block, the input
// in its format (not Auto): WK1 input as it is, text as the WK1 record stream
// of its cells (UTF-16 text first becomes UTF-8), written in place on the
// clipboard's room for it. Text in which no cell holds a value (an empty
// input, a sentence) is no worksheet, as on the Windows clipboard: it becomes
// an empty block, which the reader refuses as it refuses an empty clipboard.
// With first-row titles, the block with its first row made missing.
void put_worksheet_block(const std::string& name, std::vector<unsigned char> input, InputFormat format,
                         const CliOptions& options) {
    if (format == InputFormat::Wk1) {
        if (options.first_row_titles) input = first_row_as_titles(input.data(), input.size());
        headless::put_clipboard_block("Wk1", std::move(input));
        return;
    }
    const TextRequest request{format == InputFormat::Csv ? TextFormat::Commas : TextFormat::Tabs,
                              options.decimal_comma,
                              format == InputFormat::Text ? OtherPointScope::Whole : OtherPointScope::None, false};
    std::unique_ptr<unsigned char[]> block = headless::new_clipboard_bytes(TEXT_WK1_CAPACITY);
    const TextBlock text = text_worksheet_block(input.data(), input.size(), request, block.get(), TEXT_WK1_CAPACITY);
    report_other_point_cells(name, text, options.decimal_comma);
    const std::size_t size = text.values ? text.block_size : 0;
    if (options.first_row_titles)
        headless::put_clipboard_block("Wk1", first_row_as_titles(block.get(), size));
    else
        headless::put_clipboard_block("Wk1", std::move(block), size);
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

bool write_output(const std::string& path, std::string_view text, std::string& error) {
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

// The worksheet as fetched, before it goes on the headless clipboard.
struct Input {
    std::vector<unsigned char> bytes;
    InputFormat format;
    bool found;                // false: the desktop clipboard offers no worksheet
    DesktopClipboard desktop;  // with --clipboard: where the result goes back
};

std::string input_shown(const CliOptions& options) {
    if (options.clipboard) return "the clipboard";
    return options.input_path.empty() || options.input_path == "-" ? "standard input" : options.input_path;
}

// Auto: WK1 when the input starts with a WK1 record, else text (comma-
// separated in a file named *.csv), unless it is neither.
bool settle_auto_format(const std::string& name, const CliOptions& options, Input& input) {
    if (input.format != InputFormat::Auto) return true;
    if (starts_with_wk1_bof(input.bytes.data(), input.bytes.size())) {
        input.format = InputFormat::Wk1;
    } else if (is_text_bytes(input.bytes.data(), input.bytes.size())) {
        input.format = names_csv_file(options.input_path) ? InputFormat::Csv : InputFormat::Text;
    } else {
        std::fprintf(stderr, "%s: %s is neither a WK1 worksheet nor text (--input-format chooses how to read it)\n",
                     name.c_str(), input_shown(options).c_str());
        return false;
    }
    return true;
}

// Reads the worksheet from the file, standard input or the desktop
// clipboard, and settles its format; false after saying why not.
bool fetch_worksheet(const std::string& name, const CliOptions& options, Input& input) {
    std::string error;
    input.format = options.input_format;
    input.found = true;
    const bool fetched =
        options.clipboard ? find_desktop_clipboard(input.desktop, error) &&
                                read_desktop_clipboard(name, input.desktop, input.format, input.found, input.bytes, error)
                          : read_input(options.input_path, input.bytes, error);
    if (!fetched) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        return false;
    }
    return settle_auto_format(name, options, input);
}

// The options as what the user does in the dialog: check boxes, the
// analysis' radio button, Calculate.
std::vector<headless::DialogAction> dialog_actions(const CliOptions& options) {
    std::vector<headless::DialogAction> actions;
    if (options.log_transformation) actions.push_back({headless::ActionKind::Click, ID_LOG_TRANSFORMATION});
    if (options.log_y) actions.push_back({headless::ActionKind::Click, ID_LOG_Y});
    if (options.extra_output) actions.push_back({headless::ActionKind::Click, ID_EXTRA_OUTPUT});
    actions.push_back({headless::ActionKind::Click, options.analysis_radio_id});
    actions.push_back({headless::ActionKind::Ok, 0});
    return actions;
}

// Runs the desktop program's start-up sequence and dialog on the headless
// platform, with the worksheet on its clipboard under "Wk1".
void run_desktop_program(const std::string& name, const CliOptions& options, Input& input) {
    // A worksheet near the data table's capacity fills its every page.
    if (input.bytes.size() >= LARGE_WORKSHEET_BYTES) headless::prefer_large_pages(data_rows, sizeof data_rows);
    headless::reset();
    headless::set_application_name(name.c_str());
    if (input.found) put_worksheet_block(name, std::move(input.bytes), input.format, options);
    headless::set_dialog_actions(dialog_actions(options));
    CWinApp* application = AfxGetApp();
    if (application != nullptr) application->InitInstance();
}

// An analysis ran and its result went on the headless clipboard: Calculate
// then showed the success message, as the last message of the run.
bool analysis_succeeded() {
    return headless::dialogs_shown() > 0 && last_run_status == ANALYSIS_OK && find_analysis(analysis_kind) != nullptr;
}

// The exit status of the run, after its messages; the success message is
// left out, as the result goes to a file or standard output, or kept in
// `success` until the result is on the desktop clipboard.
int report_run(headless::Message& success) {
    std::vector<headless::Message> messages = headless::messages();
    const bool succeeded = analysis_succeeded();
    if (succeeded && !messages.empty()) {
        success = messages.back();
        messages.pop_back();
    }
    for (const headless::Message& message : messages) print_message_line(message);
    if (headless::dialogs_shown() == 0) return EXIT_NO_WORKSHEET;
    if (last_run_status == ANALYSIS_PUBLISH_FAILED) return EXIT_NOT_WRITTEN;
    return succeeded ? EXIT_RESULT : EXIT_REFUSED;
}

// With --more: the analysis' text, its last line ended, an empty line and
// the "More statistics" report; the text alone when there is no report.
std::string with_more_statistics(const CliOptions& options, std::string_view text) {
    static char more[MORE_TEXT_CAPACITY];
    const AnalysisKind* analysis = find_analysis(options.analysis_radio_id);
    const int length = analysis == nullptr ? 0 : write_more_statistics(analysis->more, more, MORE_TEXT_CAPACITY);
    std::string result(text);
    if (length <= 0) return result;
    if (!result.empty() && result.back() != '\n') result += '\n';
    result += '\n';
    result.append(more, static_cast<std::size_t>(length));
    return result;
}

int write_result(const std::string& name, const CliOptions& options, const Input& input,
                 const headless::Message& success) {
    std::string error;
    // Text read with a decimal comma gets its result back with one, the
    // "More statistics" report too; a WK1 worksheet's result is written as
    // it always was.
    std::string text = options.more ? with_more_statistics(options, headless::clipboard_text_view())
                                    : headless::clipboard_text();
    if (options.decimal_comma && !options.decimal_point_output && input.format != InputFormat::Wk1)
        write_decimal_comma(text.data(), text.size());
    const bool written = options.clipboard ? write_clipboard_text(input.desktop, text, error)
                                           : write_output(options.output_path, text, error);
    if (!written) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        return EXIT_NOT_WRITTEN;
    }
    if (options.clipboard && !success.text.empty()) print_message_line(success);
    return EXIT_RESULT;
}

int show_help_or_version(const std::string& name, const CliOptions& options) {
    std::string error;
    if (!write_output("", options.help ? usage_text() : std::string("morvenda " MORVENDA_VERSION "\n"), error)) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        return EXIT_NOT_WRITTEN;
    }
    return EXIT_RESULT;
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
    if (options.help || options.version) return show_help_or_version(name, options);

    Input input{};
    if (!fetch_worksheet(name, options, input)) return EXIT_NO_WORKSHEET;
    run_desktop_program(name, options, input);
    headless::Message success;
    const int run_status = report_run(success);
    return run_status == EXIT_RESULT ? write_result(name, options, input, success) : run_status;
}
