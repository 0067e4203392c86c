// The t-test's estimates that a comparison made of each compared column
// (of the two groups for the non-paired tests, of the differences for the
// paired ones), kept for the "More statistics" report, which would
// otherwise summarize every group once more: the same numbers, since the
// report asks for them on the same cells with the same options.
#pragma once

#include <cstdint>

// The t-test's estimates of one group: its count of values, mean and SD, on
// the log scale under Log-transformation.
struct GroupEstimate {
    int n;
    double mean;
    double sd;
};

// Group g's estimates as summarize_group left them in group_summaries[g].
GroupEstimate group_estimate(int g);

// Which comparison kept them, and with which group codes (0 for the paired
// tests), so that one never takes the other's.
enum class KeptBy { Paired, Nonpaired };
struct KeptFor {
    KeptBy by;
    int32_t code0, code1;
};

// [c][g]: group g's estimates of compared column c.
using ColumnGroupEstimates = GroupEstimate[2];

// A comparison forgets what was kept before it starts, keeps the estimates
// of each column as it goes, and at its end states what they were made
// for, which also notes the worksheet (a fingerprint of the data table) and
// Log-transformation.
void forget_group_estimates();
void keep_group_estimates(int c, int groups);
void seal_group_estimates(KeptFor kept_for);

// The kept estimates when they were made for `kept_for` on the worksheet
// and Log-transformation as they are now; null otherwise.
const ColumnGroupEstimates* kept_group_estimates(KeptFor kept_for);
