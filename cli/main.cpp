// morvenda: the command-line front end. It runs the very start-up sequence
// and dialog of the desktop program on the headless platform: the worksheet
// goes on the clipboard under "Wk1", the options become clicks on the
// dialog's controls, Calculate is pressed, and the text the analysis put on
// the clipboard is written out byte for byte.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/analysis_dialog.h"
#include "cli/options.h"
#include "platform/framework.h"
#include "platform/headless/headless.h"
#include "worksheet/data_table.h"

namespace {

// No spreadsheet block comes near this; it bounds what a stray input costs.
constexpr std::size_t MAX_INPUT_BYTES = 256u * 1024u * 1024u;

const char* const SUCCESS_SUFFIX = "results on clipboard: use Edit/Paste or CTRL-V";

enum ExitStatus { EXIT_RESULT = 0, EXIT_NO_WORKSHEET = 1, EXIT_USAGE = 2, EXIT_REFUSED = 3, EXIT_NOT_WRITTEN = 4 };

bool ends_with(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// A message box becomes one line on standard error. The success message is
// left out: the result goes to a file or standard output, not the clipboard.
void print_message(const headless::Message& message) {
    if (message.caption == MESSAGE_CAPTION && ends_with(message.text, SUCCESS_SUFFIX)) return;
    std::string text = message.text;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), text.c_str());
}

std::string program_name(const char* argv0) {
    std::string name = argv0 != nullptr ? argv0 : "morvenda";
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
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
    if (options.help) {
        std::fputs(usage_text().c_str(), stdout);
        return EXIT_RESULT;
    }
    if (options.version) {
        std::fputs("morvenda 006\n", stdout);
        return EXIT_RESULT;
    }

    std::vector<unsigned char> worksheet;
    if (!read_input(options.input_path, worksheet, error)) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        return EXIT_NO_WORKSHEET;
    }

    headless::reset();
    headless::set_application_name(name.c_str());
    headless::set_message_sink(print_message);
    headless::put_clipboard_block("Wk1", worksheet.data(), worksheet.size());

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
    if (!write_output(options.output_path, headless::clipboard_text(), error)) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
        return EXIT_NOT_WRITTEN;
    }
    return EXIT_RESULT;
}
