// The page's interface to the program compiled to WebAssembly: plain C
// functions that JavaScript calls, and JSON texts it reads back.
//
// The page runs the desktop program's very start-up sequence and dialog:
// reading a worksheet puts its "Wk1" block on the in-memory clipboard and
// runs start-up with the dialog closed at once (so the reader's messages and
// "No data on Clipboard" are those of the desktop program); Calculate runs
// start-up again on the same block with the page's choices as clicks on the
// dialog's controls, and the result text is what the analysis put on the
// clipboard, byte for byte. Text input is written as the WK1 record stream
// of its cells first, as the command line does, so that both inputs go
// through the one decoder.
#include <cstdint>
#include <cstring>
#include <vector>

#include "analyses/nonpaired.h"
#include "app/analysis_dialog.h"
#include "app/analysis_table.h"
#include "app/process_state.h"
#include "platform/framework.h"
#include "platform/headless/headless.h"
#include "analyses/analysis_status.h"
#include "web/engine/cell_notes.h"
#include "web/engine/input_extent.h"
#include "web/engine/json_writer.h"
#include "web/engine/plot_data.h"
#include "web/engine/web_api.h"
#include "worksheet/data_table.h"
#include "worksheet/decimal_comma.h"
#include "worksheet/result_text.h"
#include "worksheet/text_input.h"
#include "worksheet/title_row.h"
#include "worksheet/wk1_reader.h"

