// Splitting worksheet text into rows and cells.
#include "worksheet/text_cells.h"

#include "worksheet/text_number.h"

namespace {

struct TextScanner {
    const unsigned char* text;
    std::size_t size;
    std::size_t pos;
    unsigned char separator;
    char decimal_point;
    bool quoting;            // comma-separated: fields may be quoted
    std::size_t row;
    std::size_t column;
    std::size_t field_start; // where the field's bytes begin
    bool field_was_quoted;   // a quoted part has been read in this field
    CellTextScan cell;
    TextCellVisitor visit;
    void* context;
};

void end_field(TextScanner& scanner) {
    if (!cell_text_is_empty(scanner.cell))
        scanner.visit(TextCell{scanner.row, scanner.column, cell_text_value(scanner.cell),
                               cell_text_is_number(scanner.cell), scanner.field_start, scanner.pos},
                      scanner.context);
    begin_cell_text(scanner.cell);
    scanner.field_was_quoted = false;
}

// The bytes of a quoted part, after its opening quote, up to and past its
// closing quote (or to the end of the text when it never closes).
void read_quoted(TextScanner& scanner) {
    while (scanner.pos < scanner.size) {
        const unsigned char byte = scanner.text[scanner.pos++];
        if (byte != '"') {
            feed_cell_text(scanner.cell, byte, scanner.decimal_point);
            continue;
        }
        if (scanner.pos < scanner.size && scanner.text[scanner.pos] == '"') {
            feed_cell_text(scanner.cell, '"', scanner.decimal_point);
            ++scanner.pos;
            continue;
        }
        return;
    }
}

bool line_break_at(const TextScanner& scanner, std::size_t& length) {
    const unsigned char byte = scanner.text[scanner.pos];
    if (byte == '\n') {
        length = 1;
        return true;
    }
    if (byte == '\r' && scanner.pos + 1 < scanner.size && scanner.text[scanner.pos + 1] == '\n') {
        length = 2;
        return true;
    }
    return false;
}

}  // namespace

void scan_text_cells(const unsigned char* text, std::size_t size, TextFormat format, bool decimal_comma,
                     TextCellVisitor visit, void* context) {
    if (text == nullptr) size = 0;
    TextScanner scanner{};
    scanner.text = text;
    scanner.size = size;
    scanner.quoting = format == TextFormat::Commas;
    scanner.separator = format == TextFormat::Tabs ? '\t' : decimal_comma ? ';' : ',';
    scanner.decimal_point = decimal_comma ? ',' : '.';
    scanner.visit = visit;
    scanner.context = context;
    begin_cell_text(scanner.cell);
    if (size >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF) scanner.pos = 3;
    scanner.field_start = scanner.pos;

    while (scanner.pos < scanner.size) {
        const unsigned char byte = scanner.text[scanner.pos];
        std::size_t break_length = 0;
        if (byte == scanner.separator) {
            end_field(scanner);
            ++scanner.column;
            scanner.field_start = ++scanner.pos;
        } else if (line_break_at(scanner, break_length)) {
            end_field(scanner);
            ++scanner.row;
            scanner.column = 0;
            scanner.pos += break_length;
            scanner.field_start = scanner.pos;
        } else if (byte == '"' && scanner.quoting && !scanner.field_was_quoted &&
                   cell_text_is_empty(scanner.cell)) {
            // Spaces before the opening quote are trimmed like any others.
            scanner.field_was_quoted = true;
            ++scanner.pos;
            read_quoted(scanner);
        } else {
            feed_cell_text(scanner.cell, byte, scanner.decimal_point);
            ++scanner.pos;
        }
    }
    end_field(scanner);
}
