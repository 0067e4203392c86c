#!/usr/bin/env bash
# The desktop clipboard on Wayland, with stand-ins for wl-paste and wl-copy
# that serve a clipboard kept in files: which target is read ("Wk1" before
# text), what is handed to wl-copy, and what happens when a tool fails or
# never answers. Needs no display.
# Usage: fake_wayland.sh MORVENDA SOURCE_DIR. Exit 0 passed, 1 failed.
set -u
morvenda=$1 source_dir=$2
expected=$source_dir/tests/cli/expected
data=$source_dir/tests/cli/data

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/clipboard"

# The clipboard: one file per offered type (the type's name with "/" and ";"
# as "_"), listed in order in the file "types".
cat >"$work/bin/wl-paste" <<'EOF'
#!/bin/sh
dir=$FAKE_CLIPBOARD
if [ "${FAKE_PASTE_HANGS:-0}" = 1 ]; then exec sleep 60; fi
if [ ! -s "$dir/types" ]; then echo "No selection" >&2; exit 1; fi
if [ "$1" = --list-types ]; then exec cat "$dir/types"; fi
[ "$1" = --no-newline ] && [ "$2" = --type ] || { echo "unexpected arguments: $*" >&2; exit 2; }
exec cat "$dir/$(printf '%s' "$3" | tr '/;' '__')"
EOF
cat >"$work/bin/wl-copy" <<'EOF'
#!/bin/sh
printf '%s\n' "$*" >"$FAKE_CLIPBOARD/copy_arguments"
cat >"$FAKE_CLIPBOARD/copied"
if [ "${FAKE_COPY_FAILS:-0}" = 1 ]; then echo "Failed to connect to a Wayland server" >&2; exit 1; fi
EOF
chmod +x "$work/bin/wl-paste" "$work/bin/wl-copy"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

offer() {  # offer TYPE FILE [TYPE FILE]...
  rm -f "$work/clipboard"/*
  : >"$work/clipboard/types"
  while [ $# -gt 0 ]; do
    printf '%s\n' "$1" >>"$work/clipboard/types"
    cp "$2" "$work/clipboard/$(printf '%s' "$1" | tr '/;' '__')"
    shift 2
  done
}
run() {
  env -u DISPLAY WAYLAND_DISPLAY=fake-wayland FAKE_CLIPBOARD="$work/clipboard" PATH="$work/bin:/usr/bin:/bin" \
    "$morvenda" "$@" >"$work/out" 2>"$work/err" </dev/null
  status=$?
}
expect_status() { [ "$status" = "$1" ] || fail "$2: exit status $status, expected $1; stderr: $(cat "$work/err")"; }
expect_err() { printf '%s\n' "$1" | cmp -s - "$work/err" || fail "$2: stderr was: $(cat "$work/err")"; }
expect_copied() { cmp -s "$work/clipboard/copied" "$1" || fail "$2: wl-copy was not given $1"; }

# "Wk1" is read when offered, whatever text is offered beside it.
offer "text/plain;charset=utf-8" "$data/lab_values.tsv" Wk1 "$source_dir/examples/correlation.wk1"
run --clipboard -a pearson -x
expect_status 0 "Wk1 offered"
expect_err "Morvenda 006: Pearson results on clipboard: use Edit/Paste or CTRL-V" "Wk1 offered"
expect_copied "$expected/text_pearson_extra_stdin.out" "Wk1 offered"
grep -qx -- "--type text/plain" "$work/clipboard/copy_arguments" || fail "wl-copy arguments: $(cat "$work/clipboard/copy_arguments")"

# Asked for text, the text is read.
run --clipboard --input-format text
expect_status 0 "text asked for"
expect_copied "$expected/descriptive_lab.out" "text asked for"

# Only text offered, under the plain type.
offer text/plain "$data/lab_values.tsv" image/png /dev/null
run --clipboard
expect_status 0 "text only"
expect_copied "$expected/descriptive_lab.out" "text only"

# Asked for WK1 when only text is offered: no worksheet.
run --clipboard --input-format wk1
expect_status 1 "wk1 asked for"
expect_err "morvenda: No data on Clipboard" "wk1 asked for"

# An empty clipboard: wl-paste says so; nothing is copied.
offer
run --clipboard
expect_status 1 "empty"
expect_err "$(printf 'morvenda: wl-paste: No selection\nmorvenda: No data on Clipboard')" "empty"
[ ! -e "$work/clipboard/copied" ] || fail "empty: something was copied"

# wl-copy fails: the result is not on the clipboard, and no success is claimed.
offer text/plain "$data/lab_values.tsv"
FAKE_COPY_FAILS=1 run --clipboard
expect_status 4 "copy fails"
expect_err "morvenda: cannot put the result on the clipboard: wl-copy ended with status 1: Failed to connect to a Wayland server" "copy fails"

# wl-paste never answers: it is killed at the deadline and the program ends.
start=$(date +%s)
FAKE_PASTE_HANGS=1 run --clipboard
expect_status 1 "paste hangs"
expect_err "morvenda: wl-paste did not finish within 10 s" "paste hangs"
[ $(($(date +%s) - start)) -lt 30 ] || fail "paste hangs: took $(($(date +%s) - start)) s"

# A Wayland session without the tools, and without Xwayland.
env -u DISPLAY WAYLAND_DISPLAY=fake-wayland PATH="$work/clipboard" "$morvenda" --clipboard >"$work/out" 2>"$work/err" </dev/null
status=$?
expect_status 1 "no tools"
expect_err "morvenda: --clipboard needs wl-paste and wl-copy on a Wayland desktop: install the package wl-clipboard" "no tools"

if [ "$failures" -ne 0 ]; then echo "$failures failed"; exit 1; fi
echo "clipboard through wl-paste and wl-copy stand-ins: passed"
