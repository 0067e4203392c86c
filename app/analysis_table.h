// The analyses the dialog offers: radio button, entry, success message and
// "More statistics" report.
#pragma once

#include "analyses/more_statistics.h"
#include "platform/platform.h"

using AnalysisEntry = int (*)(platform::WindowHandle owner);

struct AnalysisKind {
    int radio_id;
    AnalysisEntry run;
    const char* success_message;
    MoreAnalysis more;  // its "More statistics" report
};

// The analysis of a radio button id, or null when there is none.
const AnalysisKind* find_analysis(int radio_id);
