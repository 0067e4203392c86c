// The "More statistics" report: what a reviewer asks for beside an
// analysis' own report (unequal-variance t, effect sizes with intervals,
// rank tests with exact p, Hodges-Lehmann shifts, agreement limits, p for
// correlations, a normality test, adjusted p), for the worksheet in the data
// table. Any front end calls it after the analysis has run and appends the
// text it writes; the analysis' own report is left as it is.
#pragma once

// The analyses with such a report; Show Ranks has no rows.
enum class MoreAnalysis { Descriptive, Paired, Nonpaired, Pearson, Spearman, ShowRanks };

// Room for the longest report: about 40 rows of 50 cells.
constexpr int MORE_TEXT_CAPACITY = 131072;

// Writes the report of `analysis` into `out` (`capacity` bytes, the
// terminator included) from the data table, the column summaries and the
// option flags as start-up and the dialog left them: the line "More
// statistics", then one line per statistic (the label, then a tab and a
// cell per compared column, or per column for Descriptive), each ending in
// a newline. A line that does not fit is left out whole. Returns the length
// written; 0, with an empty text, when the analysis has no rows or its
// input is one the analysis refuses. Uses the pair table and the group
// summaries as working space.
int write_more_statistics(MoreAnalysis analysis, char* out, int capacity);
