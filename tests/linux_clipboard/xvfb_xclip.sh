#!/usr/bin/env bash
# The desktop clipboard round trip on X11: a virtual X server of its own
# (Xvfb), worksheets put on its clipboard with xclip as text or under the
# target "Wk1", `morvenda --clipboard`, and the clipboard read back.
# Usage: xvfb_xclip.sh MORVENDA SOURCE_DIR. Exit 0 passed, 1 failed, 77
# skipped (only when Xvfb or xclip is not installed or Xvfb cannot start,
# and only for a user who is not root, outside CI).
set -u
morvenda=$1 source_dir=$2
source "$source_dir/tools/debian_packages.sh"
expected=$source_dir/tests/cli/expected
data=$source_dir/tests/cli/data

for tool in Xvfb xclip; do
  if ! command -v "$tool" >/dev/null; then
    (cannot_run "$tool is not installed (Debian packages xvfb, xclip)"); exit
  fi
done

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  # The xclip processes that serve the clipboard end with their X server.
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -nolisten tcp -screen 0 320x240x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
if [ ! -s "$work/display" ]; then
  cat "$work/xvfb.log"; (cannot_run "Xvfb did not start"); exit
fi
display=:$(head -n1 "$work/display")

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs morvenda in the virtual session only, never the caller's desktop.
run() {
  env -u WAYLAND_DISPLAY DISPLAY="$display" "$morvenda" "$@" >"$work/out" 2>"$work/err" </dev/null
  status=$?
}
# xclip serves the clipboard from a process that outlives the call and keeps
# its standard output and error: they go to a file, not to the test's pipe.
clip_in() { env -u WAYLAND_DISPLAY DISPLAY="$display" xclip -selection clipboard "$@" -i >>"$work/xclip.log" 2>&1; }
clip_out() { env -u WAYLAND_DISPLAY DISPLAY="$display" timeout 10 xclip -selection clipboard -o; }

expect_status() { [ "$status" = "$1" ] || fail "$2: exit status $status, expected $1; stderr: $(cat "$work/err")"; }
expect_err() { printf '%s\n' "$1" | cmp -s - "$work/err" || fail "$2: stderr was: $(cat "$work/err")"; }
expect_clipboard() { clip_out | cmp -s - "$1" || fail "$2: clipboard differs from $1"; }

# 1. Nothing was ever copied: no worksheet, as on the desktop.
run --clipboard -a pearson
expect_status 1 "empty clipboard"
tail -n1 "$work/err" | grep -qx "morvenda: No data on Clipboard" || fail "empty clipboard: $(cat "$work/err")"

# 2. Tab-separated text, as a Linux spreadsheet copies a block.
clip_in <"$data/correlation.tsv"
run --clipboard -a pearson -x
expect_status 0 "text"
[ ! -s "$work/out" ] || fail "text: standard output is not empty"
expect_err "Morvenda 006: Pearson results on clipboard: use Edit/Paste or CTRL-V" "text"
expect_clipboard "$expected/text_pearson_extra_stdin.out" "text"

# 3. The "Wk1" target, as a spreadsheet under Wine offers it.
clip_in -t Wk1 <"$source_dir/examples/correlation.wk1"
run --clipboard -a pearson -x
expect_status 0 "Wk1 target"
expect_clipboard "$expected/text_pearson_extra_stdin.out" "Wk1 target"

# 4. Semicolon-separated values with a decimal comma.
clip_in <"$data/groups_decimal_comma.csv"
run --clipboard --input-format csv --decimal-comma --decimal-point-output -a nonpaired -x
expect_status 0 "csv"
expect_err "Morvenda 006: Non-paired test results on clipboard: use Edit/Paste or CTRL-V" "csv"
expect_clipboard "$expected/csv_nonpaired_extra.out" "csv"

# 5. An analysis that refuses its input leaves the clipboard as it was.
printf '1\n2\n3\n' >"$work/one_column.tsv"
clip_in <"$work/one_column.tsv"
run --clipboard -a pearson
expect_status 3 "refused"
expect_clipboard "$work/one_column.tsv" "refused"

# 6. Only a target that is neither "Wk1" nor text: no worksheet.
clip_in -t image/png </dev/null
run --clipboard
expect_status 1 "no usable target"
expect_err "morvenda: No data on Clipboard" "no usable target"

# 7. No desktop session, and a session without xclip.
env -u WAYLAND_DISPLAY -u DISPLAY "$morvenda" --clipboard >"$work/out" 2>"$work/err" </dev/null
status=$?
expect_status 1 "no session"
expect_err "morvenda: --clipboard needs a desktop session, but neither WAYLAND_DISPLAY nor DISPLAY is set" "no session"
mkdir "$work/empty_path"
env -u WAYLAND_DISPLAY DISPLAY="$display" PATH="$work/empty_path" "$morvenda" --clipboard >"$work/out" 2>"$work/err" </dev/null
status=$?
expect_status 1 "no xclip"
expect_err "morvenda: --clipboard needs xclip on an X11 desktop: install the package xclip" "no xclip"

if [ "$failures" -ne 0 ]; then echo "$failures failed"; exit 1; fi
echo "clipboard round trip under Xvfb with xclip: passed"
