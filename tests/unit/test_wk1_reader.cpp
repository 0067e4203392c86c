// The "Wk1" clipboard reader: every status through the real clipboard path,
// the decoder's table rules, hostile byte streams, and real spreadsheet files.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "test_support.h"
#include "worksheet/wk1_reader.h"

using test::Wk1Builder;

namespace {

class Wk1Reader : public ::testing::Test {
protected:
    void SetUp() override {
        reset_process_state();
        headless::reset();
    }
    void TearDown() override {
        EXPECT_FALSE(headless::clipboard_is_open()) << "the clipboard must be closed on every path";
        EXPECT_EQ(headless::private_blocks_outstanding(), 0) << "the private copy must be freed";
    }
    static void put(const std::vector<unsigned char>& bytes) {
        headless::put_clipboard_block("Wk1", bytes.data(), bytes.size());
    }
    static std::string only_message() {
        const auto& m = headless::messages();
        if (m.size() != 1) return "<" + std::to_string(m.size()) + " messages>";
        EXPECT_EQ(m[0].caption, "Morvenda 006");
        return m[0].text;
    }
    static int decode(const std::vector<unsigned char>& bytes) { return decode_wk1(bytes.data(), bytes.size()); }
};

std::vector<unsigned char> small_sheet() {
    return Wk1Builder().bof().range(0, 0, 1, 1).number(0, 0, 1.5).integer(1, 0, 2).number(0, 1, 3.0).eof().bytes();
}

// ---- Statuses --------------------------------------------------------------

TEST_F(Wk1Reader, SuccessFillsTheTableAndClosesTheClipboard) {
    put(small_sheet());
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 0);
    EXPECT_TRUE(headless::messages().empty());
    EXPECT_EQ(row_count, 2);
    EXPECT_EQ(column_count, 2);
    EXPECT_EQ(data_rows[0].value[0], 1.5);
    EXPECT_EQ(data_rows[0].value[1], 2.0);
    EXPECT_EQ(data_rows[1].value[0], 3.0);
    EXPECT_EQ(data_rows[1].value[1], CELL_MISSING);
}

TEST_F(Wk1Reader, FormatRegistrationFailureIsStatus1WithoutMessage) {
    put(small_sheet());
    headless::set_fault(headless::Fault::RegisterFormat, true);
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 1);
    EXPECT_TRUE(headless::messages().empty());
}

TEST_F(Wk1Reader, OpenFailureIsStatus2) {
    put(small_sheet());
    headless::set_fault(headless::Fault::OpenClipboard, true);
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 2);
    EXPECT_EQ(only_message(), "Problem opening Clipboard");
}

TEST_F(Wk1Reader, NoWorksheetOnTheClipboardIsStatus3WithoutMessage) {
    headless::put_clipboard_block(nullptr, "text", 5);
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 3);
    EXPECT_TRUE(headless::messages().empty());
}

// Text on the clipboard without "Wk1" stands in with the cells it holds, read
// with the user's decimal separator; text without a value does not.
TEST_F(Wk1Reader, TextWithValuesStandsInForAMissingWorksheet) {
    headless::put_clipboard_block(nullptr, "x\t1,5\n2\t<1\n", 12);
    headless::set_decimal_comma(true);
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 0);
    EXPECT_TRUE(headless::messages().empty());
    EXPECT_FALSE(headless::clipboard_is_open());
    ASSERT_EQ(row_count, 2);
    ASSERT_EQ(column_count, 2);
    EXPECT_EQ(data_rows[0].value[1], 1.5);
    EXPECT_EQ(data_rows[1].value[1], CELL_SMALL);
    headless::set_fault(headless::Fault::CloseClipboard, true);
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 9);
}

TEST_F(Wk1Reader, MissingMemoryHandleIsStatus4) {
    put(small_sheet());
    headless::set_fault(headless::Fault::GetClipboardData, true);
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 4);
    EXPECT_EQ(only_message(), "Problem getting memory handle");
}

TEST_F(Wk1Reader, BlocksOfZeroAndOneByteAreStatus5WithTheirSize) {
    put({});
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 5);
    EXPECT_EQ(only_message(), "empty clipboard?? len=0 ");
    headless::reset();
    put({0x00});
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 5);
    EXPECT_EQ(only_message(), "empty clipboard?? len=1 ");
}

