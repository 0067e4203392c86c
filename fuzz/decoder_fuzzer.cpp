// Fuzz target: the WK1 decoder alone on arbitrary bytes, then the clipboard
// reader around it. The decoder may only give its four results, must keep the
// table within its capacity and store nothing but markers and values inside
// the missing bound; the reader must map the result to its status, close the
// clipboard and free its copy.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/process_state.h"
#include "fuzz/invariants.h"
#include "platform/headless/headless.h"
#include "worksheet/data_table.h"
#include "worksheet/wk1_reader.h"

namespace {

[[noreturn]] void broken(const char* what, long detail) {
    std::fprintf(stderr, "INVARIANT BROKEN: %s (%ld)\n", what, detail);
    std::abort();
}

void check_table() {
    if (row_count > MAX_ROWS) broken("row_count above MAX_ROWS", row_count);
    if (column_count > MAX_COLUMNS) broken("column_count above MAX_COLUMNS", column_count);
    if (row_count <= 0 || column_count <= 0) return;
    for (int r = 0; r < row_count; ++r)
        for (int c = 0; c < column_count; ++c) {
            const double v = data_rows[r].value[c];
            if (v != CELL_MISSING && !(v > -MISSING_BOUND && v < MISSING_BOUND)) broken("a cell outside the bound", r);
        }
    if (const char* problem = fuzz::limit_table_problem()) broken(problem, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    reset_process_state();
    const int e = decode_wk1(data, size);
    if (e != WK1_OK && e != WK1_ZERO_LENGTH && e != WK1_TRUNCATED && e != WK1_BAD_VERSION)
        broken("decoder result", e);
    check_table();

    reset_process_state();
    headless::reset();
    headless::put_clipboard_block("Wk1", data, size);
    const int read = read_clipboard_worksheet(nullptr);
    const int expected = size < 2 ? 5 : (e == WK1_OK ? 0 : 100 * e + 8);
    if (read != expected) broken("reader status", read);
    if (headless::clipboard_is_open()) broken("clipboard left open", read);
    if (headless::private_blocks_outstanding() != 0) broken("private copy not freed", read);
    const std::size_t messages = headless::messages().size();
    if (messages != (read == 0 ? 0u : 1u)) broken("reader messages", static_cast<long>(messages));
    if (read == 0) check_table();
    return 0;
}
