// The fast paths checked to the bit against the plain ones, as a test
// program of its own that needs no benchmark library:
//   morvenda_fast_path_checks [--worksheets=DIR]
// Exit status 0 when every check holds, 1 otherwise.
#include <cstring>

#include "bench/bench_support.h"
#include "bench/checks.h"

int main(int argc, char** argv) {
    const char* const dir_flag = "--worksheets=";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], dir_flag, std::strlen(dir_flag)) == 0) worksheet_dir = argv[i] + std::strlen(dir_flag);
    return run_checks() == 0 ? 0 : 1;
}
