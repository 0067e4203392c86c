#include "cli/options.h"

#include <getopt.h>

#include <algorithm>
#include <cstring>

#include "app/analysis_dialog.h"
#include "app/analysis_table.h"

namespace {

struct AnalysisName {
    const char* name;
    int radio_id;
};

const AnalysisName ANALYSIS_NAMES[] = {
    {"descriptive", ID_DESCRIPTIVE}, {"paired", ID_PAIRED},   {"nonpaired", ID_NONPAIRED},
    {"pearson", ID_PEARSON},         {"spearman", ID_SPEARMAN}, {"ranks", ID_SHOW_RANKS},
};

// Only analyses the program has are offered.
int radio_for_name(const std::string& name) {
    for (const AnalysisName& entry : ANALYSIS_NAMES)
        if (name == entry.name && find_analysis(entry.radio_id) != nullptr) return entry.radio_id;
    return 0;
}

const char* control_text(int id) {
    for (int i = 0; i < ANALYSIS_DIALOG_TEMPLATE.control_count; ++i)
        if (ANALYSIS_DIALOG_TEMPLATE.controls[i].id == id) return ANALYSIS_DIALOG_TEMPLATE.controls[i].text;
    return "";
}

// The offered analyses' names: "descriptive, paired, ... or ranks".
std::string analysis_name_list() {
    std::string names;
    const char* last = nullptr;
    for (const AnalysisName& entry : ANALYSIS_NAMES) {
        if (find_analysis(entry.radio_id) == nullptr) continue;
        if (last != nullptr) names += names.empty() ? last : std::string(", ") + last;
        last = entry.name;
    }
    if (last != nullptr) names += names.empty() ? last : std::string(" or ") + last;
    return names;
}

bool input_format_for_name(const std::string& name, InputFormat& format) {
    if (name == "auto") format = InputFormat::Auto;
    else if (name == "wk1") format = InputFormat::Wk1;
    else if (name == "text") format = InputFormat::Text;
    else if (name == "csv") format = InputFormat::Csv;
    else return false;
    return true;
}

// What getopt_long returns for each option. A short option is its letter,
// and its long spelling the letter plus LONG_SPELLING, so that a message can
// name the option as it was written; the long-only options have codes of
// their own, beyond every spelling of a letter.
constexpr int LONG_SPELLING = 0x100;
enum LongOnlyOption : int { OPTION_INPUT_FORMAT = 0x200, OPTION_DECIMAL_COMMA, OPTION_CLIPBOARD,
                             OPTION_DECIMAL_POINT_OUTPUT, OPTION_FIRST_ROW_TITLES };

// The leading ':' makes a missing value ':' rather than '?'.
const char SHORT_OPTIONS[] = ":a:lyxmo:hV";

const option LONG_OPTIONS[] = {
    {"analysis", required_argument, nullptr, LONG_SPELLING + 'a'},
    {"log", no_argument, nullptr, LONG_SPELLING + 'l'},
    {"log-y", no_argument, nullptr, LONG_SPELLING + 'y'},
    {"extra", no_argument, nullptr, LONG_SPELLING + 'x'},
    {"more", no_argument, nullptr, LONG_SPELLING + 'm'},
    {"output", required_argument, nullptr, LONG_SPELLING + 'o'},
    {"input-format", required_argument, nullptr, OPTION_INPUT_FORMAT},
    {"decimal-comma", no_argument, nullptr, OPTION_DECIMAL_COMMA},
    {"clipboard", no_argument, nullptr, OPTION_CLIPBOARD},
    {"decimal-point-output", no_argument, nullptr, OPTION_DECIMAL_POINT_OUTPUT},
    {"first-row-titles", no_argument, nullptr, OPTION_FIRST_ROW_TITLES},
    {"help", no_argument, nullptr, LONG_SPELLING + 'h'},
    {"version", no_argument, nullptr, LONG_SPELLING + 'V'},
    {nullptr, 0, nullptr, 0},
};

// The option a code stands for however it was spelled: its letter, or its
// long-only code.
int option_of(int code) { return code >= LONG_SPELLING && code < OPTION_INPUT_FORMAT ? code - LONG_SPELLING : code; }

// The option as it was written: "-a" or "--analysis".
std::string option_name(int code) {
    if (code < LONG_SPELLING) return std::string("-") + static_cast<char>(code);
    for (const option& o : LONG_OPTIONS)
        if (o.name != nullptr && o.val == code) return std::string("--") + o.name;
    return "?";
}

// The options that take no value.
struct Flag {
    int option;
    bool CliOptions::*field;
};

const Flag FLAGS[] = {
    {'l', &CliOptions::log_transformation},
    {'y', &CliOptions::log_y},
    {'x', &CliOptions::extra_output},
    {'m', &CliOptions::more},
    {OPTION_DECIMAL_COMMA, &CliOptions::decimal_comma},
    {OPTION_CLIPBOARD, &CliOptions::clipboard},
    {OPTION_DECIMAL_POINT_OUTPUT, &CliOptions::decimal_point_output},
    {OPTION_FIRST_ROW_TITLES, &CliOptions::first_row_titles},
    {'h', &CliOptions::help},
    {'V', &CliOptions::version},
};

// Sets what one option getopt_long returned chooses; `error` says why when
// its value is unusable.
void take_option(int code, const std::string& value, CliOptions& options, std::string& error) {
    const int which = option_of(code);
    for (const Flag& flag : FLAGS)
        if (flag.option == which) options.*flag.field = true;
    if (which == 'a') {
        options.analysis_radio_id = radio_for_name(value);
        if (options.analysis_radio_id == 0) error = "unknown analysis: " + value + " (" + analysis_name_list() + ")";
    } else if (which == OPTION_INPUT_FORMAT) {
        if (!input_format_for_name(value, options.input_format))
            error = "unknown input format: " + value + " (wk1, text, csv or auto)";
    } else if (which == 'o') {
        if (value.empty()) error = "option " + option_name(code) + " needs a file name";
        // "-" is standard output, as it is standard input for FILE.
        options.output_path = value == "-" ? "" : value;
    }
}

bool is_option_argument(const char* arg) { return arg[0] == '-' && arg[1] != '\0'; }

// The argument that held the letter getopt_long has just refused. It moves
// optind past an argument as it takes the argument's last letter, so that is
// argv[optind - 1] when it is an option this call reached (at or after
// `first`, where optind stood before the call), else argv[optind].
std::string argument_of_letter(int argc, char** argv, int first) {
    if (optind - 1 >= first && optind - 1 < argc && is_option_argument(argv[optind - 1])) return argv[optind - 1];
    return optind < argc ? argv[optind] : "";
}

// Why getopt_long refused a long option `name` (as written, without "--"
// and value): none begins so, or more than one does.
std::string refused_long_option(const std::string& name) {
    std::string matches;
    int count = 0;
    for (const option& o : LONG_OPTIONS) {
        if (o.name == nullptr || name.empty() || std::strncmp(o.name, name.c_str(), name.size()) != 0) continue;
        matches += std::string(count++ == 0 ? "" : ", ") + "--" + o.name;
    }
    return count > 1 ? "option --" + name + " is ambiguous (" + matches + ")" : "unknown option --" + name;
}

// The reason getopt_long returned '?': an unknown or ambiguous long option,
// a value given to a long option that takes none, or an unknown letter.
std::string refusal(int argc, char** argv, int first) {
    if (optopt >= LONG_SPELLING) return "option " + option_name(optopt) + " takes no value";
    if (optopt == 0) {  // getopt_long has moved past the long option
        const char* written = optind >= 1 && optind - 1 < argc ? argv[optind - 1] : "";
        std::string name = std::strncmp(written, "--", 2) == 0 ? written + 2 : written;
        name.resize(std::min(name.find('='), name.size()));
        return refused_long_option(name);
    }
    const std::string argument = argument_of_letter(argc, argv, first);
    const char letter = static_cast<char>(optopt);
    if (letter == '-') return "misplaced - in " + argument;
    return std::string("unknown option -") + letter + (argument.size() > 2 ? " in " + argument : "");
}

// The arguments left once the options are taken: at most one input file.
bool take_operands(int argc, char** argv, int first, CliOptions& options, std::string& error) {
    for (int i = first; i < argc; ++i) {
        // An empty name is a file that cannot be read, not standard input: a
        // script's unset variable must not leave the program waiting on it.
        if (argv[i][0] == '\0') error = "the input file name is empty";
        else if (i > first) error = std::string("more than one input file: ") + argv[i];
        if (!error.empty()) return false;
        options.input_path = argv[i];
    }
    return true;
}

bool check_clipboard_use(const CliOptions& options, bool have_input, std::string& error) {
    if (options.clipboard && have_input) error = "--clipboard reads the clipboard, not " + options.input_path;
    else if (options.clipboard && !options.output_path.empty())
        error = "--clipboard puts the result on the clipboard, not in " + options.output_path;
    return error.empty();
}

}  // namespace

