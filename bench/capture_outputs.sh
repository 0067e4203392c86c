#!/usr/bin/env bash
# Runs every analysis with every set of the options -l, -y and -x on every
# benchmark and stress worksheet and on the examples, and keeps standard
# output, standard error and the exit status of each run in OUTDIR. Speed
# work must leave these bytes as they are: capture before and after, then
#   diff -r BEFORE AFTER
# With --more every run is made once more with --more, and on the text twins
# of the benchmark worksheets as well (the text path and the More report).
#
#   bash bench/capture_outputs.sh BUILD/morvenda OUTDIR [--more]
set -euo pipefail
if [ $# -lt 2 ] || [ $# -gt 3 ] || { [ $# -eq 3 ] && [ "$3" != --more ]; }; then
  echo "usage: capture_outputs.sh MORVENDA OUTDIR [--more]" >&2
  exit 2
fi
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
out=$2
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

mkdir -p "$out"
sheets=$(mktemp -d)
trap 'rm -rf "$sheets"' EXIT
more=${3:-}
python3 "$top/bench/make_worksheets.py" "$sheets" --stress ${more:+--text}

inputs=("$sheets"/*.wk1 "$top"/examples/*.wk1)
[ -n "$more" ] && inputs+=("$sheets"/*.tsv)
for sheet in "${inputs[@]}"; do
  base=$(basename "$sheet")
  for analysis in descriptive paired nonpaired pearson spearman ranks; do
    for options in "" -l -y -x "-l -y" "-l -x" "-y -x" "-l -y -x"; do
      for extra in "" ${more:+--more}; do
        tag=$(echo "$options $extra" | tr -d ' -')
        case=$out/${base%.wk1}.$analysis.${tag:-none}
        status=0
        # shellcheck disable=SC2086 # the options are separate words
        "$program" -a "$analysis" $options $extra "$sheet" >"$case.out" 2>"$case.err" || status=$?
        echo "$status" >"$case.status"
      done
    done
  done
done
echo "$(ls "$out" | wc -l) files in $out"
