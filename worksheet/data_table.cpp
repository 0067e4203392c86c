// The process-wide data table, pair table and option flags.
#include "worksheet/data_table.h"

#include <cstring>

#include "worksheet/limit_table.h"

// Aligned so that the system can back the whole table with one large page.
alignas(MORVENDA_TABLE_ALIGNMENT) DataRow data_rows[MAX_ROWS];
PairRow pair_rows[MAX_ROWS];

int32_t row_count = 0;
int32_t column_count = 0;

int32_t log_transform = 0;
int32_t log_y = 0;
int32_t extra_output = 0;

void reset_data_table() {
    std::memset(data_rows, 0, sizeof data_rows);
    std::memset(pair_rows, 0, sizeof pair_rows);
    reset_limit_table();
    row_count = 0;
    column_count = 0;
    log_transform = 0;
    log_y = 0;
    extra_output = 0;
}
