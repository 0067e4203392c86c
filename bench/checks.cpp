// The fast paths against the plain ones, to the bit:
//  - quicksort_keys against the partition loop scanning key by key, on
//    random keys with many ties, markers and NaNs;
//  - print_fixed and print_integer against snprintf, on random values of
//    every magnitude, exact decimal ties and values that are no number;
//  - summarize_group against order_pair_columns() + summarize_columns(true),
//    the fields it writes, on the pair tables of the paired and the
//    non-paired tests for every column, with and without an order of the
//    data column to take the sorted copy from;
//  - the coefficient and pair count matrices of the Pearson and Spearman
//    analyses, and Spearman's tie totals against the first column, against
//    pearson_r and spearman_rho of the ordered and summarised pair table
//    (on the smaller worksheets also of the pair table ranked literally),
//    for every pair of columns of every worksheet under every setting of
//    the two log options.
#include "bench/checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "analyses/nonpaired.h"
#include "analyses/pair_values.h"
#include "analyses/paired.h"
#include "analyses/pearson.h"
#include "analyses/references.h"
#include "analyses/spearman.h"
#include "bench/bench_support.h"
#include "stats/column_summary.h"
#include "stats/ordering.h"
#include "worksheet/data_table.h"
#include "worksheet/number_text.h"
#include "worksheet/result_text.h"

