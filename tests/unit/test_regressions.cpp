// Worksheets that once crashed the program or broke one of its invariants,
// replayed through the whole program. Each file in tests/regression/ holds
// the two bytes that choose analysis, options and fault, then the "Wk1"
// block (see fuzz/fuzz_program.h). Every case must meet all invariants of
// fuzz/invariants.h and give its expected status, messages and text.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "fuzz/fuzz_program.h"
#include "fuzz/invariants.h"
#include "worksheet/wk1_reader.h"

namespace {

struct RegressionCase {
    const char* file;        // in tests/regression/
    int status;              // status after the run
    std::vector<std::string> messages;  // texts of every message box, in order
    std::vector<std::string> in_text;   // pieces the result text must hold
};

const char* const SPEARMAN_DONE = "Spearman results on clipboard: use Edit/Paste or CTRL-V";
const char* const PEARSON_DONE = "Pearson results on clipboard: use Edit/Paste or CTRL-V";
const char* const DESCRIPTIVE_DONE = "Descriptive results on clipboard: use Edit/Paste or CTRL-V";

const RegressionCase CASES[] = {
    // Spearman, Extra output, log-y: a big cell's estimate (big_value) beyond
    // the missing bound went into the pair table, the group summaries read
    // it as missing, and the pair count no longer matched the ranks: matrix
    // coefficients of -1.12 and -1.77.
    {"spearman_substitute_beyond_bound.bin", 0, {SPEARMAN_DONE}, {}},
    // The same made by hand: column 1 rises to 9.9e8 and ends in a ">" cell
    // whose estimate is about 1.16e9; the coefficient with it is not
    // available (it read -0.7286 over mismatched ranks).
    {"spearman_big_estimate_beyond_bound.bin", 0, {SPEARMAN_DONE}, {"Rho\t#n/a\n", "N\t20\n"}},
    // Descriptive, Extra output and log: text with columns of one repeated
    // value (16 times 13, 12 ...) whose logarithms are not exact. The spread
    // j Sum y^2 - (Sum y)^2 left rounding noise, and "% Deviation from
    // normal (log)" read -700, -200 and -80.
    {"descriptive_constant_log_columns_from_text.bin", 0, {DESCRIPTIVE_DONE}, {}},
    // The same made by hand: 16 times 3.3, 6 times 7.7, 16 times
    // 100000000.1. Their SD is 0 and they have no deviation from normal (it
    // read -300, 100 and 0, the log one 33.3 and -125, and the third SD
    // 1.4606).
    {"descriptive_constant_columns.bin", 0, {DESCRIPTIVE_DONE},
     {"      0.0000\t      0.0000\t      0.0000\tSD\n", "\t\t\t% Deviation from normal\n",
      "\t\t\t% Deviation from normal (log)\n"}},
    {"descriptive_constant_columns_log.bin", 0, {DESCRIPTIVE_DONE},
     {"      1.0000\t      1.0000\t      1.0000\tGSD\n", "\t\t\t% Deviation from normal (log)\n"}},
    // Pearson, Extra output: two pairs whose x values differ by 2.3e-161.
    // The squares of such distances are subnormal and lost their digits, so
    // the matrix held a coefficient of 1.0032.
    {"pearson_tiny_distances.bin", 0, {PEARSON_DONE}, {}},
};

void PrintTo(const RegressionCase& c, std::ostream* os) { *os << c.file; }

std::vector<uint8_t> read_file(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    unsigned char chunk[4096];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    return bytes;
}

class Regression : public ::testing::TestWithParam<RegressionCase> {};

TEST_P(Regression, ReplaysWithinEveryInvariant) {
    const RegressionCase& c = GetParam();
    const std::vector<uint8_t> input = read_file(std::string(MORVENDA_SOURCE_DIR) + "/tests/regression/" + c.file);
    ASSERT_GE(input.size(), fuzz::HEADER_BYTES) << c.file;
    const fuzz::ProgramInput in = fuzz::decode_header(input.data(), input.size());
    const uint8_t* wk1 = input.data() + fuzz::HEADER_BYTES;
    const std::size_t size = input.size() - fuzz::HEADER_BYTES;

    reset_process_state();
    const fuzz::Decoded decoded{decode_wk1(wk1, size), row_count, column_count};
    fuzz::run_program(in, wk1, size);

    EXPECT_EQ(fuzz::check_run(in, size, decoded), "");
    EXPECT_EQ(last_run_status, c.status);
    std::vector<std::string> texts;
    for (const headless::Message& m : headless::messages()) texts.push_back(m.text);
    EXPECT_EQ(texts, c.messages);
    const std::string text = headless::clipboard_text();
    for (const std::string& piece : c.in_text) EXPECT_NE(text.find(piece), std::string::npos) << piece;
}

std::string case_name(const ::testing::TestParamInfo<RegressionCase>& info) {
    std::string name = info.param.file;
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Fuzzing, Regression, ::testing::ValuesIn(CASES), case_name);

}  // namespace
