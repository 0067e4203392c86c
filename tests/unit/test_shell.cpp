// The start-up sequence and the analysis dialog: what reaches the user for
// every outcome, and how clicks become option flags.
#include <gtest/gtest.h>

#include <cstring>

#include "app/analysis_table.h"
#include "test_support.h"

using headless::ActionKind;
using test::calculate;
using test::run_program;
using test::worksheet;

namespace {

const std::vector<unsigned char>& three_columns() {
    static const std::vector<unsigned char> sheet = worksheet({{1, 2, 3}, {1, 4, 5}, {2, 5, 8}, {2, 7, 9}, {1, 9, 9}, {2, 3, 1}});
    return sheet;
}

class Shell : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_FALSE(headless::clipboard_is_open()); }
};

// ---- Start-up --------------------------------------------------------------

TEST_F(Shell, EmptyClipboardShowsOnlyNoDataAndNoDialog) {
    reset_process_state();
    headless::reset();
    MorvendaApp app;
    EXPECT_EQ(app.InitInstance(), FALSE);
    ASSERT_EQ(headless::messages().size(), 1u);
    EXPECT_EQ(headless::messages()[0].text, "No data on Clipboard\n");
    EXPECT_EQ(headless::messages()[0].caption, "morvenda");
    EXPECT_EQ(headless::dialogs_shown(), 0);
}

TEST_F(Shell, MalformedWorksheetShowsTheReaderMessageThenNoData) {
    const auto result = run_program(test::Wk1Builder().bof(0x0405).eof().bytes(), calculate(ID_DESCRIPTIVE));
    ASSERT_EQ(result.messages.size(), 2u);
    EXPECT_EQ(result.messages[0].text, "Error 2 reading wk1-data");
    EXPECT_EQ(result.messages[0].caption, "Morvenda 006");
    EXPECT_EQ(result.messages[1].text, "No data on Clipboard\n");
    EXPECT_FALSE(result.dialog_shown);
    EXPECT_FALSE(result.has_text);
}

// ---- Calculate -------------------------------------------------------------

TEST_F(Shell, CalculateAtOnceRunsTheDescriptiveReportWithAllOptionsOff) {
    const auto result = run_program(three_columns(), {{ActionKind::Ok, 0}});
    EXPECT_EQ(analysis_kind, ID_DESCRIPTIVE);
    EXPECT_EQ(log_transform, 0);
    EXPECT_EQ(log_y, 0);
    EXPECT_EQ(extra_output, 0);
    EXPECT_EQ(test::lines_of(result.text).size(), 22u);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "Descriptive results on clipboard: use Edit/Paste or CTRL-V");
    EXPECT_EQ(result.messages[0].caption, "Morvenda 006");
}

TEST_F(Shell, ExtraOutputFollowsItsClicks) {
    run_program(three_columns(), {{ActionKind::Click, ID_EXTRA_OUTPUT}, {ActionKind::Ok, 0}});
    EXPECT_EQ(extra_output, 1);
    run_program(three_columns(),
                {{ActionKind::Click, ID_EXTRA_OUTPUT}, {ActionKind::Click, ID_EXTRA_OUTPUT}, {ActionKind::Ok, 0}});
    EXPECT_EQ(extra_output, 0);
}

TEST_F(Shell, LogCheckBoxesAreReadAgainAtCalculate) {
    run_program(three_columns(), {{ActionKind::Click, ID_LOG_TRANSFORMATION}, {ActionKind::Click, ID_LOG_Y},
                                  {ActionKind::Ok, 0}});
    EXPECT_EQ(log_transform, 1);
    EXPECT_EQ(log_y, 1);
    run_program(three_columns(), {{ActionKind::Click, ID_LOG_TRANSFORMATION}, {ActionKind::Click, ID_LOG_TRANSFORMATION},
                                  {ActionKind::Ok, 0}});
    EXPECT_EQ(log_transform, 0);
}

