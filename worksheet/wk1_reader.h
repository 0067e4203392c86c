// Reading the "Wk1" clipboard worksheet into the data table.
//
// The block is a stream of WK1 records (type u16, length u16, body), all
// integers little-endian. The table's origin is the lowest column and row of
// any INTEGER, NUMBER, FORMULA or LABEL record; its far corner comes from the
// RANGE record's end column and row, capped at MAX_COLUMNS and MAX_ROWS.
#pragma once

#include <cstddef>

#include "platform/platform.h"

// decode_wk1 results.
constexpr int WK1_OK = 0;
constexpr int WK1_ZERO_LENGTH = 1;     // a record (other than EOF) of length 0
constexpr int WK1_TRUNCATED = -1;      // a record or field runs past the block
constexpr int WK1_BAD_VERSION = 2;     // BOF of a version other than 0x0404 / 0x0406

// Decodes a WK1 record stream into the data table in two passes (the first
// finds the lowest cell, the second sizes the table and stores the cells).
int decode_wk1(const unsigned char* block, std::size_t size);

// Fetches the "Wk1" block from the clipboard, decodes a private copy of it,
// and reports every failure. 0 on success; 1..9, or 100*e + 8 for a decoder
// result e, on failure (most with their own message box).
int read_clipboard_worksheet(platform::WindowHandle owner);
