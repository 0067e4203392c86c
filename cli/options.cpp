#include "cli/options.h"

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

// The options that take no value, by short letter (0: none) and long name.
struct Flag {
    char letter;
    const char* name;
    bool CliOptions::*field;
};

const Flag FLAGS[] = {
    {'l', "log", &CliOptions::log_transformation},
    {'y', "log-y", &CliOptions::log_y},
    {'x', "extra", &CliOptions::extra_output},
    {0, "decimal-comma", &CliOptions::decimal_comma},
    {0, "clipboard", &CliOptions::clipboard},
    {'h', "help", &CliOptions::help},
    {'V', "version", &CliOptions::version},
};

const Flag* flag_for_letter(char letter) {
    for (const Flag& flag : FLAGS)
        if (flag.letter != 0 && flag.letter == letter) return &flag;
    return nullptr;
}

const Flag* flag_for_name(const std::string& name) {
    for (const Flag& flag : FLAGS)
        if (name == flag.name) return &flag;
    return nullptr;
}

}  // namespace

bool parse_options(int argc, char** argv, CliOptions& options, std::string& error) {
    options = CliOptions{ID_DESCRIPTIVE, false, false, false, "", "", InputFormat::Auto, false, false, false, false};
    bool have_input = false;
    bool only_operands = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string value;
        bool takes_value = false;
        char value_option = 0;
        std::string option_shown;  // the option as it was written, for messages

        if (only_operands || arg == "-" || arg.empty() || arg[0] != '-') {
            // An empty name is a file that cannot be read, not standard input: a
            // script's unset variable must not leave the program waiting on it.
            if (arg.empty()) {
                error = "the input file name is empty";
                return false;
            }
            if (have_input) {
                error = "more than one input file: " + arg;
                return false;
            }
            options.input_path = arg;
            have_input = true;
            continue;
        }
        if (arg == "--") {
            only_operands = true;
            continue;
        }
        if (arg.compare(0, 2, "--") == 0) {
            std::string name = arg.substr(2);
            const std::size_t eq = name.find('=');
            bool has_inline = false;
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.resize(eq);
                has_inline = true;
            }
            option_shown = "--" + name;
            if (name == "analysis" || name == "output" || name == "input-format") {
                // The input format has no short form; 'f' only names it here.
                value_option = name == "analysis" ? 'a' : name == "output" ? 'o' : 'f';
                takes_value = !has_inline;
            } else if (const Flag* flag = flag_for_name(name)) {
                if (has_inline) {
                    error = "option --" + name + " takes no value";
                    return false;
                }
                options.*flag->field = true;
            } else {
                error = "unknown option --" + name;
                return false;
            }
        } else {
            // A bundle of short options; -a and -o take the rest or the next argument.
            for (std::size_t k = 1; k < arg.size(); ++k) {
                const char letter = arg[k];
                if (letter == 'a' || letter == 'o') {
                    value_option = letter;
                    option_shown = std::string("-") + letter;
                    value = arg.substr(k + 1);
                    takes_value = value.empty();
                    break;
                }
                const Flag* flag = flag_for_letter(letter);
                if (flag == nullptr) {
                    error = letter == '-' ? "misplaced - in " + arg : std::string("unknown option -") + letter;
                    if (letter != '-' && arg.size() > 2) error += " in " + arg;
                    return false;
                }
                options.*flag->field = true;
            }
        }
        if (value_option == 0) continue;
        if (takes_value) {
            if (i + 1 >= argc) {
                error = "option " + option_shown + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (value_option == 'a') {
            options.analysis_radio_id = radio_for_name(value);
            if (options.analysis_radio_id == 0) {
                error = "unknown analysis: " + value + " (" + analysis_name_list() + ")";
                return false;
            }
        } else if (value_option == 'f') {
            if (!input_format_for_name(value, options.input_format)) {
                error = "unknown input format: " + value + " (wk1, text, csv or auto)";
                return false;
            }
        } else {
            if (value.empty()) {
                error = "option " + option_shown + " needs a file name";
                return false;
            }
            // "-" is standard output, as it is standard input for FILE.
            options.output_path = value == "-" ? "" : value;
        }
    }
    if (options.clipboard && have_input) {
        error = "--clipboard reads the clipboard, not " + options.input_path;
        return false;
    }
    if (options.clipboard && !options.output_path.empty()) {
        error = "--clipboard puts the result on the clipboard, not in " + options.output_path;
        return false;
    }
    return true;
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
        "  -o, --output FILE     write the result to FILE instead of standard output\n"
        "                        (- is standard output)\n"
        "      --input-format FORMAT\n"
        "                        wk1, text (tab-separated), csv, or auto (default):\n"
        "                        WK1 when the input starts with a WK1 record, else text\n"
        "      --decimal-comma   text and csv numbers have a decimal comma (csv then\n"
        "                        separates cells by \";\")\n"
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
