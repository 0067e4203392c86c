// The "More statistics" report: the entry, which hands the worksheet to the
// part of the analysis asked for.
#include "analyses/more_statistics.h"

#include "analyses/more_rows.h"

int write_more_statistics(MoreAnalysis analysis, char* out, int capacity) {
    if (out == nullptr || capacity < 1) return 0;
    out[0] = '\0';
    bool filled = false;
    switch (analysis) {
    case MoreAnalysis::Descriptive: filled = fill_more_descriptive(); break;
    case MoreAnalysis::Paired: filled = fill_more_paired(); break;
    case MoreAnalysis::Nonpaired: filled = fill_more_nonpaired(); break;
    case MoreAnalysis::Pearson: filled = fill_more_correlation(false); break;
    case MoreAnalysis::Spearman: filled = fill_more_correlation(true); break;
    case MoreAnalysis::ShowRanks: break;
    }
    return filled ? write_more_rows(out, capacity) : 0;
}
