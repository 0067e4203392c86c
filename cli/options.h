// Command-line options of the morvenda program.
#pragma once

#include <string>

// How the input's bytes are read: a WK1 record stream, tab-separated text,
// comma-separated values, or WK1 when they start with a WK1 BOF record
// header and tab-separated text otherwise.
enum class InputFormat { Auto, Wk1, Text, Csv };

struct CliOptions {
    int analysis_radio_id;     // the dialog's radio button for the chosen analysis
    bool log_transformation;   // check box 1000
    bool log_y;                // check box 1001
    bool extra_output;         // check box 1002
    bool more;                 // the "More statistics" report after the analysis' own
    std::string input_path;    // "" or "-": standard input
    std::string output_path;   // "": standard output
    InputFormat input_format;
    bool decimal_comma;        // text and csv: "," is the decimal point (csv separates by ";")
    bool decimal_point_output; // with decimal_comma: the result keeps decimal points
    bool first_row_titles;     // the worksheet's first row holds titles, even where they are numbers
    bool clipboard;            // read from and write to the desktop clipboard
    bool help;
    bool version;
};

// Parses argv as GNU tools do (getopt_long): options may follow the file
// name, "--" ends them, a long option may be abbreviated while that is
// unambiguous and takes its value as "--name=VALUE" or as the next argument.
// argv is reordered so that the file name comes last. On a usage error
// returns false with a one-line reason.
bool parse_options(int argc, char** argv, CliOptions& options, std::string& error);

// The usage text, naming each offered analysis and option by the dialog's labels.
std::string usage_text();