namespace {

// The most the page reads of a paste or a file, so that no input can hold
// the page up for long or exhaust its memory. A full worksheet of 1024 x 50
// cells takes well under a megabyte as text or WK1; what lies beyond this is
// left out with a message (a cut text ends at its last whole line, a cut WK1
// stream at its last whole record).
constexpr std::size_t MAX_INPUT_BYTES = 8u * 1024u * 1024u;


// Kinds of input the page hands in: files by their kind, and pasted text
// (tab-separated, as spreadsheets copy a block, or separated by ";" as a
// .csv file written with a decimal comma is).
enum InputKind { INPUT_TEXT = 0, INPUT_CSV = 1, INPUT_WK1 = 2, INPUT_PASTE = 3, INPUT_PASTE_CSV = 4 };

const char* const INPUT_KIND_NAMES[] = {"text", "csv", "wk1", "paste", "pasteCsv"};

// The titles, first rows as written and doubtful cells of the last input.
CellNotes notes;

// The last "More statistics" report the page asked for.
char more_buffer[MORE_TEXT_CAPACITY];
int more_size = 0;

// Whether the last input's results are written with a decimal comma: text
// read with one. A WK1 worksheet's results keep their points.
bool result_decimal_comma = false;

// The rows of the last input as written, as one text (morvenda_written_rows).
char written_buffer[NOTE_PREVIEW_ROWS * MAX_COLUMNS * NOTE_TEXT_SIZE];
std::size_t written_size = 0;

// The last result, as the page shows and copies it.
char result_buffer[RESULT_TEXT_CAPACITY + 1];
std::size_t result_size = 0;

unsigned char input_bytes[MAX_INPUT_BYTES];

// The "Wk1" block of the last input read, and whether it goes on the
// clipboard (not before the first input, nor after a paste without a value
// or a file that is not text).
std::vector<unsigned char> worksheet_block;
bool worksheet_on_clipboard = false;

char json_buffer[256 * 1024];
JsonWriter json(json_buffer, sizeof json_buffer);

// An EOF record: its type, and a body length of 0.
constexpr unsigned char WK1_EOF_RECORD[WK1_EOF_RECORD_SIZE] = {WK1_EOF, 0, 0, 0};

// Runs the start-up sequence on the worksheet block, the dialog doing what
// the user chose in the page: the clicks on its controls, then Calculate.
// Without any action the dialog is closed at once: the page only reads the
// worksheet.
void run_program(const std::vector<headless::DialogAction>& actions) {
    headless::reset();
    reset_process_state();
    if (worksheet_on_clipboard) headless::put_clipboard_block("Wk1", worksheet_block.data(), worksheet_block.size());
    headless::set_dialog_actions(actions);
    CWinApp* application = AfxGetApp();
    if (application != nullptr) application->InitInstance();
}

// The messages of the run, less the success message: the page does not put
// the result on the clipboard until the user asks for it. After a refusal
// the shell's last message says that the clipboard could not be written;
// the page wrote no clipboard, so it leaves that out too.
void write_messages(const char* success_message) {
    const std::vector<headless::Message>& list = headless::messages();
    std::size_t count = list.size();
    const bool refused = last_run_status == ANALYSIS_TOO_FEW_COLUMNS || last_run_status == ANALYSIS_TOO_FEW_ROWS ||
                         last_run_status == ANALYSIS_NOT_GROUPABLE;
    if (success_message != nullptr && refused && count > 0) --count;
    json.key("messages");
    json.begin_array();
    for (std::size_t i = 0; i < count; ++i) {
        const headless::Message& message = list[i];
        const char* caption = message.caption.c_str();
        const char* text = message.text.c_str();
        if (success_message != nullptr && std::strcmp(caption, MESSAGE_CAPTION) == 0 &&
            std::strcmp(text, success_message) == 0)
            continue;
        json.begin_object();
        json.field_string("caption", caption);
        json.field_string("text", text);
        json.end_object();
    }
    json.end_array();
}

// What a cell of the table is, as the page marks it: "t" a title of the
// first row, "m" missing, "<" or ">", "n" a number. Title cells are missing
// values to the reader, but no gap in the data.
char cell_kind(int r, int c) {
    const double v = data_rows[r].value[c];
    if (r == 0 && notes.titles[c].text[0] != '\0') return 't';
    if (is_missing_value(v)) return 'm';
    if (v == CELL_SMALL) return '<';
    return v == CELL_BIG ? '>' : 'n';
}

// What the reader made of the worksheet: its size, its cells by kind and
// the kind of each cell.
void write_table_summary() {
    static char kinds[MAX_ROWS][MAX_COLUMNS + 1];
    const int rows = used_rows();
    const int columns = used_columns();
    long count[128] = {};
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) ++count[static_cast<unsigned char>(kinds[r][c] = cell_kind(r, c))];
        kinds[r][columns] = '\0';
    }
    json.field_int("rows", rows);
    json.field_int("columns", columns);
    json.field_int("numbers", count['n']);
    json.field_int("small", count['<']);
    json.field_int("big", count['>']);
    json.field_int("missing", count['m']);
    json.field_int("titleCells", count['t']);
    json.key("titles");
    json.begin_array();
    for (int c = 0; c < columns && rows > 0; ++c) json.string(notes.titles[c].text);
    json.end_array();
    // What each cell is, row by row (the cells as written are
    // morvenda_written_rows).
    json.key("kinds");
    json.begin_array();
    for (int r = 0; r < rows; ++r) json.string(kinds[r]);
    json.end_array();
    json.key("limitless");
    json.begin_object();
    json.field_int("count", notes.limitless_count);
    json.key("cells");
    json.begin_array();
    for (long i = 0; i < notes.limitless_count && i < NOTE_LIMITLESS_EXAMPLES; ++i) {
        const LimitlessCell& cell = notes.limitless[i];
        json.begin_object();
        json.field_int("row", cell.row);
        json.field_int("column", cell.column);
        json.field_string("text", cell.text);
        json.end_object();
    }
    json.end_array();
    json.end_object();
}

