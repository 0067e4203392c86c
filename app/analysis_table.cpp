#include "app/analysis_table.h"

#include "analyses/descriptive.h"
#include "analyses/nonpaired.h"
#include "analyses/paired.h"
#include "analyses/pearson.h"
#include "analyses/rank_listing.h"
#include "analyses/spearman.h"
#include "app/analysis_dialog.h"

namespace {

const AnalysisKind ANALYSES[] = {
    {ID_DESCRIPTIVE, run_descriptive_analysis, "Descriptive results on clipboard: use Edit/Paste or CTRL-V",
     MoreAnalysis::Descriptive},
    {ID_PAIRED, run_paired_analysis, "Paired test results on clipboard: use Edit/Paste or CTRL-V",
     MoreAnalysis::Paired},
    {ID_NONPAIRED, run_nonpaired_analysis, "Non-paired test results on clipboard: use Edit/Paste or CTRL-V",
     MoreAnalysis::Nonpaired},
    {ID_PEARSON, run_pearson_analysis, "Pearson results on clipboard: use Edit/Paste or CTRL-V",
     MoreAnalysis::Pearson},
    {ID_SPEARMAN, run_spearman_analysis, "Spearman results on clipboard: use Edit/Paste or CTRL-V",
     MoreAnalysis::Spearman},
    {ID_SHOW_RANKS, run_rank_listing, "Rank results on clipboard: use Edit/Paste or CTRL-V",
     MoreAnalysis::ShowRanks},
};

}  // namespace

const AnalysisKind* find_analysis(int radio_id) {
    for (const AnalysisKind& kind : ANALYSES)
        if (kind.radio_id == radio_id) return &kind;
    return nullptr;
}
