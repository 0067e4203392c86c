// The body of the whole-program fuzz targets: runs one input through the
// program and aborts with a description when an invariant breaks or the run
// takes longer than its bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "analyses/more_statistics.h"
#include "app/analysis_dialog.h"
#include "app/analysis_table.h"
#include "app/process_state.h"
#include "fuzz/fuzz_program.h"
#include "fuzz/invariants.h"
#include "worksheet/data_table.h"
#include "worksheet/wk1_reader.h"

namespace fuzz {

// The most processor time a run may take, in seconds (FUZZ_RUN_SECONDS
// overrides it). Processor time, not wall time, so that a busy machine does
// not make a finding. The largest worksheet, 1024 rows of 50 columns, takes
// about 5 s for Pearson in the sanitizer build, 0.5 s in a plain one.
inline double run_time_bound() {
    static const double bound = [] {
        const char* text = std::getenv("FUZZ_RUN_SECONDS");
        const double seconds = text != nullptr ? std::atof(text) : 0.0;
        return seconds > 0 ? seconds : 20.0;
    }();
    return bound;
}

// The "More statistics" report of a run, as --more writes it after the
// analysis: it changes no status, and its text is a title and lines of a
// label and one cell per column, none of them "nan" or "inf".
inline std::string check_more_statistics(const ProgramInput& in) {
    static char text[MORE_TEXT_CAPACITY];
    const AnalysisKind* kind = find_analysis(effective_radio(in));
    const MoreAnalysis analysis = kind != nullptr ? kind->more : MoreAnalysis::Descriptive;
    const int32_t status_before = last_run_status;
    const int length = write_more_statistics(analysis, text, MORE_TEXT_CAPACITY);
    if (last_run_status != status_before) return "the More statistics report changed the status";
    if (length < 0 || length >= MORE_TEXT_CAPACITY || text[length] != '\0') return "More statistics: bad length";
    if (length == 0) return "";
    const std::string report(text, static_cast<std::size_t>(length));
    if (report.compare(0, 16, "More statistics\n") != 0) return "More statistics: no title";
    if (report.back() != '\n') return "More statistics: last line not ended";
    for (const char* bad : {"nan", "inf"})
        if (report.find(bad) != std::string::npos) return std::string("More statistics holds ") + bad;
    return "";
}

inline void run_and_check(const uint8_t* data, std::size_t size) {
    const ProgramInput in = decode_header(data, size);
    const uint8_t* wk1 = data + (size < HEADER_BYTES ? size : HEADER_BYTES);
    const std::size_t wk1_size = size < HEADER_BYTES ? 0 : size - HEADER_BYTES;

    reset_process_state();
    const Decoded decoded{decode_wk1(wk1, wk1_size), row_count, column_count};

    const std::clock_t start = std::clock();
    run_program(in, wk1, wk1_size);
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;

    std::string failure = check_run(in, wk1_size, decoded);
    // As the command line does: the report only after a run that succeeded.
    if (failure.empty() && in.more && !in.cancel && headless::dialogs_shown() > 0 && last_run_status == 0)
        failure = check_more_statistics(in);
    if (!failure.empty()) {
        std::fprintf(stderr, "INVARIANT BROKEN: %s\n", failure.c_str());
        std::abort();
    }
    if (seconds > run_time_bound()) {
        std::fprintf(stderr, "INVARIANT BROKEN: the run took %.1f s of processor time\n", seconds);
        std::abort();
    }
}

}  // namespace fuzz
