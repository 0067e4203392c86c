#include "app/analysis_table.h"

#include "analyses/descriptive.h"
#include "app/analysis_dialog.h"

namespace {

const AnalysisKind ANALYSES[] = {
    {ID_DESCRIPTIVE, run_descriptive_analysis, "Descriptive results on clipboard: use Edit/Paste or CTRL-V"},
};

}  // namespace

const AnalysisKind* find_analysis(int radio_id) {
    for (const AnalysisKind& kind : ANALYSES)
        if (kind.radio_id == radio_id) return &kind;
    return nullptr;
}