// The cells as written, every row the table holds: a row ends with "\n",
// its cells are separated by "\t" (a tab or line break inside a cell
// becomes a space).
void write_written_rows() {
    written_size = 0;
    const int rows = used_rows() < NOTE_PREVIEW_ROWS ? used_rows() : NOTE_PREVIEW_ROWS;
    const int columns = used_columns();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0) written_buffer[written_size++] = '\t';
            for (const char* p = notes.preview[r][c].text; *p != '\0'; ++p)
                written_buffer[written_size++] = *p == '\t' || *p == '\n' || *p == '\r' ? ' ' : *p;
        }
        written_buffer[written_size++] = '\n';
    }
}

const char* finished_json() {
    if (!json.overflowed()) return json.text();
    json.clear();
    json.begin_object();
    json.field_string("error", "the page's answer did not fit its buffer");
    json.end_object();
    return json.text();
}

// The notes of the input's text, UTF-16 text made UTF-8 first.
void note_input_text(std::size_t size, TextFormat format, bool decimal_comma, bool first_row_titles) {
    static std::vector<unsigned char> utf8;
    const unsigned char* text = input_bytes;
    if (has_utf16_mark(input_bytes, size) && utf16_to_utf8(input_bytes, size, utf8)) {
        text = utf8.data();
        size = utf8.size();
    }
    note_text_cells(text, size, format, decimal_comma, first_row_titles, notes);
}

const char* control_kind_name(ControlKind kind) {
    switch (kind) {
    case ControlKind::DefPushButton:
    case ControlKind::PushButton:
        return "button";
    case ControlKind::AutoCheckBox:
        return "checkbox";
    case ControlKind::AutoRadioButton:
        return "radio";
    case ControlKind::GroupBox:
        return "group";
    }
    return "";
}

}  // namespace

