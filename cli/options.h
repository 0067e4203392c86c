// Command-line options of the morvenda program.
#pragma once

#include <string>

struct CliOptions {
    int analysis_radio_id;     // the dialog's radio button for the chosen analysis
    bool log_transformation;   // check box 1000
    bool log_y;                // check box 1001
    bool extra_output;         // check box 1002
    std::string input_path;    // "" or "-": standard input
    std::string output_path;   // "": standard output
    bool help;
    bool version;
};

// Parses argv. On a usage error returns false with a one-line reason.
bool parse_options(int argc, char** argv, CliOptions& options, std::string& error);

// The usage text, naming each offered analysis and option by the dialog's labels.
std::string usage_text();
