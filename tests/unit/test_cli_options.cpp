// Command-line options: what each spelling sets, and usage errors that name
// the option as it was written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/analysis_dialog.h"
#include "cli/options.h"

namespace {

struct Parsed {
    bool ok;
    CliOptions options;
    std::string error;
};

Parsed parse(std::vector<std::string> args) {
    args.insert(args.begin(), "morvenda");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    Parsed parsed{};
    parsed.ok = parse_options(static_cast<int>(argv.size()), argv.data(), parsed.options, parsed.error);
    return parsed;
}

}  // namespace

TEST(CliOptions, SpellingsOfTheSameChoiceAgree) {
    const Parsed bundled = parse({"-lxa", "pearson", "data.wk1"});
    const Parsed spelled = parse({"--log", "--extra", "--analysis=pearson", "data.wk1"});
    for (const Parsed& p : {bundled, spelled}) {
        ASSERT_TRUE(p.ok) << p.error;
        EXPECT_EQ(p.options.analysis_radio_id, ID_PEARSON);
        EXPECT_TRUE(p.options.log_transformation);
        EXPECT_TRUE(p.options.extra_output);
        EXPECT_FALSE(p.options.log_y);
        EXPECT_EQ(p.options.input_path, "data.wk1");
    }
}

TEST(CliOptions, GnuArgumentOrder) {
    // Options after the file name, an unambiguous abbreviation with its value
    // in the next argument, and "--" before a file name that starts with "-".
    const Parsed after = parse({"data.wk1", "--anal", "ranks", "-l"});
    ASSERT_TRUE(after.ok) << after.error;
    EXPECT_EQ(after.options.analysis_radio_id, ID_SHOW_RANKS);
    EXPECT_TRUE(after.options.log_transformation);
    EXPECT_EQ(after.options.input_path, "data.wk1");

    const Parsed ended = parse({"--out=r.txt", "--", "-x"});
    ASSERT_TRUE(ended.ok) << ended.error;
    EXPECT_EQ(ended.options.output_path, "r.txt");
    EXPECT_FALSE(ended.options.extra_output);
    EXPECT_EQ(ended.options.input_path, "-x");
}

TEST(CliOptions, DashIsStandardInputAndStandardOutput) {
    const Parsed p = parse({"-o", "-", "-"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.input_path, "-");
    EXPECT_EQ(p.options.output_path, "") << "\"-\" as the output is standard output, not a file named -";
    EXPECT_EQ(parse({"--output=-"}).options.output_path, "");
}

TEST(CliOptions, UsageErrorsNameTheOptionAsWritten) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{""}, "the input file name is empty"},
        {{"--analysis"}, "option --analysis needs a value"},
        {{"-a"}, "option -a needs a value"},
        {{"--output="}, "option --output needs a file name"},
        {{"--input-format"}, "option --input-format needs a value"},
        {{"--outfile=x"}, "unknown option --outfile"},
        {{"--lo"}, "option --lo is ambiguous (--log, --log-y)"},
        {{"--extra=1"}, "option --extra takes no value"},
        {{"-xq"}, "unknown option -q in -xq"},
        {{"-x-a", "pearson"}, "misplaced - in -x-a"},
        {{"-a", "Pearson"}, "unknown analysis: Pearson (descriptive, paired, nonpaired, pearson, spearman or ranks)"},
        {{"a.wk1", "b.wk1"}, "more than one input file: b.wk1"},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.first);
        EXPECT_FALSE(p.ok) << c.second;
        EXPECT_EQ(p.error, c.second);
    }
}
