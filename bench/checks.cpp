// The fast paths against the plain ones, to the bit:
//  - quicksort_keys against the partition loop scanning key by key, on
//    random keys with many ties, markers and NaNs;
//  - the pair counts and ranks of summarize_pair_counts and
//    summarize_pair_ranks against order_columns(1) + summarize_columns(true),
//    and on the smaller worksheets against the literal ranking, for every
//    pair of columns of every worksheet, with and without the log options;
//  - the coefficient matrices of the Pearson and Spearman analyses against
//    pearson_r and spearman_rho of the ordered and summarised pair table.
#include "bench/checks.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "analyses/pair_values.h"
#include "analyses/pearson.h"
#include "analyses/spearman.h"
#include "bench/bench_support.h"
#include "bench/reference.h"
#include "stats/column_summary.h"
#include "stats/ordering.h"
#include "stats/pair_ranks.h"
#include "worksheet/data_table.h"
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
            keys[i] = sort_keys[i] = v;
            index[i] = sort_index[i] = i;
        }
        plain_quicksort(keys, index, 0, n - 1);
        quicksort_keys(0, n - 1);
        if (std::memcmp(keys, sort_keys, sizeof(double) * static_cast<std::size_t>(n)) != 0 ||
            std::memcmp(index, sort_index, sizeof(int32_t) * static_cast<std::size_t>(n)) != 0)
            ++failures;
    }
    return report("quicksort_keys exchanges as the plain partition loop does", failures);
}

struct PairColumns {
    std::vector<double> value, rank;
    std::vector<int32_t> ties;
    int32_t n_total[2];
};

PairColumns record_pair_table(bool with_ranks) {
    PairColumns p;
    for (int r = 0; r < row_count; ++r) {
        for (int g = 0; g < 2; ++g) {
            p.value.push_back(pair_rows[r].value[g]);
            p.rank.push_back(with_ranks ? pair_rows[r].rank[g] : 0);
            p.ties.push_back(with_ranks ? pair_rows[r].tie_count[g] : 0);
        }
    }
    p.n_total[0] = group_summaries[0].n_total;
    p.n_total[1] = group_summaries[1].n_total;
    return p;
}

// The same values and pair counts, and with `ranks` the same ranks and ties.
bool same(const PairColumns& a, const PairColumns& b, bool ranks = true) {
    if (a.n_total[0] != b.n_total[0] || a.n_total[1] != b.n_total[1]) return false;
    if (ranks && a.ties != b.ties) return false;
    for (std::size_t k = 0; k < a.value.size(); ++k) {
        if (!same_bits(a.value[k], b.value[k])) return false;
        if (ranks && !same_bits(a.rank[k], b.rank[k])) return false;
    }
    return true;
}

// Every pair of columns of the worksheet that start-up has read.
int check_pair_ranks(bool literal_too) {
    int failures = 0;
    std::vector<PairRow> built(MAX_ROWS);
    std::vector<int32_t> reversed(MAX_ROWS);
    for (int a = 0; a < column_count; ++a) {
        for (int b = a + 1; b < column_count; ++b) {
            build_pair_values(a, b);
            std::memcpy(built.data(), pair_rows, sizeof pair_rows);
            order_columns(1);
            summarize_columns(true);
            const PairColumns plain = record_pair_table(true);

            std::memcpy(pair_rows, built.data(), sizeof pair_rows);
            summarize_pair_ranks(column_summaries[a].order, column_summaries[b].order);
            failures += !same(plain, record_pair_table(true));

            // Any order, or none, gives the same ranks.
            for (int k = 0; k < row_count; ++k) reversed[k] = column_summaries[a].order[row_count - 1 - k];
            std::memcpy(pair_rows, built.data(), sizeof pair_rows);
            summarize_pair_ranks(nullptr, reversed.data());
            failures += !same(plain, record_pair_table(true));

            std::memcpy(pair_rows, built.data(), sizeof pair_rows);
            summarize_pair_counts();
            failures += !same(plain, record_pair_table(false), false);

            if (literal_too) {
                std::memcpy(pair_rows, built.data(), sizeof pair_rows);
                for (int r = 0; r < row_count; ++r)
                    for (double& v : pair_rows[r].value)
                        if (is_missing_value(v)) v = CELL_MISSING;
                group_summaries[0].n_total = literal_rank(pair_rows, 0, row_count);
                group_summaries[1].n_total = literal_rank(pair_rows, 1, row_count);
                failures += !same(plain, record_pair_table(true));
            }
        }
    }
    return failures;
}

// The analysis' coefficient matrix against the plain path, pair by pair.
int check_coefficients(bool spearman) {
    start_result_text("");
    if (spearman)
        run_spearman_analysis(nullptr);
    else
        run_pearson_analysis(nullptr);
    std::vector<double> r(std::begin(correlation_r[0]), std::end(correlation_r[MAX_COLUMNS - 1]));
    std::vector<int32_t> n(std::begin(correlation_n[0]), std::end(correlation_n[MAX_COLUMNS - 1]));
    int failures = 0;
    for (int a = 0; a < column_count; ++a) {
        for (int b = a + 1; b < column_count; ++b) {
            const bool available = build_pair_values(a, b);
            order_columns(1);
            summarize_columns(true);
            double coefficient = 0;
            if (spearman) {
                int ties_x = 0, ties_y = 0;
                coefficient = spearman_rho(ties_x, ties_y);
                if (!available) coefficient = CELL_MISSING;
            } else {
                coefficient = available ? pearson_r() : std::nan("");
            }
            const std::size_t at = static_cast<std::size_t>(a * MAX_COLUMNS + b);
            failures += !same_bits(coefficient, r[at]) || group_summaries[0].n_total != n[at];
        }
    }
    return failures;
}

}  // namespace

int run_checks() {
    int failed = check_quicksort();
    for (const char* sheet : SHEETS) {
        for (bool log : {false, true}) {
            const std::string name = std::string(sheet) + (log ? " with both log options" : "");
            if (!start_up(read_worksheet(sheet))) {
                failed += report(name + ": cannot read the worksheet", 1);
                continue;
            }
            log_transform = log ? 1 : 0;
            log_y = log ? 1 : 0;
            extra_output = 1;
            failed += report(name + ": pair counts and ranks as the column summaries give them",
                             check_pair_ranks(row_count <= 200));
            failed += report(name + ": Pearson coefficients as pearson_r gives them", check_coefficients(false));
            failed += report(name + ": Spearman coefficients as spearman_rho gives them", check_coefficients(true));
        }
    }
    return failed;
}
