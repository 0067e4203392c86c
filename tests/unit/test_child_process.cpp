// Running the desktop clipboard tools: input fed while output is read, the
// output bound, and a process left behind holding the pipes. (Exit statuses,
// standard error and the deadline are checked through the clipboard tools'
// stand-ins in tests/linux_clipboard.)
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "cli/child_process.h"

namespace {

ChildRun shell(const std::string& script, const std::string* input, std::vector<unsigned char>* output,
               std::size_t max_output = 1u << 24, int timeout_ms = 5000) {
    return run_child(ChildRequest{"/bin/sh", {"-c", script}, input, output, max_output, true, timeout_ms});
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(ChildProcess, InputLargerThanAPipeComesBackWhole) {
    std::string input;
    for (int i = 0; input.size() < 3000000; ++i) input += std::to_string(i) + "\t";
    std::vector<unsigned char> output;
    const ChildRun run = shell("cat", &input, &output);
    ASSERT_TRUE(run.started && run.exited);
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(std::string(output.begin(), output.end()), input);
}

TEST(ChildProcess, OutputBeyondTheBoundEndsTheRun) {
    std::vector<unsigned char> output;
    const auto start = std::chrono::steady_clock::now();
    const ChildRun run = shell("exec yes", nullptr, &output, 100000);
    EXPECT_TRUE(run.output_too_large);
    EXPECT_FALSE(run.exited);
    EXPECT_LE(output.size(), 100000u);
    EXPECT_LT(seconds_since(start), 3.0);
}

TEST(ChildProcess, AServerLeftBehindDoesNotHoldTheRun) {
    // Like wl-copy and xclip: the tool ends, its server keeps the pipes open.
    std::vector<unsigned char> output;
    const auto start = std::chrono::steady_clock::now();
    const ChildRun run = shell("sleep 3 & echo served; echo note >&2", nullptr, &output);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(std::string(output.begin(), output.end()), "served\n");
    EXPECT_EQ(run.error_text, "note\n");
    EXPECT_LT(seconds_since(start), 2.0);
}

TEST(ChildProcess, AToolThatIgnoresItsInputDoesNotEndTheProgram) {
    const std::string input(1 << 20, 'x');
    const ChildRun run = shell("exit 0", &input, nullptr);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exit_status, 0);
}

}  // namespace
