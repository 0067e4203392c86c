// The page's program as the page calls it: what it tells the page about the
// dialog, and that a paste and Calculate give the command line's text
// (with a decimal comma, as the paste was read).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/analysis_table.h"
#include "test_support.h"
#include "web/engine/web_api.h"
#include "worksheet/decimal_comma.h"
#include "worksheet/text_input.h"

namespace {

TEST(PageEngine, ContractNamesEveryControlOfTheDialogAndEveryAnalysisMessage) {
    const std::string contract = morvenda_contract();
    EXPECT_NE(contract.find("\"maxRows\":" + std::to_string(MAX_ROWS)), std::string::npos) << contract;
    EXPECT_NE(contract.find("\"maxColumns\":" + std::to_string(MAX_COLUMNS)), std::string::npos);
    for (int i = 0; i < ANALYSIS_DIALOG_TEMPLATE.control_count; ++i) {
        const DialogControl& control = ANALYSIS_DIALOG_TEMPLATE.controls[i];
        std::string entry = "{\"id\":" + std::to_string(control.id) + ",";
        const std::size_t at = contract.find(entry);
        ASSERT_NE(at, std::string::npos) << entry;
        const std::string rest = contract.substr(at, contract.find('}', at) - at);
        EXPECT_NE(rest.find(std::string("\"text\":\"") + control.text + "\""), std::string::npos) << rest;
        if (const AnalysisKind* analysis = find_analysis(control.id)) {
            EXPECT_NE(rest.find(analysis->success_message), std::string::npos) << rest;
        }
    }
}

TEST(PageEngine, PasteAndCalculateGiveTheTextOfTheSameCellsOnTheClipboard) {
    const char* const paste = "dose\tresponse\r\n1\t2,5\n3\t<1\n4\t4\n6\t>9\n7\t8\n";
    const std::size_t size = std::strlen(paste);
    std::memcpy(morvenda_input_buffer(), paste, size);
    for (int radio : {ID_DESCRIPTIVE, ID_PAIRED, ID_PEARSON, ID_SPEARMAN, ID_SHOW_RANKS}) {
        std::string page;
        {
            MorvendaApp app;  // the page's application object
            morvenda_read(static_cast<unsigned>(size), 3, 1, 0, 0);
            morvenda_calculate(radio, 1, 0, 1);
            page.assign(morvenda_result_text(), morvenda_result_length());
            const std::string more = morvenda_more();
            EXPECT_EQ(more.size(), morvenda_more_length());
            if (radio == ID_SHOW_RANKS) {
                EXPECT_EQ(more, "");
            } else {
                EXPECT_EQ(more.rfind("More statistics\n", 0), 0u) << more;
                EXPECT_EQ(more.find('.'), std::string::npos) << "decimal commas: " << more;
            }
        }

        static unsigned char block[TEXT_WK1_CAPACITY];
        const TextBlock text = text_worksheet_block(reinterpret_cast<const unsigned char*>(paste), size,
                                                    TextRequest{TextFormat::Tabs, true, OtherPointScope::None, false},
                                                    block, sizeof block);
        const auto direct = test::run_program(std::vector<unsigned char>(block, block + text.block_size),
                                              test::calculate(radio, true, false, true));
        // Read with a decimal comma, the result is written with one.
        std::string want = direct.text;
        write_decimal_comma(want.data(), want.size());
        EXPECT_FALSE(page.empty());
        EXPECT_EQ(page, want) << "analysis " << radio;
    }
}

}  // namespace
