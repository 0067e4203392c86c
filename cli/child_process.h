// Running a helper program (a desktop clipboard tool) without a shell: its
// standard input fed from memory or from /dev/null, its standard output
// captured up to a bound, the start of its standard error kept for messages,
// and a deadline after which it is killed, so that no tool can hang the
// program or make it read without end.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct ChildRequest {
    std::string program;                 // path of the executable
    std::vector<std::string> arguments;  // after the program name
    const std::string* input;            // standard input; null: /dev/null
    std::vector<unsigned char>* output;  // standard output; null: /dev/null
    std::size_t max_output;              // more than this is a failure
    bool capture_errors;                 // keep the start of standard error
    int timeout_ms;                      // for the whole run
};

struct ChildRun {
    bool started;            // false: it could not be started (see error_text)
    bool timed_out;          // it was killed at the deadline
    bool output_too_large;   // it wrote more than max_output and was killed
    bool exited;             // it ended by exit, with exit_status
    int exit_status;
    std::string error_text;  // the start of its standard error, or why it did not start
};

ChildRun run_child(const ChildRequest& request);
