// The analyses the dialog offers: radio button, entry and success message.
#pragma once

#include "platform/platform.h"

using AnalysisEntry = int (*)(platform::WindowHandle owner);

struct AnalysisKind {
    int radio_id;
    AnalysisEntry run;
    const char* success_message;
};

// The analysis of a radio button id, or null when there is none.
const AnalysisKind* find_analysis(int radio_id);
