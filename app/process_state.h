// Puts every process-wide table and flag back into its process-start state.
// A program run starts there once; the tests return there before each case.
#pragma once

void reset_process_state();
