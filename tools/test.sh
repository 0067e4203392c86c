#!/usr/bin/env bash
# Builds Morvenda and runs every test: the unit tests and the command-line
# end-to-end tests, once in a plain build and once under AddressSanitizer and
# UndefinedBehaviorSanitizer, the command-line cases also under valgrind;
# then the benchmarks' bit-for-bit checks, a short fuzzing run, the Windows
# program under Wine and the browser edition in headless Chromium. On a
# fresh Debian machine, run as root, it first installs the Debian packages it
# needs.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
jobs=$(nproc 2>/dev/null || echo 2)

# Debian packages the build and the tests need (the table generator's check
# needs python3-scipy; the desktop clipboard round trip needs xvfb and xclip;
# the memory check of the command line needs valgrind; the distributions of
# the "More statistics" report come from Boost.Math, header-only).
packages=(cmake g++ make libgtest-dev libboost-dev python3 python3-scipy xvfb xclip valgrind)

source "$top/tools/debian_packages.sh"
ensure_debian_packages "${packages[@]}"
# The benchmarks (bench/) need Google Benchmark; without it they are left out.
ensure_debian_packages --optional libbenchmark-dev

# The fast paths checked to the bit against the plain ones; with "smoke",
# also every benchmark once (timings are not tests, so nothing is compared).
run_bench() {
  local program=$1/bench/morvenda_bench
  if [ ! -x "$program" ]; then
    echo "benchmarks skipped: libbenchmark-dev is not installed"
    return
  fi
  "$program" --check
  if [ "${2:-}" = smoke ]; then "$program" --benchmark_min_time=0 --benchmark_format=json >/dev/null; fi
}

run_suite() {
  local dir=$1; shift
  cmake -S "$top" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure
}

echo "== plain build =="
run_suite "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVENDA_TESTS=ON
run_bench "$top/build" smoke
echo "== command-line end-to-end cases under valgrind memcheck =="
MORVENDA_WRAPPER="valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite" \
  ctest --test-dir "$top/build" -R '^cli[.]' -j "$jobs" --output-on-failure
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite "$top/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DMORVENDA_SANITIZE=ON -DMORVENDA_TESTS=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_bench "$top/build-sanitize"
echo "== fuzz smoke run: every seed once, then a fixed number of runs from a fixed seed =="
FUZZ_BUILD_DIR="$top/build-fuzz" bash "$top/fuzz/run.sh" --smoke
echo "== Windows program: cross build (MinGW-w64) and end-to-end tests under Wine =="
bash "$top/tests/wine/run.sh" "$top/build/morvenda" "$top/build-win32"
echo "== install and ship: manual page, cmake --install, bash completion, Debian package, Windows zip =="
bash "$top/tests/package/run.sh" "$top/build" "$top/build-win32"
echo "== browser edition: the page built with Emscripten, tested in headless Chromium against the command line =="
bash "$top/tools/test_web.sh" "$top/build/morvenda"
