#!/usr/bin/env bash
# Builds Morvenda and runs every test, part by part: the unit tests and the
# command-line end-to-end tests in a plain build, the command-line cases
# under valgrind, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the fast-path checks, a short fuzzing run, the
# Windows program under Wine, the install and the packages, and the browser
# edition in headless Chromium. On a fresh Debian machine, run as root, it
# first installs the Debian packages each part needs.
#
# Every part runs, whatever the ones before it did, and the log ends with
# one line per part and a count of the parts. Exit status:
#   0  every part ran and passed
#   1  a part failed, or could not run as root or under CI (where nothing
#      may be skipped)
#   3  every part that ran passed, and some were skipped: only for a user
#      who is not root, outside CI, where a part's packages are missing
set -uo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
jobs=$(nproc 2>/dev/null || echo 2)
source "$top/tools/debian_packages.sh"

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
export MORVENDA_INSTALL_ERRORS=$logs/install-errors

# Debian packages of the plain build and its tests (the table generator's
# check needs python3-scipy; the desktop clipboard round trip needs xvfb and
# xclip; the memory check of the command line needs valgrind; the timing
# benchmarks need libbenchmark-dev; the distributions of the "More
# statistics" report come from Boost.Math, header-only).
packages=(cmake g++ make libgtest-dev libbenchmark-dev libboost-dev python3 python3-scipy xvfb xclip valgrind)

sanitizers() {
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
}

suite() {
  local dir=$1; shift
  cmake -S "$top" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure
}

# The parts. Each runs in a subshell of its own and ends with its status:
# 0 passed, 77 skipped, anything else failed.
plain_build() {
  require_debian_packages "${packages[@]}"
  suite "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVENDA_TESTS=ON
}
valgrind_cases() {
  [ -x "$top/build/morvenda" ] || cannot_run "the plain build did not make build/morvenda"
  MORVENDA_WRAPPER="valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite" \
    ctest --test-dir "$top/build" -R '^cli[.]' -j "$jobs" --output-on-failure
}
sanitizer_build() {
  sanitizers
  suite "$top/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DMORVENDA_SANITIZE=ON -DMORVENDA_TESTS=ON
}
# The bit-for-bit checks (also a CTest test of both builds), here with one
# line per check, then each timing benchmark once: timings are not tests,
# so nothing of them is compared.
fast_path_checks() {
  local checks=$top/build/bench/morvenda_fast_path_checks bench=$top/build/bench/morvenda_bench
  [ -x "$checks" ] || cannot_run "the plain build did not make $checks"
  "$checks"
  (sanitizers; "$top/build-sanitize/bench/morvenda_fast_path_checks" >/dev/null)
  echo "the same checks under the sanitizers: passed"
  [ -x "$bench" ] || cannot_run "the timing benchmarks were not built (libbenchmark-dev)"
  "$bench" --benchmark_min_time=0 --benchmark_format=json >/dev/null
  echo "timing benchmarks: each ran once"
}
fuzz_smoke() { FUZZ_BUILD_DIR="$top/build-fuzz" bash "$top/fuzz/run.sh" --smoke; }
windows_under_wine() { bash "$top/tests/wine/run.sh" "$top/build/morvenda" "$top/build-win32"; }
install_and_ship() { bash "$top/tests/package/run.sh" "$top/build" "$top/build-win32"; }
browser() { bash "$top/tools/test_web.sh" "$top/build/morvenda"; }

# What each part counts, read off its log.
count_ctest() {
  sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\)$/\2 tests, \1 failed/p' "$1" |
    tail -n 1
}
count_checks() { echo "$(grep -c '^ok' "$1") checks"; }
count_fuzz() { echo "$(grep -c '^== fuzz_' "$1") fuzz targets"; }
count_node() {
  local pass fail
  pass=$(sed -n 's/^# pass \([0-9]*\)$/\1/p' "$1" | tail -n 1)
  fail=$(sed -n 's/^# fail \([0-9]*\)$/\1/p' "$1" | tail -n 1)
  [ -n "$pass" ] && echo "${pass} page tests, ${fail:-0} failed"
}

summary=()
passed=0 failed=0 skipped=0
run_part() {
  local name=$1 counter=$2 part=$3 status count
  local log=$logs/part-${#summary[@]}.log
  echo "== $name =="
  (set -e; "$part") 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  count=$("$counter" "$log" 2>/dev/null)
  case $status in
    0) passed=$((passed + 1)); summary+=("passed   $name: ${count:-done}") ;;
    77) skipped=$((skipped + 1))
        summary+=("SKIPPED  $name: $(grep -m1 '^SKIPPED' "$log" | sed 's/^SKIPPED: //')") ;;
    *) failed=$((failed + 1)); summary+=("FAILED   $name (exit $status)${count:+: $count}") ;;
  esac
}

run_part "plain build" count_ctest plain_build
run_part "valgrind" count_ctest valgrind_cases
run_part "sanitizer build" count_ctest sanitizer_build
run_part "fast-path checks" count_checks fast_path_checks
run_part "fuzz smoke" count_fuzz fuzz_smoke
run_part "Windows under Wine" count_ctest windows_under_wine
run_part "install and ship" count_checks install_and_ship
run_part "browser" count_node browser

echo
echo "== summary =="
if [ -s "$MORVENDA_INSTALL_ERRORS" ]; then cat "$MORVENDA_INSTALL_ERRORS"; echo; fi
printf '%s\n' "${summary[@]}"
line="$passed passed, $failed failed"
[ "$skipped" -eq 0 ] || line+=", $skipped skipped"
echo "$line"
if [ "$failed" -gt 0 ]; then exit 1; fi
if [ "$skipped" -gt 0 ]; then exit 3; fi
exit 0