TEST_F(Wk1Reader, PrivateCopyFailureIsStatus6) {
    put(small_sheet());
    headless::set_fault(headless::Fault::AllocatePrivate, true);
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 6);
    EXPECT_EQ(only_message(), "malloc problem");
}

TEST_F(Wk1Reader, LockFailureIsStatus7) {
    put(small_sheet());
    headless::set_fault(headless::Fault::GlobalLock, true);
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 7);
    EXPECT_EQ(only_message(), "GlobalLock problem");
}

TEST_F(Wk1Reader, DecoderErrorsBecome100ePlus8) {
    put(Wk1Builder().bof(0x0405).eof().bytes());
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 208);
    EXPECT_EQ(only_message(), "Error 2 reading wk1-data");

    headless::reset();
    put(Wk1Builder().bof().raw({0x0E, 0x00, 0x00, 0x00}).bytes());
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 108);
    EXPECT_EQ(only_message(), "Error 1 reading wk1-data");

    headless::reset();
    put(Wk1Builder().bof().raw({0x0E, 0x00, 0x0D, 0x00, 0x01}).bytes());
    EXPECT_EQ(read_clipboard_worksheet(nullptr), -92);
    EXPECT_EQ(only_message(), "Error -1 reading wk1-data");
}

TEST_F(Wk1Reader, CloseFailureAfterDecodeIsStatus9WithTheSystemError) {
    put(small_sheet());
    headless::set_fault(headless::Fault::CloseClipboard, true);
    headless::set_last_error(1418);
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 9);
    EXPECT_EQ(only_message(), "error code: 1418");
}

// ---- Used range ------------------------------------------------------------

TEST_F(Wk1Reader, OriginIsTheLowestCellAndTheFarCornerComesFromRange) {
    Wk1Builder b;
    b.bof().range(0, 0, 4, 9);
    for (unsigned r = 5; r <= 9; ++r)
        for (unsigned c = 2; c <= 4; ++c) b.number(c, r, r * 10.0 + c);
    b.eof();
    ASSERT_EQ(decode(b.bytes()), 0);
    EXPECT_EQ(row_count, 5);
    EXPECT_EQ(column_count, 3);
    EXPECT_EQ(data_rows[0].value[0], 52.0);
    EXPECT_EQ(data_rows[4].value[2], 94.0);
}

TEST_F(Wk1Reader, SpansAboveTheCapsAreCut) {
    EXPECT_EQ(decode(Wk1Builder().bof().range(0, 0, 0, 1999).number(0, 0, 1).number(0, 1999, 2).eof().bytes()), 0);
    EXPECT_EQ(row_count, MAX_ROWS);
    EXPECT_EQ(decode(Wk1Builder().bof().range(0, 0, 0, 1024).number(0, 0, 1).number(0, 1024, 2).eof().bytes()), 0);
    EXPECT_EQ(row_count, MAX_ROWS) << "exactly 1025 rows";
    EXPECT_EQ(data_rows[MAX_ROWS - 1].value[0], CELL_MISSING) << "the cell beyond the cap is not stored";
    EXPECT_EQ(decode(Wk1Builder().bof().range(0, 0, 59, 0).number(0, 0, 1).number(59, 0, 2).eof().bytes()), 0);
    EXPECT_EQ(column_count, MAX_COLUMNS);
    EXPECT_EQ(decode(Wk1Builder().bof().range(0, 0, 0, 1023).number(0, 0, 1).eof().bytes()), 0);
    EXPECT_EQ(row_count, 1024) << "exactly 1024 rows fit";
}

TEST_F(Wk1Reader, RangeEndingBeforeTheLowestCellGivesNoTable) {
    ASSERT_EQ(decode(Wk1Builder().bof().range(0, 0, 1, 1).number(3, 5, 7.0).eof().bytes()), 0);
    EXPECT_LE(row_count, 0);
    EXPECT_LE(column_count, 0);
}

TEST_F(Wk1Reader, WorksheetWithoutCellsReadsAsEmpty) {
    put(Wk1Builder().bof().range(0, 0, 3, 3).eof().bytes());
    EXPECT_EQ(read_clipboard_worksheet(nullptr), 0);
    EXPECT_LE(row_count, 0);
    EXPECT_LE(column_count, 0);
}

