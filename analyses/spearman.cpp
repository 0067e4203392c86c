// Spearman's rank correlation of every pair of data columns. The ranks are
// the mid-ranks the column summaries give the pair table; with
// S = (N^3 - N - Q) / 12, Q the sum of t^3 - t over tie groups of size t,
//   rho = (Sx + Sy - D) / (2 sqrt(Sx Sy)),  D the sum of squared rank differences,
// which without ties is 1 - 6D / (N^3 - N).
#include "analyses/spearman.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "analyses/correlation_report.h"
#include "analyses/pair_columns.h"
#include "stats/column_summary.h"
#include "worksheet/data_table.h"
#include "worksheet/result_text.h"

namespace {

// (N^3 - N - Q) / 12; the integer part is formed first. N^3 reaches about
// 1.07e9 at MAX_ROWS, so the sums are 64-bit.
double rank_spread(int64_t n, int64_t q) { return static_cast<double>(n * n * n - n - q) * (1.0 / 12.0); }

// The data columns ranked: every column as y (under log_y), and the column
// in hand as x when the log modes differ.
RankColumn y_ranks[MAX_COLUMNS];
RankColumn x_rank;

// Rows kept before each place 0..count of a ranked column's order: its
// present rows less those whose partner cell is missing. Twice a rank
// among the kept rows is kept[run start] + kept[run end] + 1, and a tie
// count is kept[run end] - kept[run start].
int16_t kept_x[MAX_ROWS + 64];
int16_t kept_y[MAX_ROWS + 64];

// For each pattern of dropped places among eight, place i less the
// dropped places before it, for i = 0..7.
struct KeptInByte {
    int16_t before[256][8];
    uint8_t dropped[256];
};

constexpr KeptInByte make_kept_in_byte() {
    KeptInByte table{};
    for (int pattern = 0; pattern < 256; ++pattern) {
        int dropped = 0;
        for (int i = 0; i < 8; ++i) {
            table.before[pattern][i] = static_cast<int16_t>(i - dropped);
            dropped += pattern >> i & 1;
        }
        table.dropped[pattern] = static_cast<uint8_t>(dropped);
    }
    return table;
}

constexpr KeptInByte KEPT_IN_BYTE = make_kept_in_byte();

void count_kept(const RankColumn& column, const RowMask& partner_present, int16_t* kept) {
    // The places of the dropped rows, one bit each.
    uint64_t dropped_at[ROW_MASK_WORDS + 1] = {};
    for (int w = 0; w < ROW_MASK_WORDS; ++w) {
        for (uint64_t rows = column.present.word[w] & ~partner_present.word[w]; rows != 0; rows &= rows - 1) {
            const int k = column.position[w * 64 + lowest_row(rows)];
            dropped_at[k / 64] |= uint64_t{1} << (k % 64);
        }
    }
    // Eight places at a time, without a branch on the bits: the places
    // less the rows dropped before them, four 16-bit lanes to a word (the
    // same amount added to every lane, so no lane carries into the next).
    int dropped = 0;
    for (int at = 0; at <= column.count; at += 8) {
        const unsigned pattern = static_cast<unsigned>(dropped_at[at / 64] >> (at % 64)) & 0xFF;
        const uint64_t offset = static_cast<uint64_t>(at - dropped) * 0x0001000100010001u;
        uint64_t lanes[2];
        std::memcpy(lanes, KEPT_IN_BYTE.before[pattern], sizeof lanes);
        lanes[0] += offset;
        lanes[1] += offset;
        std::memcpy(kept + at, lanes, sizeof lanes);
        dropped += KEPT_IN_BYTE.dropped[pattern];
    }
}

// The tie sums of one side over the complete pairs (`both`): t - 1 and
// t^2 - 1 for every row in a run of t equal kept values. A run of one adds
// nothing, so only the tied runs are visited.
void tie_sums(const RankColumn& column, const int16_t* kept, const RowMask& both, int64_t& total, int64_t& q) {
    int first = 0;
    for (int run = 0; run < column.tied_runs; ++run) {
        const int end = column.tied_end[run];
        const int row0 = column.tied_rows[first];
        const int64_t t = kept[column.run_end[row0]] - kept[column.run_start[row0]];
        for (int k = first; k < end; ++k) {
            const int row = column.tied_rows[k];
            if (!has_row(both, row)) continue;
            total += t - 1;
            q += t * t - 1;
        }
        first = end;
    }
}

struct PairRho {
    double rho;
    int32_t pairs;
    int ties_x, ties_y;
};

// Rho of data columns a (x, ranked in `x`) and b (y, ranked in `y`) as
// spearman_rho gives it for their ordered and summarised pair table. The
// ranks are half-integers, so twice their differences are integers whose
// squares sum exactly, in any order, to what the pair table's sum is.
PairRho pair_rho(int a, int b, const RankColumn& x, const RankColumn& y) {
    count_kept(x, cell_present[b], kept_x);
    count_kept(y, cell_present[a], kept_y);
    // The pair count: the present x values whose partner cell is present.
    const int32_t pairs = kept_x[x.count];
    RowMask both;
    int64_t d4 = 0;
    int64_t untied_d = 0;
    for (int w = 0; w < ROW_MASK_WORDS; ++w) {
        both.word[w] = x.present.word[w] & y.present.word[w];
        const uint64_t tied = x.tied.word[w] | y.tied.word[w];
        // A row without equal values on either side is, on each side, a run
        // of one kept row at its own place p: twice its rank is
        // 2 kept[p] + 1, so the difference of twice the ranks is twice the
        // difference of the kept counts.
        for (uint64_t rows = both.word[w] & ~tied; rows != 0; rows &= rows - 1) {
            const int r = w * 64 + lowest_row(rows);
            const int64_t diff = kept_x[x.run_start[r]] - kept_y[y.run_start[r]];
            untied_d += diff * diff;
        }
        for (uint64_t rows = both.word[w] & tied; rows != 0; rows &= rows - 1) {
            const int r = w * 64 + lowest_row(rows);
            const int32_t rank_x = kept_x[x.run_start[r]] + kept_x[x.run_end[r]];
            const int32_t rank_y = kept_y[y.run_start[r]] + kept_y[y.run_end[r]];
            const int64_t diff = rank_x - rank_y;
            d4 += diff * diff;
        }
    }
    d4 += 4 * untied_d;
    int64_t tx = 0, qx = 0, ty = 0, qy = 0;
    tie_sums(x, kept_x, both, tx, qx);
    tie_sums(y, kept_y, both, ty, qy);
    return PairRho{rho_of(pairs, qx, qy, static_cast<double>(d4) / 4.0), pairs, static_cast<int>(tx),
                   static_cast<int>(ty)};
}

}  // namespace

double rho_of(int64_t n, int64_t qx, int64_t qy, double d) {
    const double sx = rank_spread(n, qx);
    const double sy = rank_spread(n, qy);
    if (sx * sy == 0) return CELL_MISSING;
    return (sx + sy - d) / (2.0 * std::sqrt(sx * sy));
}

void write_spearman_report() { write_correlation_report("Spearman\n", report_table(SPEARMAN_REPORT)); }

int run_spearman_analysis(platform::WindowHandle owner) {
    return run_correlation(
        owner, y_ranks, x_rank, rank_pair_column,
        [](int a, int b, const RankColumn& x, const RankColumn& y, bool available) {
            const PairRho pair = pair_rho(a, b, x, y);
            const double rho = available ? pair.rho : CELL_MISSING;
            set_matrix_pair(a, b, rho, pair.pairs);
            if (a != 0) return;
            const ReportTable table = report_table(SPEARMAN_REPORT);
            set_correlation_cells(table, b, rho, pair.pairs);
            set_report_cell(table, correlation_rows::TIES_X_ROW, b, pair.ties_x);
            set_report_cell(table, correlation_rows::TIES_Y_ROW, b, pair.ties_y);
        },
        write_spearman_report);
}
