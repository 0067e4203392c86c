// Checks that the fast paths give the very bits of the plain ones, run by
// `morvenda_bench --check` (tools/test.sh runs it with the smoke run).
#pragma once

// Runs every check on the generated worksheets, printing one line per
// check; returns the number that failed.
int run_checks();