TEST_F(Wk1Reader, CellsBeforeTheRangeRecordAreOverwrittenByItsFill) {
    ASSERT_EQ(decode(Wk1Builder().bof().number(0, 0, 4.0).range(0, 0, 0, 1).number(0, 1, 5.0).eof().bytes()), 0);
    EXPECT_EQ(data_rows[0].value[0], CELL_MISSING);
    EXPECT_EQ(data_rows[1].value[0], 5.0);
}

TEST_F(Wk1Reader, BlankAndUnknownRecordsDoNotWidenTheRange) {
    ASSERT_EQ(decode(Wk1Builder().bof().range(0, 0, 2, 2).blank(0, 0).record(0x2F, {1, 2, 3}).number(1, 1, 8)
                         .number(2, 2, 9).eof().bytes()),
              0);
    EXPECT_EQ(row_count, 2);
    EXPECT_EQ(column_count, 2);
    EXPECT_EQ(data_rows[0].value[0], 8.0);
}

// ---- Cell values and markers -----------------------------------------------

TEST_F(Wk1Reader, LabelsBecomeMarkers) {
    ASSERT_EQ(decode(Wk1Builder().bof().range(0, 0, 4, 0).label(0, 0, "<5").label(1, 0, ">5").label(2, 0, "abc")
                         .label(3, 0, "").label(4, 0, "<0.5", '^').eof().bytes()),
              0);
    EXPECT_EQ(data_rows[0].value[0], CELL_SMALL);
    EXPECT_EQ(data_rows[0].value[1], CELL_BIG);
    EXPECT_EQ(data_rows[0].value[2], CELL_MISSING);
    EXPECT_EQ(data_rows[0].value[3], CELL_MISSING);
    EXPECT_EQ(data_rows[0].value[4], CELL_SMALL);
}

TEST_F(Wk1Reader, NumbersOutsideTheMeasurableRangeAreMissing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    ASSERT_EQ(decode(Wk1Builder().bof().range(0, 0, 6, 0).number(0, 0, 1e9).number(1, 0, nan).number(2, 0, inf)
                         .number(3, 0, -1e12).integer(4, 0, -3).formula(5, 0, 2.25).number(6, 0, 999999999.998)
                         .eof().bytes()),
              0);
    EXPECT_EQ(data_rows[0].value[0], CELL_MISSING);
    EXPECT_EQ(data_rows[0].value[1], CELL_MISSING);
    EXPECT_EQ(data_rows[0].value[2], CELL_MISSING);
    EXPECT_EQ(data_rows[0].value[3], CELL_MISSING);
    EXPECT_EQ(data_rows[0].value[4], -3.0);
    EXPECT_EQ(data_rows[0].value[5], 2.25) << "a formula contributes its stored result";
    EXPECT_EQ(data_rows[0].value[6], 999999999.998);
}

// ---- Hostile byte streams --------------------------------------------------

TEST_F(Wk1Reader, StreamEndingAtARecordBoundaryEndsNormally) {
    std::vector<unsigned char> bytes = Wk1Builder().bof().range(0, 0, 0, 0).number(0, 0, 6.5).bytes();
    ASSERT_EQ(decode(bytes), 0);
    EXPECT_EQ(data_rows[0].value[0], 6.5);
}

TEST_F(Wk1Reader, OneToThreeBytesWhereAHeaderShouldStartAreTruncation) {
    const std::vector<unsigned char> whole = Wk1Builder().bof().bytes();
    for (int extra = 1; extra <= 3; ++extra) {
        std::vector<unsigned char> bytes = whole;
        for (int i = 0; i < extra; ++i) bytes.push_back(0x0E);
        EXPECT_EQ(decode(bytes), WK1_TRUNCATED) << extra << " stray bytes";
    }
}

TEST_F(Wk1Reader, BodyPastTheEndIsTruncation) {
    EXPECT_EQ(decode(Wk1Builder().bof().raw({0x06, 0x00, 0x08, 0x00, 0, 0, 0}).bytes()), WK1_TRUNCATED);
}

