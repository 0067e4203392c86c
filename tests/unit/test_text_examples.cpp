// Every example worksheet, copied as text (tests/cli/data, written from the
// WK1 files by make_text_examples.py), gives byte for byte the results of
// its WK1 worksheet: every analysis, every set of options, the same messages
// and status.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/analysis_table.h"
#include "test_support.h"
#include "worksheet/text_input.h"

namespace {

std::vector<unsigned char> file_bytes(const std::string& relative_path) {
    std::ifstream file(std::string(MORVENDA_SOURCE_DIR) + "/" + relative_path, std::ios::binary);
    EXPECT_TRUE(file.good()) << relative_path;
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// What the command line puts on the clipboard for a text worksheet.
std::vector<unsigned char> as_wk1(const std::vector<unsigned char>& text, TextFormat format, bool decimal_comma) {
    std::vector<unsigned char> stream(TEXT_WK1_CAPACITY);
    stream.resize(text_worksheet_block(text.data(), text.size(),
                                       TextRequest{format, decimal_comma, OtherPointScope::None, false}, stream.data(),
                                       stream.size())
                      .block_size);
    return stream;
}

struct TextForm {
    const char* suffix;
    TextFormat format;
    bool decimal_comma;
};

const TextForm TEXT_FORMS[] = {
    {".tsv", TextFormat::Tabs, false},
    {".csv", TextFormat::Commas, false},
    {"_decimal_comma.csv", TextFormat::Commas, true},
    {"_decimal_comma.tsv", TextFormat::Tabs, true},
    {"_utf16.tsv", TextFormat::Tabs, false},
};

void expect_same_runs(const std::vector<unsigned char>& wk1, const std::vector<unsigned char>& text_wk1,
                      const std::string& what) {
    const int analyses[] = {ID_DESCRIPTIVE, ID_PAIRED, ID_NONPAIRED, ID_PEARSON, ID_SPEARMAN, ID_SHOW_RANKS};
    for (const int analysis : analyses) {
        if (find_analysis(analysis) == nullptr) continue;
        for (int options = 0; options < 8; ++options) {
            const auto actions = test::calculate(analysis, options & 1, options & 2, options & 4);
            const test::RunResult expected = test::run_program(wk1, actions);
            const test::RunResult actual = test::run_program(text_wk1, actions);
            const std::string where = what + " analysis " + std::to_string(analysis) + " options " + std::to_string(options);
            ASSERT_TRUE(expected.dialog_shown) << where;
            EXPECT_EQ(actual.status, expected.status) << where;
            EXPECT_EQ(actual.text, expected.text) << where;
            ASSERT_EQ(actual.messages.size(), expected.messages.size()) << where;
            for (std::size_t i = 0; i < expected.messages.size(); ++i)
                EXPECT_EQ(actual.messages[i].text, expected.messages[i].text) << where;
        }
    }
}

TEST(TextExamples, EveryTextFormGivesTheResultsOfItsWk1Worksheet) {
    for (const char* name : {"lab_values", "groups", "paired", "correlation"}) {
        const std::vector<unsigned char> wk1 = file_bytes(std::string("examples/") + name + ".wk1");
        for (const TextForm& form : TEXT_FORMS) {
            const std::string path = std::string("tests/cli/data/") + name + form.suffix;
            const std::vector<unsigned char> text = file_bytes(path);
            expect_same_runs(wk1, as_wk1(text, form.format, form.decimal_comma), path);
        }
    }
}

TEST(TextExamples, BlankLinesAndColumnsAroundTheBlockChangeNothing) {
    expect_same_runs(file_bytes("examples/lab_values.wk1"),
                     as_wk1(file_bytes("tests/cli/data/lab_values_offset.tsv"), TextFormat::Tabs, false),
                     "lab_values_offset.tsv");
}

}  // namespace
