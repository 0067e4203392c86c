#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs them. See fuzz/README.md.
#
#   fuzz/run.sh --smoke                 every committed seed once, then a fixed
#                                       number of mutations per target from a
#                                       fixed seed, so that a test run is
#                                       repeatable (tests)
#   fuzz/run.sh --seconds N [TARGET]... N seconds per target, one target at a
#                                       time (default: every target)
#   fuzz/run.sh --replay FILE...        runs the given inputs through the
#                                       pipeline target (a crash to look at)
#   fuzz/run.sh --merge [TARGET]...     adds to fuzz/corpus/TARGET the inputs
#                                       of a long run's corpus (up to 4 KB)
#                                       that reach something the seeds do not
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz in the source folder),
# FUZZ_SMOKE_SECONDS (default 30, a bound on each smoke run), FUZZ_SEED
# (default 1, the smoke runs' seed), FUZZ_NICE (default 10).
# Inputs that break an invariant are written to $FUZZ_BUILD_DIR/findings/.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$top/build-fuzz}
smoke_seconds=${FUZZ_SMOKE_SECONDS:-30}
smoke_seed=${FUZZ_SEED:-1}
niceness=${FUZZ_NICE:-10}
all_targets=(decoder pipeline worksheet text)

mode=
seconds=0
targets=()
files=()
while [ $# -gt 0 ]; do
  case "$1" in
    --smoke) mode=smoke ;;
    --seconds) mode=long; seconds=$2; shift ;;
    --replay) mode=replay ;;
    --merge) mode=merge ;;
    -h|--help) sed -n "2,22p" "$0"; exit 0 ;;
    *) if [ "$mode" = replay ]; then files+=("$1"); else targets+=("$1"); fi ;;
  esac
  shift
done
[ -n "$mode" ] || { sed -n '2,22p' "$0" >&2; exit 2; }
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

# clang and its libFuzzer runtime (Debian: clang, libclang-rt-dev).
source "$top/tools/debian_packages.sh"
if [ "$mode" = smoke ] || ! command -v clang++ >/dev/null 2>&1; then
  require_debian_packages clang libclang-rt-dev
fi

cmake -S "$top" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVENDA_SANITIZE=ON -DMORVENDA_FUZZ=ON -DMORVENDA_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target $(printf 'fuzz_%s ' "${all_targets[@]}") >/dev/null

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
findings="$build/findings"
mkdir -p "$findings"

# Options every run shares: a bound on each input's time and memory, room
# for the largest worksheet (1024 rows of 50 columns) in the structured one.
fuzz_options() {
  local target=$1
  echo -timeout=30 -rss_limit_mb=2048 -artifact_prefix="$findings/$target-" -print_final_stats=1
  if [ "$target" = worksheet ]; then echo -max_len=1100000; fi
  if [ "$target" = pipeline ]; then echo -max_len=16384; fi
}

# The real-world sample worksheets beside the repository (never copied into
# it): as they are for the decoder, behind every analysis choice for the
# whole-program targets.
sample_seeds() {
  local target=$1 into=$2 samples=$top/../shared/wk1-samples
  [ -d "$samples" ] && [ "$target" != text ] || return 0
  mkdir -p "$into"
  for f in "$samples"/*.wk1 "$samples"/*.WK1; do
    [ -f "$f" ] || continue
    local name
    name=$(basename "$f")
    if [ "$target" = decoder ]; then
      cp "$f" "$into/$name"
    elif [ "$(stat -c %s "$f")" -le 32768 ]; then
      for choice in 00 21 2a 33 1c 25; do
        { printf "\\x$choice\\x00"; cat "$f"; } >"$into/$name.$choice"
      done
    fi
  done
}

case "$mode" in
  replay)
    for f in "${files[@]}"; do "$build/fuzz/fuzz_pipeline" "$f"; done
    ;;
  merge)
    for t in "${targets[@]}"; do
      [ -d "$build/corpus/$t" ] || continue
      echo "== fuzz_$t: merging $build/corpus/$t into fuzz/corpus/$t =="
      nice -n "$niceness" "$build/fuzz/fuzz_$t" -merge=1 -max_len=4096 -timeout=30 -rss_limit_mb=2048 \
        "$top/fuzz/corpus/$t" "$build/corpus/$t" 2>&1 | grep -E 'MERGE-OUTER: [0-9]+ new files' | sed 's/^/  /' || true
    done
    ;;
  smoke)
    # Runs per target, the seed corpus included: about ten seconds each on a
    # 2-core machine.
    declare -A smoke_runs=([decoder]=60000 [pipeline]=8000 [worksheet]=4000 [text]=6000)
    for t in "${targets[@]}"; do
      echo "== fuzz_$t: seed corpus, then mutations from seed $smoke_seed: ${smoke_runs[$t]} runs in all =="
      work="$build/smoke-corpus/$t"
      rm -rf "$work"; mkdir -p "$work"
      # shellcheck disable=SC2046
      nice -n "$niceness" "$build/fuzz/fuzz_$t" $(fuzz_options "$t") -max_total_time="$smoke_seconds" \
        -seed="$smoke_seed" -runs="${smoke_runs[$t]}" "$work" "$top/fuzz/corpus/$t" 2>"$build/smoke-$t.log" ||
        { tail -40 "$build/smoke-$t.log"; echo "fuzz_$t found a fault; the input is in $findings" >&2; exit 1; }
      grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)' "$build/smoke-$t.log" | sed 's/^/  /'  || true
    done
    ;;
  long)
    for t in "${targets[@]}"; do
      echo "== fuzz_$t: $seconds s =="
      work="$build/corpus/$t"
      mkdir -p "$work"
      sample_seeds "$t" "$build/sample-seeds/$t"
      extra=()
      [ -d "$build/sample-seeds/$t" ] && extra+=("$build/sample-seeds/$t")
      log="$build/long-$t.log"
      set +e
      # shellcheck disable=SC2046
      nice -n "$niceness" "$build/fuzz/fuzz_$t" $(fuzz_options "$t") -max_total_time="$seconds" \
        "$work" "$top/fuzz/corpus/$t" "${extra[@]}" >"$log" 2>&1
      status=$?
      set -e
      grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|INVARIANT|ERROR|SUMMARY|stat::' "$log" | sed 's/^/  /' || true
      [ "$status" = 0 ] || { echo "fuzz_$t found a fault; the input is in $findings" >&2; exit 1; }
    done
    ;;
esac