TEST_F(Wk1Reader, HandledRecordShorterThanItsFieldsIsTruncation) {
    EXPECT_EQ(decode(Wk1Builder().bof().record(WK1_NUMBER, {0xFF, 0, 0, 0, 0, 1, 2, 3}).eof().bytes()), WK1_TRUNCATED);
    EXPECT_EQ(decode(Wk1Builder().bof().record(WK1_RANGE, {0, 0, 0, 0, 1, 0}).eof().bytes()), WK1_TRUNCATED);
    EXPECT_EQ(decode(Wk1Builder().bof().record(WK1_INTEGER, {0xFF, 0, 0, 0, 0, 7}).eof().bytes()), WK1_TRUNCATED);
    EXPECT_EQ(decode(Wk1Builder().bof().record(WK1_BOF, {6}).eof().bytes()), WK1_TRUNCATED);
    // A formula whose formula bytes run past its record.
    std::vector<unsigned char> formula{0xFF, 0, 0, 0, 0};
    for (unsigned char b : Wk1Builder::le64(1.0)) formula.push_back(b);
    formula.push_back(9);
    formula.push_back(0);
    formula.push_back(3);
    EXPECT_EQ(decode(Wk1Builder().bof().record(WK1_FORMULA, formula).eof().bytes()), WK1_TRUNCATED);
}

TEST_F(Wk1Reader, ExtraBodyBytesOfAHandledRecordAreSkipped) {
    std::vector<unsigned char> number{0xFF, 0, 0, 0, 0};
    for (unsigned char b : Wk1Builder::le64(4.5)) number.push_back(b);
    number.push_back(0x01);  // would read as an EOF type if the cursor stopped here
    number.push_back(0x00);
    ASSERT_EQ(decode(Wk1Builder().bof().range(0, 0, 1, 0).record(WK1_NUMBER, number).number(1, 0, 5.5).eof().bytes()), 0);
    EXPECT_EQ(data_rows[0].value[0], 4.5);
    EXPECT_EQ(data_rows[0].value[1], 5.5);
}

TEST_F(Wk1Reader, LabelWithoutTextSetsNoValueButLowersTheOrigin) {
    // Prefix only, and no prefix at all: both still define the origin.
    ASSERT_EQ(decode(Wk1Builder().bof().range(0, 0, 3, 3).record(WK1_LABEL, {0xFF, 1, 0, 1, 0, '\''})
                         .record(WK1_LABEL, {0xFF, 2, 0, 1, 0}).number(3, 3, 1.0).eof().bytes()),
              0);
    EXPECT_EQ(row_count, 3);
    EXPECT_EQ(column_count, 3);
    EXPECT_EQ(data_rows[0].value[0], CELL_MISSING);
    EXPECT_EQ(data_rows[2].value[2], 1.0);
}

TEST_F(Wk1Reader, ZeroLengthRecordAndBadVersion) {
    EXPECT_EQ(decode(Wk1Builder().bof().raw({0x0C, 0x00, 0x00, 0x00}).bytes()), WK1_ZERO_LENGTH);
    EXPECT_EQ(decode(Wk1Builder().bof(0x0405).bytes()), WK1_BAD_VERSION);
    EXPECT_EQ(decode(Wk1Builder().bof(WK1_OLDER_VERSION).eof().bytes()), 0);
}

TEST_F(Wk1Reader, EveryPrefixOfAWorksheetDecodesWithoutReadingPastIt) {
    const std::vector<unsigned char> whole = Wk1Builder().bof().range(0, 0, 2, 1).number(0, 0, 1).label(1, 0, "<3")
                                                 .formula(2, 1, 4).integer(0, 1, -7).eof().bytes();
    for (std::size_t n = 0; n <= whole.size(); ++n) {
        // A copy of exactly n bytes, so that AddressSanitizer sees any overread.
        std::vector<unsigned char> prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        const int e = decode_wk1(prefix.empty() ? nullptr : prefix.data(), prefix.size());
        EXPECT_TRUE(e == 0 || e == WK1_TRUNCATED) << "prefix of " << n << " bytes gave " << e;
    }
}

// ---- Real spreadsheet files ------------------------------------------------

// An independent reading of a well-formed WK1 file: every cell record and
// the last RANGE, mapped by the table's rules.
struct ExpectedTable {
    int rows = 0, columns = 0;
    std::vector<std::vector<double>> values;
};

