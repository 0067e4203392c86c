#!/usr/bin/env bash
# Runs every analysis with every set of the options -l, -y and -x on every
# benchmark and stress worksheet and on the examples, and keeps standard
# output, standard error and the exit status of each run in OUTDIR. Speed
# work must leave these bytes as they are: capture before and after, then
#   diff -r BEFORE AFTER
#
#   bash bench/capture_outputs.sh BUILD/morvenda OUTDIR
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: capture_outputs.sh MORVENDA OUTDIR" >&2
  exit 2
fi
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
out=$2
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

mkdir -p "$out"
sheets=$(mktemp -d)
trap 'rm -rf "$sheets"' EXIT
python3 "$top/bench/make_worksheets.py" "$sheets" --stress

for sheet in "$sheets"/*.wk1 "$top"/examples/*.wk1; do
  base=$(basename "$sheet" .wk1)
  for analysis in descriptive paired nonpaired pearson spearman ranks; do
    for options in "" -l -y -x "-l -y" "-l -x" "-y -x" "-l -y -x"; do
      tag=$(echo "$options" | tr -d ' -')
      case=$out/$base.$analysis.${tag:-none}
      status=0
      # shellcheck disable=SC2086 # the options are separate words
      "$program" -a "$analysis" $options "$sheet" >"$case.out" 2>"$case.err" || status=$?
      echo "$status" >"$case.status"
    done
  done
done
echo "$(ls "$out" | wc -l) files in $out"
