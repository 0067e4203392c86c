// Reading the "Wk1" clipboard worksheet into the data table.
//
// The block is a stream of WK1 records (type u16, length u16, body), all
// integers little-endian. The table's origin is the lowest column and row of
// any INTEGER, NUMBER, FORMULA or LABEL record; its far corner comes from the
// RANGE record's end column and row, capped at MAX_COLUMNS and MAX_ROWS.
#pragma once

#include <cstddef>

#include "platform/platform.h"
#include "worksheet/wk1_format.h"

// decode_wk1 results.
enum Wk1Result : int {
    WK1_OK = 0,
    WK1_ZERO_LENGTH = 1,   // a record (other than EOF) of length 0
    WK1_TRUNCATED = -1,    // a record or field runs past the block
    WK1_BAD_VERSION = 2,   // BOF of a version other than 0x0404 / 0x0406
};

// read_clipboard_worksheet results, in the order in which its steps run.
enum ReaderStatus : int {
    READ_OK = 0,
    READ_NO_FORMAT = 1,       // "Wk1" cannot be registered (no message)
    READ_CANNOT_OPEN = 2,     // "Problem opening Clipboard"
    READ_NOT_OFFERED = 3,     // the clipboard holds no "Wk1" data (no message)
    READ_NO_HANDLE = 4,       // "Problem getting memory handle"
    READ_TOO_SHORT = 5,       // "empty clipboard?? len=%d "
    READ_NO_MEMORY = 6,       // "malloc problem"
    READ_CANNOT_LOCK = 7,     // "GlobalLock problem"
    READ_DECODE_FAILED = 8,   // "Error %d reading wk1-data"; see decode_failure_status
    READ_CANNOT_CLOSE = 9,    // "error code: %u"
};

// A decoder result e is reported as 100 * e + READ_DECODE_FAILED (108, -92,
// 208), so the status also tells what the decoder met.
constexpr int decode_failure_status(int e) { return 100 * e + READ_DECODE_FAILED; }

// Decodes a WK1 record stream into the data table in two passes (the first
// finds the lowest cell, the second sizes the table and stores the cells).
int decode_wk1(const unsigned char* block, std::size_t size);

// Fetches the "Wk1" block from the clipboard, decodes a private copy of it,
// and reports every failure: READ_OK, a ReaderStatus, or
// decode_failure_status of the decoder's result (most with a message box).
int read_clipboard_worksheet(platform::WindowHandle owner);