ExpectedTable expected_table(const std::vector<unsigned char>& b) {
    struct CellRecord { unsigned col, row; double value; };
    std::vector<CellRecord> cells;
    unsigned low_col = 0xFFFF, low_row = 0xFFFF, end_col = 0, end_row = 0;
    bool have_range = false;
    auto u16 = [&](std::size_t p) { return static_cast<unsigned>(b[p] | (b[p + 1] << 8)); };
    auto f64 = [&](std::size_t p) {
        double v;
        std::memcpy(&v, &b[p], 8);
        return v;
    };
    for (std::size_t p = 0; p + 4 <= b.size();) {
        const unsigned type = u16(p), len = u16(p + 2);
        if (type == 1) break;
        const std::size_t body = p + 4;
        if (type == 6) {
            end_col = u16(body + 4);
            end_row = u16(body + 6);
            have_range = true;
        } else if (type >= 13 && type <= 16) {
            const unsigned col = u16(body + 1), row = u16(body + 3);
            low_col = std::min(low_col, col);
            low_row = std::min(low_row, row);
            double v = CELL_MISSING;
            if (type == 13) v = static_cast<int16_t>(u16(body + 5));
            if (type == 14 || type == 16) v = f64(body + 5);
            if (type == 15) {
                const char first = len > 6 ? static_cast<char>(b[body + 6]) : 0;
                v = first == '<' ? CELL_SMALL : first == '>' ? CELL_BIG : CELL_MISSING;
            }
            // A label without text stores nothing; the walk still moves on.
            if (type != 15 || len > 6) cells.push_back({col, row, is_missing_value(v) ? CELL_MISSING : v});
        }
        p = body + len;
    }
    ExpectedTable t;
    if (!have_range) return t;
    t.rows = std::min(static_cast<int>(end_row) - static_cast<int>(low_row) + 1, MAX_ROWS);
    t.columns = std::min(static_cast<int>(end_col) - static_cast<int>(low_col) + 1, MAX_COLUMNS);
    if (t.rows <= 0 || t.columns <= 0) return t;
    t.values.assign(static_cast<std::size_t>(t.rows), std::vector<double>(static_cast<std::size_t>(t.columns), CELL_MISSING));
    for (const CellRecord& c : cells) {
        const int r = static_cast<int>(c.row - low_row), k = static_cast<int>(c.col - low_col);
        if (r < t.rows && k < t.columns) t.values[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] = c.value;
    }
    return t;
}

class RealWorksheets : public Wk1Reader, public ::testing::WithParamInterface<const char*> {};

TEST_P(RealWorksheets, ReadThroughTheClipboardIntoTheExpectedTable) {
    const std::string path = std::string(MORVENDA_SAMPLES_DIR) + "/" + GetParam();
    std::ifstream in(path, std::ios::binary);
    if (!in) GTEST_SKIP() << "sample worksheets not found beside the repository: " << path;
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    put(bytes);
    ASSERT_EQ(read_clipboard_worksheet(nullptr), 0);
    const ExpectedTable expected = expected_table(bytes);
    ASSERT_EQ(row_count, expected.rows);
    ASSERT_EQ(column_count, expected.columns);
    for (int r = 0; r < expected.rows; ++r)
        for (int c = 0; c < expected.columns; ++c)
            ASSERT_EQ(data_rows[r].value[c], expected.values[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)])
                << "cell " << r << "," << c;
}

INSTANTIATE_TEST_SUITE_P(
    Samples, RealWorksheets,
    ::testing::Values("jmimeinfo_test.wk1", "jplv7_FinalConsumption.wk1", "jplv7_cigardemo.wk1", "kirindi_CHITRA.WK1",
                      "kirindi_CLT1.WK1", "kirindi_CORE.WK1", "kirindi_DATR2.WK1", "kirindi_FARM1.WK1",
                      "kirindi_OM.WK1", "libpysal_spat-sym-us.wk1", "libpysal_virginia_queen.wk1", "opf_KSBASE.WK1",
                      "opf_PEYNEVAL.WK1", "opf_PF.WK1", "opf_PFVALUES.WK1"),
    [](const ::testing::TestParamInfo<const char*>& info) {
        std::string name = info.param;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST_F(Wk1Reader, RangePointingAwayFromTheCellsSizesTheTableFromTheLowestCell) {
    const std::string path = std::string(MORVENDA_SAMPLES_DIR) + "/kirindi_CLT1.WK1";
    std::ifstream in(path, std::ios::binary);
    if (!in) GTEST_SKIP() << "sample worksheets not found";
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    put(bytes);
    ASSERT_EQ(read_clipboard_worksheet(nullptr), 0);
    // Cells A1..G1, RANGE ending at AB60: origin A1, far corner AB60.
    EXPECT_EQ(row_count, 60);
    EXPECT_EQ(column_count, 28);
}

}  // namespace
