// The limits written in "<" and ">" cells: "<0.5" is a value below 0.5,
// ">1000" one above 1000. The data table keeps such a cell as CELL_SMALL or
// CELL_BIG; this table, beside it and indexed the same way, keeps the number
// after the sign, so that the statistics of values beyond a limit can tell
// "<5" from "<1". No other statistic reads it.
//
// A cell has a kept limit only when it is a marker cell whose text after the
// sign is wholly a number strictly inside the missing bound: "<0.5" keeps
// 0.5, "< 5" keeps 5, ">1e3" keeps 1000; "<", "<abc", "<5 mg" and "<1e12"
// keep none. The number is read by the cell text rules, with the decimal
// separator the cell's numbers are read with (text_number.h).
//
// Like every table of the program the limit table starts all zero, and zero
// (+0.0) stands for "no limit". A limit of zero is kept as -0.0, which is
// equal to 0 in every comparison and computation.
//
// Writers: the WK1 decoder (from LABEL records) and nothing else; the text
// step carries a text cell's limit to it in the label it writes.
#pragma once

#include <cmath>
#include <cstddef>

#include "worksheet/data_table.h"

constexpr double NO_LIMIT = 0.0;

extern double cell_limit[MAX_ROWS][MAX_COLUMNS];

// The value stored for a kept limit `v` (a real value).
inline double limit_entry(double v) { return v == 0 ? -0.0 : v; }

// Whether an entry holds a kept limit.
inline bool is_kept_limit(double entry) { return entry != 0 || std::signbit(entry); }

// The entry for the text after a marker's sign: limit_entry of its value
// when that text is a number and the value is real, else NO_LIMIT.
inline double limit_of(bool is_number, double v) { return is_number && is_real_value(v) ? limit_entry(v) : NO_LIMIT; }

// Limits stored since the table was last cleared (so that a
// decode of a worksheet without limits clears nothing).
extern int limit_cells_kept;

// Sets every entry to NO_LIMIT when any is set.
void clear_limit_table();

// Puts the table back into its process-start state.
void reset_limit_table();

// The limit written after the sign of a marker cell: `text` points just past
// the "<" or ">" and holds `size` bytes. NO_LIMIT unless they are wholly a
// number (spaces around it allowed) with `decimal_point` ('.' or ',') as the
// decimal point, strictly inside the missing bound; else limit_entry of it.
double read_limit_text(const unsigned char* text, std::size_t size, char decimal_point);

// The label text that carries a limit through a WK1 record: the sign and the
// limit written so that read_limit_text with '.' gives back the same double,
// whatever the process locale. Writes at most LIMIT_LABEL_CAPACITY bytes
// including the terminating zero; returns the length without it.
constexpr std::size_t LIMIT_LABEL_CAPACITY = 32;
std::size_t write_limit_label(char* out, char sign, double limit);
