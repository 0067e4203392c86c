// Reading the benchmark worksheets and starting up on one.
#include "bench/bench_support.h"

#include <fstream>
#include <iterator>

#include "app/process_state.h"
#include "stats/column_summary.h"
#include "stats/ordering.h"
#include "worksheet/data_table.h"
#include "worksheet/wk1_reader.h"

#ifndef MORVENDA_BENCH_WORKSHEETS
#define MORVENDA_BENCH_WORKSHEETS "."
#endif

std::string worksheet_dir = MORVENDA_BENCH_WORKSHEETS;
int32_t start_up_columns = 0;

std::vector<unsigned char> read_worksheet(const std::string& name) {
    std::ifstream in(worksheet_dir + "/" + name + ".wk1", std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool start_up(const std::vector<unsigned char>& sheet) {
    reset_process_state();
    if (sheet.empty() || decode_wk1(sheet.data(), sheet.size()) != WK1_OK) return false;
    order_data_columns();
    summarize_columns(false);
    start_up_columns = column_count;
    return true;
}
