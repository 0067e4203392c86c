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

#include "app/analysis_dialog.h"
#include "app/analysis_table.h"
#include "app/process_state.h"
#include "cli/text_input.h"
#include "platform/framework.h"
#include "platform/headless/headless.h"
#include "web/engine/input_extent.h"
#include "web/engine/json_writer.h"
#include "web/engine/plot_data.h"
#include "web/engine/web_api.h"
#include "worksheet/data_table.h"
#include "worksheet/text_reader.h"
#include "worksheet/wk1_reader.h"

namespace {

// The most the page reads of a paste or a file, so that no input can hold
// the page up for long or exhaust its memory. A full worksheet of 1024 x 50
// cells takes well under a megabyte as text or WK1; what lies beyond this is
// left out with a message (a cut text ends at its last whole line, a cut WK1
// stream at its last whole record).
constexpr std::size_t MAX_INPUT_BYTES = 8u * 1024u * 1024u;

// Rows of the worksheet the page shows as a preview.
constexpr int PREVIEW_ROWS = 8;

// Kinds of input the page hands in: files by their kind, and pasted text
// (tab-separated, as spreadsheets copy a block).
enum InputKind { INPUT_TEXT = 0, INPUT_CSV = 1, INPUT_WK1 = 2, INPUT_PASTE = 3 };

const char* const INPUT_KIND_NAMES[] = {"text", "csv", "wk1", "paste"};

unsigned char input_bytes[MAX_INPUT_BYTES];

// The "Wk1" block of the last input read, and whether it goes on the
// clipboard (not before the first input, nor after a paste without a value
// or a file that is not text).
std::vector<unsigned char> worksheet_block;
bool worksheet_on_clipboard = false;

char json_buffer[256 * 1024];
JsonWriter json(json_buffer, sizeof json_buffer);

constexpr unsigned char WK1_EOF_RECORD[4] = {0x01, 0x00, 0x00, 0x00};

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
// the result on the clipboard until the user asks for it.
void write_messages(const char* success_message) {
    json.key("messages");
    json.begin_array();
    for (const headless::Message& message : headless::messages()) {
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

// What the reader made of the worksheet: its size, its cells by kind and
// its first rows ("<" and ">" for marker cells, null for missing ones).
void write_table_summary() {
    const int rows = used_rows();
    const int columns = used_columns();
    long numbers = 0, small = 0, big = 0, missing = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const double v = data_rows[r].value[c];
            if (is_missing_value(v))
                ++missing;
            else if (v == CELL_SMALL)
                ++small;
            else if (v == CELL_BIG)
                ++big;
            else
                ++numbers;
        }
    }
    json.field_int("rows", rows);
    json.field_int("columns", columns);
    json.field_int("numbers", numbers);
    json.field_int("small", small);
    json.field_int("big", big);
    json.field_int("missing", missing);
    json.key("preview");
    json.begin_array();
    for (int r = 0; r < rows && r < PREVIEW_ROWS; ++r) {
        json.begin_array();
        for (int c = 0; c < columns; ++c) {
            const double v = data_rows[r].value[c];
            if (is_missing_value(v))
                json.null();
            else if (v == CELL_SMALL)
                json.string("<");
            else if (v == CELL_BIG)
                json.string(">");
            else
                json.number(v);
        }
        json.end_array();
    }
    json.end_array();
}

const char* finished_json() {
    if (!json.overflowed()) return json.text();
    json.clear();
    json.begin_object();
    json.field_string("error", "the page's answer did not fit its buffer");
    json.end_object();
    return json.text();
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
    for (int kind = INPUT_TEXT; kind <= INPUT_PASTE; ++kind) json.field_int(INPUT_KIND_NAMES[kind], kind);
    json.end_object();
    json.field_int("descriptive", ID_DESCRIPTIVE);
    json.field_int("showRanks", ID_SHOW_RANKS);
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
// pasted text; `cut` when the input was longer than the buffer. Text in
// which no cell holds a value is no worksheet: pasted, the clipboard then
// offers no "Wk1" block at all, as a clipboard of such text does on
// Windows; from a file it is an empty block, as on the command line.
// Returns a JSON object: "worksheet" (start-up read a worksheet), "notText"
// (bytes that are neither WK1 nor text: not read at all), "values" (a text
// cell holds a value), "format", the table's size and cells by kind,
// "preview", the extent of the input's cells ("extentRows",
// "extentColumns"), "otherPoint" (cells read as missing that are numbers
// with the other decimal separator) and the "messages" of start-up.
const char* morvenda_read(unsigned size, int kind, int decimal_comma, int cut) {
    const std::size_t n = size < MAX_INPUT_BYTES ? size : MAX_INPUT_BYTES;
    const bool comma = decimal_comma != 0;
    const bool pasted = kind == INPUT_PASTE;
    const bool wk1 = !pasted && (kind == INPUT_WK1 || starts_with_wk1_bof(input_bytes, n));
    WorksheetExtent extent{0, 0};
    OtherPointCells other{0, ""};
    bool not_text = false;
    bool values = true;
    worksheet_block.clear();
    if (wk1) {
        const std::size_t whole = cut != 0 ? whole_wk1_records(input_bytes, n) : n;
        worksheet_block.assign(input_bytes, input_bytes + whole);
        // The decoder stops at the first EOF record; one more does no harm.
        if (cut != 0) worksheet_block.insert(worksheet_block.end(), WK1_EOF_RECORD, WK1_EOF_RECORD + 4);
        extent = wk1_extent(worksheet_block.data(), worksheet_block.size());
    } else {
        std::vector<unsigned char> text(input_bytes, input_bytes + n);
        if (!convert_utf16_text(text)) not_text = std::memchr(text.data(), 0, text.size()) != nullptr;
        if (!not_text) {
            if (cut != 0) text.resize(whole_lines(text.data(), text.size()));
            // Only the cells the table can hold go to the reader, which
            // converts every number it meets.
            const TextFormat format = kind == INPUT_CSV ? TextFormat::Commas : TextFormat::Tabs;
            std::vector<unsigned char> window;
            extent = text_window(text.data(), text.size(), format, comma, window);
            if (format == TextFormat::Tabs) other = find_other_point_cells(window, comma);
            // The rest of the text is looked at only when the table's cells
            // hold no value.
            const bool beyond = extent.rows > MAX_ROWS || extent.columns > MAX_COLUMNS;
            values = text_has_values(window.data(), window.size(), format, comma) ||
                     (beyond && text_has_values(text.data(), text.size(), format, comma));
            if (values) {
                worksheet_block.resize(TEXT_WK1_CAPACITY);
                worksheet_block.resize(text_worksheet_to_wk1(window.data(), window.size(), format, comma,
                                                             worksheet_block.data(), worksheet_block.size()));
            }
        }
    }
    worksheet_on_clipboard = !not_text && !(pasted && !values);

    json.clear();
    json.begin_object();
    json.field_string("format", wk1 ? "wk1" : kind == INPUT_CSV ? "csv" : "text");
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
    json.field_int("count", static_cast<long long>(other.count));
    json.field_string("example", other.example.c_str());
    json.end_object();
    write_table_summary();
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
    json.field_int("columns", used_columns());
    // Shown once the user has put the result on the clipboard.
    json.field_string("successMessage", analysis != nullptr ? analysis->success_message : "");
    json.field_string("successCaption", MESSAGE_CAPTION);
    write_messages(analysis != nullptr ? analysis->success_message : nullptr);
    json.end_object();
    return finished_json();
}

// The result text the last Calculate put on the clipboard ("" when none),
// and its length in bytes.
const char* morvenda_result_text() {
    const std::string_view text = headless::clipboard_text_view();
    return text.empty() ? "" : text.data();
}

unsigned morvenda_result_length() { return static_cast<unsigned>(headless::clipboard_text_view().size()); }

// The plot of data column `column` (from 0) for the last Calculate's analysis.
const char* morvenda_plot(int column) {
    json.clear();
    write_plot_data(json, column);
    return finished_json();
}

}  // extern "C"
