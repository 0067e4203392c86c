#!/usr/bin/env bash
# One command-line end-to-end case: runs morvenda with the case's arguments
# from the source folder and compares standard output byte for byte, standard
# error line for line, and the exit status with the reviewed expectations in
# tests/cli/expected/NAME.out, NAME.err and the status in cases.txt.
# With MORVENDA_UPDATE_EXPECTED=1 it writes the expectations instead.
# MORVENDA_WRAPPER, when set, is a command the program runs under (for
# example "valgrind -q --error-exitcode=99"); a wrapper's own failure shows
# as a different exit status and its report on standard error.
set -u
morvenda=$1 source_dir=$2 name=$3 expected_status=$4
shift 4
expected="$source_dir/tests/cli/expected"
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

cd "$source_dir"
args=()
stdin_file=/dev/null
for a in "$@"; do
  case "$a" in
    "<"*) stdin_file=${a#<} ;;
    *) args+=("$a") ;;
  esac
done
wrapper=()
[ -n "${MORVENDA_WRAPPER:-}" ] && read -r -a wrapper <<<"$MORVENDA_WRAPPER"
"${wrapper[@]}" "$morvenda" "${args[@]}" <"$stdin_file" >"$out" 2>"$err"
status=$?
# Program names in messages and usage depend on how it was invoked.
sed -i "s|^$(basename "$morvenda"): |morvenda: |" "$err"

if [ "${MORVENDA_UPDATE_EXPECTED:-0}" = 1 ]; then
  cp "$out" "$expected/$name.out"
  cp "$err" "$expected/$name.err"
  echo "updated $name (status $status)"
  exit 0
fi

fail=0
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"; fail=1
fi
if ! cmp -s "$out" "$expected/$name.out"; then
  echo "standard output differs from $expected/$name.out:"; diff <(cat -A "$expected/$name.out") <(cat -A "$out") | head -40; fail=1
fi
if ! cmp -s "$err" "$expected/$name.err"; then
  echo "standard error differs from $expected/$name.err:"; diff "$expected/$name.err" "$err" | head -20; fail=1
fi
exit $fail