TEST_F(Shell, CancelAndTheCloseBoxLeaveTheClipboardUntouched) {
    for (ActionKind end : {ActionKind::Cancel, ActionKind::Close}) {
        const auto result = run_program(three_columns(), {{ActionKind::Click, ID_EXTRA_OUTPUT}, {end, 0}});
        EXPECT_TRUE(result.dialog_shown);
        EXPECT_TRUE(result.messages.empty());
        EXPECT_FALSE(result.has_text);
        EXPECT_EQ(headless::clipboard_write_count(), 0);
    }
}

TEST_F(Shell, FailedPublicationIsReportedAsAnError) {
    // Zero columns: the descriptive text is empty and cannot be published.
    const auto result = run_program(test::Wk1Builder().bof().range(0, 0, 0, 0).eof().bytes(), calculate(ID_DESCRIPTIVE));
    ASSERT_EQ(result.messages.size(), 2u);
    EXPECT_EQ(result.messages[0].text, "Error while writing results to Clipboard");
    EXPECT_EQ(result.messages[0].caption, "morvenda");
    EXPECT_EQ(result.messages[1].text, "Error while attempting to write data to clipboard");
    EXPECT_EQ(result.messages[1].caption, "Morvenda 006");
    EXPECT_EQ(result.status, 4);
}

TEST_F(Shell, EveryOfferedAnalysisHasItsSuccessMessage) {
    for (int radio = ID_DESCRIPTIVE; radio <= ID_SHOW_RANKS; ++radio) {
        const AnalysisKind* kind = find_analysis(radio);
        if (kind == nullptr) continue;
        const auto result = run_program(three_columns(), calculate(radio));
        ASSERT_FALSE(result.messages.empty()) << radio;
        EXPECT_EQ(result.messages.back().text, kind->success_message) << radio;
        EXPECT_EQ(result.status, 0) << radio;
        EXPECT_TRUE(result.has_text) << radio;
    }
}

TEST_F(Shell, DialogTemplateHasEveryControlOfTheAnalysisDialog) {
    EXPECT_EQ(ANALYSIS_DIALOG_TEMPLATE.id, 102);
    EXPECT_STREQ(ANALYSIS_DIALOG_TEMPLATE.caption, "morvenda006");
    EXPECT_EQ(ANALYSIS_DIALOG_TEMPLATE.control_count, 14);
    int radios = 0;
    for (int i = 0; i < ANALYSIS_DIALOG_TEMPLATE.control_count; ++i)
        if (ANALYSIS_DIALOG_TEMPLATE.controls[i].kind == ControlKind::AutoRadioButton) ++radios;
    EXPECT_EQ(radios, 6);
}

}  // namespace

// The clipboard's text read with the user's decimal comma gets its result
// back with decimal commas; read with points, or as "Wk1", with points.
TEST_F(Shell, ResultOfTextReadWithADecimalCommaHasDecimalCommas) {
    const struct {
        const char* text;
        bool decimal_comma;
        const char* mean;
    } cases[] = {{"a\tb\n1,5\t2\n2,5\t4\n", true, "mean difference\t1,0000"},
                 {"a\tb\n1.5\t2\n2.5\t4\n", false, "mean difference\t1.0000"}};
    for (const auto& c : cases) {
        reset_process_state();
        headless::reset();
        headless::put_clipboard_block(nullptr, c.text, std::strlen(c.text));
        headless::set_decimal_comma(c.decimal_comma);
        headless::set_dialog_actions(calculate(ID_PAIRED));
        MorvendaApp app;
        app.InitInstance();
        EXPECT_NE(headless::clipboard_text().find(c.mean), std::string::npos) << headless::clipboard_text();
    }
    const auto wk1 = run_program(three_columns(), calculate(ID_PAIRED));
    EXPECT_EQ(wk1.text.find(','), std::string::npos);
}
