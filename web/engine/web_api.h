// The page's program as the page's JavaScript calls it: plain C functions,
// answering in JSON texts (web_api.cpp says what each holds). A returned
// text stays valid until the next call.
#pragma once

extern "C" {
const char* morvenda_contract();
unsigned char* morvenda_input_buffer();
unsigned morvenda_input_capacity();
const char* morvenda_read(unsigned size, int kind, int decimal_comma, int cut, int first_row_titles);
const char* morvenda_calculate(int radio_id, int log_transformation, int log_y_values, int extra);
const char* morvenda_result_text();
unsigned morvenda_result_length();
const char* morvenda_more();
unsigned morvenda_more_length();
const char* morvenda_written_rows();
unsigned morvenda_written_length();
const char* morvenda_plot(int column);
}
