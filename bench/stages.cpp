// Stage benchmarks: the start-up stages (decode, ordering, column summaries)
// and every analysis with Extra output, with and without both log options,
// and the "More statistics" report alone after each, on the generated
// worksheets of each size. Beside them the same ranking
// work done literally (each present cell compared with every present cell
// of its column), for the side-by-side ratio.
//
//   morvenda_bench [--worksheets=DIR] [google benchmark flags]
//   morvenda_bench [--worksheets=DIR] --check
//
// DIR defaults to the worksheets the build generated. --check runs the
// checks that the fast paths give the bits of the plain ones instead.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "analyses/descriptive.h"
#include "analyses/more_statistics.h"
#include "analyses/nonpaired.h"
#include "analyses/paired.h"
#include "analyses/pearson.h"
#include "analyses/rank_listing.h"
#include "analyses/references.h"
#include "analyses/spearman.h"
#include "bench/bench_support.h"
#include "bench/checks.h"
#include "platform/headless/headless.h"
#include "stats/column_summary.h"
#include "stats/ordering.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"
#include "worksheet/wk1_reader.h"

namespace {

const char* const SIZES[] = {"small", "medium", "full"};

// Set when a benchmark could not run; the program then fails.
bool benchmark_failed = false;

using Stage = std::function<void(const std::vector<unsigned char>& sheet)>;

// Registers one benchmark over a worksheet that start-up has read: `prepare`
// runs before the timed loop, `stage` in it.
void add(const std::string& name, const std::string& sheet_name, const Stage& prepare, const Stage& stage) {
    benchmark::RegisterBenchmark(name.c_str(), [sheet_name, prepare, stage](benchmark::State& state) {
        const std::vector<unsigned char> sheet = read_worksheet(sheet_name);
        if (!start_up(sheet)) {
            state.SkipWithError(("cannot read worksheet " + sheet_name).c_str());
            benchmark_failed = true;
            return;
        }
        state.counters["rows"] = row_count;
        state.counters["columns"] = column_count;
        if (prepare) prepare(sheet);
        for (auto _ : state) stage(sheet);
    })->Unit(benchmark::kMillisecond);
}

struct Analysis {
    const char* name;
    int (*run)(platform::WindowHandle);
    bool grouped;  // reads the worksheet with a group-code first column
    MoreAnalysis more;
};

const Analysis ANALYSES[] = {
    {"descriptive", run_descriptive_analysis, false, MoreAnalysis::Descriptive},
    {"paired", run_paired_analysis, false, MoreAnalysis::Paired},
    {"nonpaired", run_nonpaired_analysis, true, MoreAnalysis::Nonpaired},
    {"pearson", run_pearson_analysis, false, MoreAnalysis::Pearson},
    {"spearman", run_spearman_analysis, false, MoreAnalysis::Spearman},
    {"ranks", run_rank_listing, false, MoreAnalysis::ShowRanks},
};

char more_text[MORE_TEXT_CAPACITY];

void set_options(bool log) {
    extra_output = 1;
    log_transform = log ? 1 : 0;
    log_y = log ? 1 : 0;
}

void register_all() {
    for (const char* size : SIZES) {
        const std::string s = size;
        add("decode/" + s, s, nullptr,
            [](const std::vector<unsigned char>& sheet) { decode_wk1(sheet.data(), sheet.size()); });
        add("order_columns/" + s, s, nullptr, [](const std::vector<unsigned char>&) { order_data_columns(); });
        add("summarize_columns/" + s, s, nullptr,
            [](const std::vector<unsigned char>&) { summarize_columns(false); });
        // The reader's private copy of the clipboard block included.
        add("start_up/" + s, s,
            [](const std::vector<unsigned char>& sheet) {
                headless::reset();
                headless::put_clipboard_block("Wk1", sheet.data(), sheet.size());
            },
            [](const std::vector<unsigned char>&) {
                read_clipboard_worksheet(nullptr);
                order_data_columns();
                summarize_columns(false);
            });
        add("literal_ranking/" + s, s, nullptr, [](const std::vector<unsigned char>&) { literal_rank_all_columns(); });

        for (const Analysis& analysis : ANALYSES) {
            const std::string sheet = analysis.grouped ? s + "_groups" : s;
            for (bool log : {false, true}) {
                const std::string name =
                    std::string("analysis/") + analysis.name + "/" + s + (log ? "/extra_log" : "/extra");
                auto run = analysis.run;
                add(name, sheet, [log](const std::vector<unsigned char>&) { set_options(log); },
                    [run](const std::vector<unsigned char>&) {
                        column_count = start_up_columns;  // the rank listing lowers it to 5
                        start_result_text("");
                        benchmark::DoNotOptimize(run(nullptr));
                    });
            }
            // The "More statistics" report alone, after its analysis.
            if (analysis.more == MoreAnalysis::ShowRanks) continue;
            auto run = analysis.run;
            const MoreAnalysis more = analysis.more;
            add(std::string("more/") + analysis.name + "/" + s, sheet,
                [run](const std::vector<unsigned char>&) {
                    set_options(false);
                    start_result_text("");
                    run(nullptr);
                },
                [more](const std::vector<unsigned char>&) {
                    benchmark::DoNotOptimize(write_more_statistics(more, more_text, MORE_TEXT_CAPACITY));
                });
        }

        add("spearman_summarized_pairs/" + s, s, [](const std::vector<unsigned char>&) { set_options(false); },
            [](const std::vector<unsigned char>&) { benchmark::DoNotOptimize(summarized_spearman_all_pairs()); });
        add("spearman_literal_pairs/" + s, s, [](const std::vector<unsigned char>&) { set_options(false); },
            [](const std::vector<unsigned char>&) { benchmark::DoNotOptimize(literal_spearman_all_pairs()); });
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args;
    bool check = false;
    const char* const dir_flag = "--worksheets=";
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], dir_flag, std::strlen(dir_flag)) == 0)
            worksheet_dir = argv[i] + std::strlen(dir_flag);
        else if (std::strcmp(argv[i], "--check") == 0)
            check = true;
        else
            args.push_back(argv[i]);
    }
    if (check) return run_checks() == 0 ? 0 : 1;
    int count = static_cast<int>(args.size());
    register_all();
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (benchmark_failed) std::fprintf(stderr, "morvenda_bench: a benchmark could not run\n");
    return benchmark_failed ? 1 : 0;
}
