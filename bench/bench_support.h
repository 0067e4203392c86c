// What the stage benchmarks and the checks share: the generated worksheets
// and the start-up sequence that reads one into the tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Folder of the worksheets bench/make_worksheets.py writes.
extern std::string worksheet_dir;

// The bytes of worksheet `name` (without ".wk1"); empty when unreadable.
std::vector<unsigned char> read_worksheet(const std::string& name);

// Puts a worksheet through the start-up sequence: decode, order all
// columns, summarise them. False when it cannot be decoded.
bool start_up(const std::vector<unsigned char>& sheet);

// column_count after the last start_up (the rank listing lowers it).
extern int32_t start_up_columns;
