#include "analyses/kept_estimates.h"

#include <cstring>

#include "stats/column_summary.h"
#include "worksheet/data_table.h"

namespace {

// What the kept estimates were made from; `valid` is false until a
// comparison has sealed them.
struct EstimatesKey {
    bool valid;
    uint64_t worksheet;
    KeptFor kept_for;
    int log;
};
EstimatesKey kept_key{false, 0, {KeptBy::Paired, 0, 0}, 0};
GroupEstimate kept_estimates[MAX_COLUMNS][2];

// A 64-bit hash of the worksheet's size and every used cell's bits, a word
// at a time: multiplied by the golden ratio's 64-bit fraction, the high
// bits folded down, so that every bit of every cell moves the whole hash.
uint64_t worksheet_fingerprint() {
    uint64_t h = 0;
    const auto mix = [&h](uint64_t word) {
        h = (h ^ word) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    };
    const int rows = used_rows(), columns = used_columns();
    mix(static_cast<uint64_t>(rows) << 32 | static_cast<uint32_t>(columns));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            uint64_t bits;
            std::memcpy(&bits, &data_rows[r].value[c], sizeof bits);
            mix(bits);
        }
    return h;
}

EstimatesKey current_key(KeptFor kept_for) {
    return EstimatesKey{true, worksheet_fingerprint(), kept_for, log_transform};
}

}  // namespace

GroupEstimate group_estimate(int g) {
    const ColumnSummary& s = group_summaries[g == 1 ? 1 : 0];
    return log_transform != 0 ? GroupEstimate{s.n_real_log, s.mean_log, s.sd_log} : GroupEstimate{s.n_real, s.mean, s.sd};
}

void forget_group_estimates() { kept_key.valid = false; }

void keep_group_estimates(int c, int groups) {
    if (c < 0 || c >= MAX_COLUMNS) return;
    for (int g = 0; g < 2; ++g) kept_estimates[c][g] = g < groups ? group_estimate(g) : GroupEstimate{0, 0, 0};
}

void seal_group_estimates(KeptFor kept_for) { kept_key = current_key(kept_for); }

const ColumnGroupEstimates* kept_group_estimates(KeptFor kept_for) {
    if (!kept_key.valid) return nullptr;
    const EstimatesKey now = current_key(kept_for);
    const bool same = now.worksheet == kept_key.worksheet && now.kept_for.by == kept_key.kept_for.by &&
                      now.kept_for.code0 == kept_key.kept_for.code0 && now.kept_for.code1 == kept_key.kept_for.code1 &&
                      now.log == kept_key.log;
    return same ? kept_estimates : nullptr;
}