bool parse_options(int argc, char** argv, CliOptions& options, std::string& error) {
    options = CliOptions{ID_DESCRIPTIVE, false, false, false, false, "", "", InputFormat::Auto, false, false, false, false, false, false};
    error.clear();
    optind = 0;  // a fresh scan, also when called again
    opterr = 0;  // the messages are ours
    for (;;) {
        const int first = optind > 0 ? optind : 1;
        const int code = getopt_long(argc, argv, SHORT_OPTIONS, LONG_OPTIONS, nullptr);
        if (code == -1) break;
        if (code == '?') error = refusal(argc, argv, first);
        else if (code == ':') error = "option " + option_name(optopt) + " needs a value";
        else take_option(code, optarg != nullptr ? optarg : "", options, error);
        if (!error.empty()) return false;
    }
    // getopt_long has moved the file names after the options.
    return take_operands(argc, argv, optind, options, error) && check_clipboard_use(options, optind < argc, error);
}

std::string usage_text() {
    std::string text =
        "Usage: morvenda [OPTION]... [FILE]\n"
        "Runs one analysis on a worksheet and writes the result as tab-separated text.\n"
        "FILE holds what a spreadsheet puts on the clipboard as \"Wk1\" (a .wk1 file is one),\n"
        "or the cells as text: tab-separated lines, or comma-separated values;\n"
        "without FILE, or when FILE is -, the worksheet is read from standard input.\n"
        "\n"
        "  -a, --analysis NAME   the analysis (default descriptive):\n";
    for (const AnalysisName& entry : ANALYSIS_NAMES) {
        if (find_analysis(entry.radio_id) == nullptr) continue;
        std::string line = "      ";
        line += entry.name;
        line.append(line.size() < 22 ? 22 - line.size() : 1, ' ');
        line += std::string("\"") + control_text(entry.radio_id) + "\"\n";
        text += line;
    }
    text += std::string("  -l, --log             \"") + control_text(ID_LOG_TRANSFORMATION) + "\"\n";
    text += std::string("  -y, --log-y           \"") + control_text(ID_LOG_Y) + "\"\n";
    text += std::string("  -x, --extra           \"") + control_text(ID_EXTRA_OUTPUT) + "\"\n";
    text +=
        "  -m, --more            after the result, the \"More statistics\" report (effect\n"
        "                        sizes with intervals, rank tests with exact p,\n"
        "                        Hodges-Lehmann shifts, agreement limits, adjusted p);\n"
        "                        ranks has none\n"
        "  -o, --output FILE     write the result to FILE instead of standard output\n"
        "                        (- is standard output)\n"
        "      --input-format FORMAT\n"
        "                        wk1, text (tab-separated), csv, or auto (default):\n"
        "                        WK1 when the input starts with a WK1 record, else text\n"
        "      --decimal-comma   text and csv numbers have a decimal comma (csv then\n"
        "                        separates cells by \";\"); the result is then written\n"
        "                        with a decimal comma too\n"
        "      --decimal-point-output\n"
        "                        with --decimal-comma, write the result with decimal points\n"
        "      --first-row-titles\n"
        "                        the first row holds titles, even numbers such as 2019:\n"
        "                        its cells are missing values\n"
        "      --clipboard       read the worksheet from the desktop clipboard (\"Wk1\"\n"
        "                        when offered, else text) and put the result back on it,\n"
        "                        with wl-paste/wl-copy (Wayland) or xclip (X11)\n"
        "  -h, --help            show this help and exit\n"
        "  -V, --version         show the version and exit\n"
        "\n"
        "Messages go to standard error as \"caption: text\".\n"
        "Exit status: 0 result written; 1 no usable worksheet; 2 usage error;\n"
        "3 the analysis refused its input; 4 the result could not be written.\n";
    return text;
}
