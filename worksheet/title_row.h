// A worksheet whose first row holds titles, though they may look like
// numbers (years such as 2019, 2020): the cells of its first used row are
// made missing values, as a row of text titles is, so that they count in
// no statistic. Rows and columns keep their places.
#pragma once

#include <cstddef>
#include <vector>

// The WK1 record stream `block` with every cell record (INTEGER, NUMBER,
// FORMULA, LABEL) of its lowest row replaced by a NUMBER record holding
// CELL_MISSING; every other record is copied as it is. The first row is the
// lowest row of any cell record, where the decoder puts the table's origin.
// A record that runs past the end ends the copy, as it ends the decoder.
std::vector<unsigned char> first_row_as_titles(const unsigned char* block, std::size_t size);