namespace {

const char* const SHEETS[] = {"small", "small_groups", "medium", "medium_groups", "full", "full_groups"};

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

int report(const std::string& name, int failures) {
    std::printf("%s %s\n", failures == 0 ? "ok  " : "FAIL", name.c_str());
    return failures == 0 ? 0 : 1;
}

int check_quicksort() {
    std::mt19937 random(20261208);
    static double keys[MAX_ROWS];
    static int32_t index[MAX_ROWS];
    int failures = 0;
    for (int round = 0; round < 4000; ++round) {
        const int n = round % 4 == 0 ? MAX_ROWS : static_cast<int>(random() % (MAX_ROWS + 1));
        const int kind = static_cast<int>(random() % 6);
        for (int i = 0; i < n; ++i) {
            double v = 0;
            switch (kind) {
            case 0: v = std::round(std::exp(std::normal_distribution<double>(0, 1)(random)) * 1000) / 1000; break;
            case 1: v = static_cast<double>(random() % 3); break;
            case 2: v = static_cast<double>(random() % 40); break;
            case 3: v = i; break;
            case 4: v = n - i; break;
            // Keys that differ in their last bits only.
            default: v = std::ldexp(1.0 + std::ldexp(static_cast<double>(random() % 50), -40), i % 2); break;
            }
            if (random() % 20 == 0) v = MISSING_BOUND;
            if (random() % 60 == 0) v = CELL_SMALL;
            if (random() % 60 == 1) v = CELL_BIG;
            if (random() % 80 == 0) v = -0.0;
            if (random() % 80 == 1) v = 0.0;
            if (random() % 300 == 0) v = std::nan("");
            keys[i] = sort_arrays.keys[i] = v;
            index[i] = sort_arrays.index[i] = i;
        }
        plain_quicksort(keys, index, 0, n - 1);
        quicksort_keys(0, n - 1);
        if (std::memcmp(keys, sort_arrays.keys, sizeof(double) * static_cast<std::size_t>(n)) != 0 ||
            std::memcmp(index, sort_arrays.index, sizeof(int32_t) * static_cast<std::size_t>(n)) != 0)
            ++failures;
    }
    return report("quicksort_keys exchanges as the plain partition loop does", failures);
}

int check_number_texts() {
    std::mt19937_64 random(20261209);
    int failures = 0;
    char fast[512], plain[512];
    const int PRECISIONS[] = {1, 3, 4};
    const int WIDTHS[] = {0, 8, 12};
    auto compare = [&](double v) {
        const int precision = PRECISIONS[random() % 3];
        const int width = WIDTHS[random() % 3];
        const int a = print_fixed(fast, sizeof fast, v, precision, width, "\t", "\t");
        const int b = std::snprintf(plain, sizeof plain, "\t%*.*f\t", width, precision, v);
        failures += a != b || std::strcmp(fast, plain) != 0;
        // Cut to a small buffer, as a result cell is.
        const int c = print_fixed(fast, 16, v, precision, width, ">");
        const int d = std::snprintf(plain, 16, ">%*.*f", width, precision, v);
        failures += c != d || std::strcmp(fast, plain) != 0;
    };
    for (int round = 0; round < 300000; ++round) {
        uint64_t bits = random();
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        compare(v);  // any bit pattern: every magnitude, infinities, NaNs
        // Binary fractions, among them every exact tie between two decimals.
        compare(std::ldexp(static_cast<double>(static_cast<int64_t>(random() % 2000001) - 1000000),
                           -static_cast<int>(random() % 24)));
        compare(static_cast<double>(static_cast<int64_t>(random() % 100000000) - 50000000) / 10000.0);
        const long n = static_cast<long>(static_cast<int64_t>(random() % 4000000001ULL) - 2000000000);
        const int width = WIDTHS[random() % 3];
        const int a = print_integer(fast, sizeof fast, n, width, "\t", "\t");
        const int b = std::snprintf(plain, sizeof plain, "\t%*ld\t", width, n);
        failures += a != b || std::strcmp(fast, plain) != 0;
    }
    compare(-0.0);
    compare(-0.00001);
    return report("print_fixed and print_integer write what snprintf writes", failures);
}

// The fields summarize_group writes, of a group summary.
std::vector<double> group_fields(const ColumnSummary& s, unsigned fields) {
    std::vector<double> v = {static_cast<double>(s.n_total), static_cast<double>(s.n_real),
                             static_cast<double>(s.n_small), static_cast<double>(s.n_big), s.min, s.max};
    if (fields & GROUP_ESTIMATES) v.insert(v.end(), {s.mean, s.sd});
    if (fields & GROUP_LOG_ESTIMATES) v.insert(v.end(), {static_cast<double>(s.n_real_log), s.mean_log, s.sd_log});
    if (fields & GROUP_MEDIAN) {
        v.push_back(s.median);
        for (int k = 0; k < row_count; ++k) v.push_back(s.order[k]);
    }
    return v;
}

// Every column's pair table of the paired tests (differences) and, when
// the first column holds two group codes, of the non-paired tests.
int check_group_summaries() {
    int32_t code0 = 0, code1 = 0;
    const bool groups = find_group_codes(code0, code1);
    int failures = 0;
    std::vector<PairRow> built(MAX_ROWS);
    for (int c = 1; c < column_count; ++c) {
        for (int table = 0; table < (groups ? 2 : 1); ++table) {
            if (table == 0)
                build_paired_differences(c);
            else
                build_group_columns(c, code0, code1);
            std::memcpy(built.data(), pair_rows, sizeof pair_rows);
            order_pair_columns();
            summarize_columns(true);
            const ColumnSummary plain[2] = {group_summaries[0], group_summaries[1]};
            const unsigned FIELDS[] = {GROUP_ESTIMATES, GROUP_LOG_ESTIMATES,
                                       GROUP_ESTIMATES | GROUP_LOG_ESTIMATES | GROUP_MEDIAN};
            // With the data column's order given for the group table (as
            // the analysis gives it), and an order that is none for both.
            std::vector<int32_t> reversed(column_summaries[c].order, column_summaries[c].order + row_count);
            std::reverse(reversed.begin(), reversed.end());
            std::vector<const int32_t*> hints = {nullptr, reversed.data()};
            if (table == 1) hints.push_back(column_summaries[c].order);
            for (const int32_t* hint : hints) {
                for (unsigned fields : FIELDS) {
                    std::memcpy(pair_rows, built.data(), sizeof pair_rows);
                    summarize_group(0, fields, hint);
                    summarize_group(1, fields, hint);
                    for (int g = 0; g < 2; ++g) {
                        const std::vector<double> a = group_fields(group_summaries[g], fields);
                        const std::vector<double> b = group_fields(plain[g], fields);
                        failures += !std::equal(a.begin(), a.end(), b.begin(), b.end(), same_bits);
                    }
                }
            }
        }
    }
    return failures;
}

// Ranks and tie counts of the pair table by the literal counting.
void rank_pair_table_literally() {
    for (int r = 0; r < row_count; ++r)
        for (double& v : pair_rows[r].value)
            if (is_missing_value(v)) v = CELL_MISSING;
    group_summaries[0].n_total = literal_rank(pair_rows, 0, row_count);
    group_summaries[1].n_total = literal_rank(pair_rows, 1, row_count);
}

// The analysis' matrices against the plain path, pair by pair, and
// Spearman's tie totals against the first column as printed.
int check_coefficients(bool spearman, bool literal_too) {
    start_result_text("");
    if (spearman)
        run_spearman_analysis(nullptr);
    else
        run_pearson_analysis(nullptr);
    std::vector<double> r(std::begin(correlation_r[0]), std::end(correlation_r[MAX_COLUMNS - 1]));
    std::vector<int32_t> n(std::begin(correlation_n[0]), std::end(correlation_n[MAX_COLUMNS - 1]));
    std::vector<std::string> ties;
    for (int b = 1; spearman && b < column_count; ++b) {
        ties.push_back(result_cells[correlation_rows::TIES_X_ROW][b]);
        ties.push_back(result_cells[correlation_rows::TIES_Y_ROW][b]);
    }
    int failures = 0;
    for (int a = 0; a < column_count; ++a) {
        for (int b = a + 1; b < column_count; ++b) {
            const std::size_t at = static_cast<std::size_t>(a * MAX_COLUMNS + b);
            for (int way = 0; way < (literal_too ? 2 : 1); ++way) {
                const bool available = build_pair_values(a, b);
                if (way == 0) {
                    order_pair_columns();
                    summarize_columns(true);
                } else {
                    rank_pair_table_literally();
                }
                double coefficient = 0;
                if (spearman) {
                    int ties_x = 0, ties_y = 0;
                    coefficient = spearman_rho(ties_x, ties_y);
                    if (!available) coefficient = CELL_MISSING;
                    if (a == 0) {
                        char text[RESULT_CELL_CAPACITY];
                        const std::size_t k = static_cast<std::size_t>(2 * (b - 1));
                        format_result_value(text, ties_x);
                        failures += ties[k] != text;
                        format_result_value(text, ties_y);
                        failures += ties[k + 1] != text;
                    }
                } else {
                    coefficient = available ? pearson_r() : std::nan("");
                }
                failures += !same_bits(coefficient, r[at]) || group_summaries[0].n_total != n[at];
            }
        }
    }
    return failures;
}

}  // namespace

int run_checks() {
    int failed = check_quicksort();
    failed += check_number_texts();
    const char* const LOG_MODES[] = {"", " with log x", " with log y", " with both log options"};
    for (const char* sheet : SHEETS) {
        for (int mode = 0; mode < 4; ++mode) {
            const std::string name = std::string(sheet) + LOG_MODES[mode];
            if (!start_up(read_worksheet(sheet))) {
                failed += report(name + ": cannot read the worksheet", 1);
                continue;
            }
            log_transform = mode % 2;
            log_y = mode / 2;
            extra_output = 1;
            const bool literal_too = row_count <= 200;
            if (mode == 0 || mode == 3)  // the tests read the first log option only
                failed += report(name + ": group summaries as summarize_columns gives them",
                                 check_group_summaries());
            failed += report(name + ": Pearson coefficients and pair counts as pearson_r gives them",
                             check_coefficients(false, literal_too));
            failed += report(name + ": Spearman coefficients, pair counts and ties as spearman_rho gives them",
                             check_coefficients(true, literal_too));
        }
    }
    return failed;
}