extern "C" {

// What the page must agree on with the program, so that nothing of it is
// written twice: the version, the table's capacity, the input kinds and
// the analysis dialog's controls (id, kind, label), each analysis radio
// button with its success message. A JSON object.
const char* morvenda_contract() {
    json.clear();
    json.begin_object();
    json.field_string("version", MORVENDA_VERSION);
    json.field_int("maxRows", MAX_ROWS);
    json.field_int("maxColumns", MAX_COLUMNS);
    json.field_int("inputCapacity", static_cast<long long>(MAX_INPUT_BYTES));
    json.key("inputKinds");
    json.begin_object();
    for (int kind = INPUT_TEXT; kind <= INPUT_PASTE_CSV; ++kind) json.field_int(INPUT_KIND_NAMES[kind], kind);
    json.end_object();
    json.field_int("descriptive", ID_DESCRIPTIVE);
    json.field_int("showRanks", ID_SHOW_RANKS);
    json.field_int("pearson", ID_PEARSON);
    json.field_int("spearman", ID_SPEARMAN);
    json.key("controls");
    json.begin_array();
    const DialogTemplate& dialog = ANALYSIS_DIALOG_TEMPLATE;
    for (int i = 0; i < dialog.control_count; ++i) {
        const DialogControl& control = dialog.controls[i];
        const AnalysisKind* analysis = find_analysis(control.id);
        json.begin_object();
        json.field_int("id", control.id);
        json.field_string("kind", control_kind_name(control.kind));
        json.field_string("text", control.text);
        if (analysis != nullptr) json.field_string("successMessage", analysis->success_message);
        json.end_object();
    }
    json.end_array();
    json.end_object();
    return finished_json();
}

// Where the page writes the bytes of a paste or a file, and how many fit.
unsigned char* morvenda_input_buffer() { return input_bytes; }
unsigned morvenda_input_capacity() { return static_cast<unsigned>(MAX_INPUT_BYTES); }

// Reads the first `size` bytes of the input buffer as a worksheet: `kind`
// 0 a file of tab-separated text, 1 a file of comma-separated values, 2 a
// WK1 file (a text file that starts with a WK1 record is read as WK1), 3
// pasted text, 4 pasted text separated by ";" (read as comma-separated
// values); `cut` when the input was longer than the buffer;
// `first_row_titles` when the first row holds titles, even numbers. Text in
// which no cell holds a value is no worksheet: pasted, the clipboard then
// offers no "Wk1" block at all, as a clipboard of such text does on
// Windows; from a file it is an empty block, as on the command line.
// Returns a JSON object: "worksheet" (start-up read a worksheet), "notText"
// (bytes that are neither WK1 nor text: not read at all), "values" (a text
// cell holds a value), "format", the table's size and cells by kind,
// "titles", "titleCells", "kinds" (the cells as written are
// morvenda_written_rows),
// "limitless" ("<" and ">" cells without a limit), the extent of the input's cells ("extentRows",
// "extentColumns"), "otherPoint" (cells read as missing that are numbers
// with the other decimal separator) and the "messages" of start-up.
const char* morvenda_read(unsigned size, int kind, int decimal_comma, int cut, int first_row_titles) {
    const std::size_t n = size < MAX_INPUT_BYTES ? size : MAX_INPUT_BYTES;
    const bool comma = decimal_comma != 0;
    const bool titled = first_row_titles != 0;
    const bool pasted = kind == INPUT_PASTE || kind == INPUT_PASTE_CSV;
    const bool csv = kind == INPUT_CSV || kind == INPUT_PASTE_CSV;
    const bool wk1 = !pasted && (kind == INPUT_WK1 || starts_with_wk1_bof(input_bytes, n));
    WorksheetExtent extent{0, 0};
    TextBlock text{};
    bool not_text = false;
    bool values = true;
    worksheet_block.clear();
    if (wk1) {
        const std::size_t whole = cut != 0 ? whole_wk1_records(input_bytes, n) : n;
        worksheet_block.assign(input_bytes, input_bytes + whole);
        // The decoder stops at the first EOF record; one more does no harm.
        if (cut != 0) worksheet_block.insert(worksheet_block.end(), WK1_EOF_RECORD, WK1_EOF_RECORD + WK1_EOF_RECORD_SIZE);
        extent = wk1_extent(worksheet_block.data(), worksheet_block.size());
        note_wk1_cells(worksheet_block.data(), worksheet_block.size(), titled, notes);
    } else {
        const TextFormat format = csv ? TextFormat::Commas : TextFormat::Tabs;
        const TextRequest request{format, comma, csv ? OtherPointScope::None : OtherPointScope::Window, cut != 0};
        worksheet_block.resize(TEXT_WK1_CAPACITY);
        text = text_worksheet_block(input_bytes, n, request, worksheet_block.data(), worksheet_block.size());
        not_text = text.not_text;
        values = text.values;
        extent = WorksheetExtent{text.extent_rows, text.extent_columns};
        worksheet_block.resize(values && !not_text ? text.block_size : 0);
        if (not_text)
            clear_notes(notes);
        else
            note_input_text(n, format, comma, titled);
    }
    worksheet_on_clipboard = !not_text && !(pasted && !values);
    if (titled && !worksheet_block.empty())
        worksheet_block = first_row_as_titles(worksheet_block.data(), worksheet_block.size());
    result_decimal_comma = comma && !wk1;

    json.clear();
    json.begin_object();
    json.field_string("format", wk1 ? "wk1" : csv ? "csv" : "text");
    json.field_bool("notText", not_text);
    json.field_bool("values", values);
    // Bytes that are not text are refused before start-up, as the command
    // line refuses them.
    if (not_text) {
        headless::reset();
        reset_process_state();
    } else {
        run_program({});
    }
    json.field_bool("worksheet", headless::dialogs_shown() > 0);
    json.field_int("extentRows", extent.rows);
    json.field_int("extentColumns", extent.columns);
    json.key("otherPoint");
    json.begin_object();
    json.field_int("count", static_cast<long long>(text.other_point_count));
    json.field_string("example", text.other_point_example);
    json.end_object();
    write_table_summary();
    write_written_rows();
    write_messages(nullptr);
    json.end_object();
    return finished_json();
}

// Calculate with the page's choices: the analysis radio button's control id
// and the three check boxes; before any input, the clipboard is empty.
// Returns a JSON object: "columns" of the worksheet, the "messages" of the
// run and the analysis' "successMessage" with its "successCaption".
const char* morvenda_calculate(int radio_id, int log_transformation, int log_y_values, int extra) {
    json.clear();
    json.begin_object();
    std::vector<headless::DialogAction> actions;
    if (log_transformation != 0) actions.push_back({headless::ActionKind::Click, ID_LOG_TRANSFORMATION});
    if (log_y_values != 0) actions.push_back({headless::ActionKind::Click, ID_LOG_Y});
    if (extra != 0) actions.push_back({headless::ActionKind::Click, ID_EXTRA_OUTPUT});
    actions.push_back({headless::ActionKind::Click, radio_id});
    actions.push_back({headless::ActionKind::Ok, 0});
    run_program(actions);

    const AnalysisKind* analysis = find_analysis(radio_id);
    const std::string_view text = headless::clipboard_text_view();
    result_size = text.size() < sizeof result_buffer ? text.size() : sizeof result_buffer - 1;
    if (result_size > 0) std::memcpy(result_buffer, text.data(), result_size);
    result_buffer[result_size] = '\0';
    if (result_decimal_comma) write_decimal_comma(result_buffer, result_size);
    json.field_bool("worksheet", headless::dialogs_shown() > 0);
    // 0: a result; 1 to 3: the analysis refused the worksheet (too few
    // columns, too few rows, a first column not suitable for grouping).
    json.field_int("status", last_run_status);
    json.field_bool("decimalComma", result_decimal_comma);
    json.field_int("columns", used_columns());
    // Nonpaired: the two group codes of column 1, as the report's group 0
    // and group 1, so that the page names the groups as the plot does.
    int32_t code0 = 0, code1 = 0;
    if (radio_id == ID_NONPAIRED && last_run_status == 0 && find_group_codes(code0, code1)) {
        json.key("groupCodes");
        json.begin_array();
        json.integer(code0);
        json.integer(code1);
        json.end_array();
    }
    write_messages(analysis != nullptr ? analysis->success_message : nullptr);
    json.end_object();
    return finished_json();
}

// The result text the last Calculate put on the clipboard ("" when none),
// with a decimal comma when the worksheet was text read with one, and its
// length in bytes.
const char* morvenda_result_text() { return result_buffer; }

unsigned morvenda_result_length() { return static_cast<unsigned>(result_size); }

// The "More statistics" report of the last Calculate's analysis ("" when
// it has none or refused the worksheet), written with a decimal comma where
// the result is; its length in morvenda_more_length. Computed when asked
// for, not on every Calculate: the page shows it on request.
const char* morvenda_more() {
    const AnalysisKind* analysis = find_analysis(analysis_kind);
    const bool result = headless::dialogs_shown() > 0 && last_run_status == 0 && analysis != nullptr;
    more_size = result ? write_more_statistics(analysis->more, more_buffer, MORE_TEXT_CAPACITY) : 0;
    if (more_size < 0) more_size = 0;
    more_buffer[more_size] = '\0';
    if (result_decimal_comma) write_decimal_comma(more_buffer, static_cast<std::size_t>(more_size));
    return more_buffer;
}

unsigned morvenda_more_length() { return static_cast<unsigned>(more_size); }

// The last input's cells as written (write_written_rows), and the length of
// that text in bytes.
const char* morvenda_written_rows() { return written_buffer; }

unsigned morvenda_written_length() { return static_cast<unsigned>(written_size); }

// The plot of data column `column` (from 0) for the last Calculate's analysis.
const char* morvenda_plot(int column) {
    json.clear();
    write_plot_data(json, column);
    return finished_json();
}

}  // extern "C"
