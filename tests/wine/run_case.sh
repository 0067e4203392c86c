#!/usr/bin/env bash
# One Wine end-to-end case: the driver runs morvenda.exe on a clipboard and
# with clicks given by the case, and what the user would see is checked.
#   run_case.sh SESSION_DIR PROGRAM_EXE DRIVER_EXE CLI SOURCE_DIR OUT_DIR NAME KIND DRIVER-ARGUMENT...
# KIND (see cases.txt):
#   same       the clipboard text is byte for byte what the command-line
#              program CLI writes for the same worksheet and options, and the
#              messages are the ones it prints, plus the success message
#              whenever it wrote a result; the worksheet is the --wk1 file,
#              else the --unicode text read with `--input-format text`
#   untouched  no message, and the clipboard is exactly as it was
#   nodata     one message "No data on Clipboard\n" and no dialog
# Every case also checks that the program ended by itself and left the
# clipboard closed. The argument --decimal-comma (not passed to the driver)
# runs the program in a German locale, whose decimal separator is a comma,
# and gives the command line --decimal-comma for the text.
set -u
session=$1 program=$2 driver=$3 cli=$4 source_dir=$5 out_root=$6 name=$7 kind=$8
shift 8

# shellcheck source=/dev/null
. "$session/session.env" || { echo "no Wine session: $session/session.env is missing"; exit 1; }

out=$out_root/$name
rm -rf "$out"
mkdir -p "$out"

# Driver arguments: worksheet paths are relative to the source folder and
# Wine reaches the Linux file system as drive Z:.
args=() wk1_file="" text_given=0 text="" unicode_file="" decimal_comma=0
log=0 log_y=0 extra=0 analysis=descriptive
for a in "$@"; do
  case "$a" in
    --wk1=*) wk1_file=$source_dir/${a#--wk1=}; args+=("--wk1=Z:$wk1_file") ;;
    --text=*) text_given=1; text=${a#--text=}; args+=("$a") ;;
    --unicode=*) unicode_file=$source_dir/${a#--unicode=}; args+=("--unicode=Z:$unicode_file") ;;
    --decimal-comma) decimal_comma=1 ;;
    click:1000) log=$((1 - log)); args+=("$a") ;;
    click:1001) log_y=$((1 - log_y)); args+=("$a") ;;
    click:1002) extra=$((1 - extra)); args+=("$a") ;;
    click:1003) analysis=descriptive; args+=("$a") ;;
    click:1004) analysis=paired; args+=("$a") ;;
    click:1005) analysis=nonpaired; args+=("$a") ;;
    click:1007) analysis=pearson; args+=("$a") ;;
    click:1008) analysis=spearman; args+=("$a") ;;
    click:1009) analysis=ranks; args+=("$a") ;;
    *) args+=("$a") ;;
  esac
done

failures=0
fail() { echo "FAIL $name: $*"; failures=$((failures + 1)); }
field() { sed -n "s/^$1=//p" "$out/run.txt" 2>/dev/null; }

# Wine takes the user's locale from the environment of each program it
# starts. Now and then a process of the session does not get it; the driver
# reports the decimal separator it got, and a run in the wrong locale is made
# once more before the case counts as failed.
locale=() separator=.
[ $decimal_comma = 1 ] && locale=(LC_ALL=de_DE.UTF-8) separator=,
for attempt in 1 2; do
  env "${locale[@]}" wine "$driver" run "Z:$program" "Z:$out" "${args[@]}" >"$out/driver.out" 2>"$out/driver.err" </dev/null
  driver_status=$?
  [ "$(field decimal_separator)" = "$separator" ] && break
  echo "note $name: run $attempt had the decimal separator '$(field decimal_separator)', not '$separator'"
done
[ "$(field decimal_separator)" = "$separator" ] ||
  fail "Wine did not run the case in a locale with the decimal separator '$separator'"
expect_field() {
  local got
  got=$(field "$1")
  [ "$got" = "$2" ] || fail "$1 is '${got}', expected '$2'"
}
expect_text() {  # what the clipboard should hold: TEXT, or nothing when no argument
  if [ $# -eq 0 ]; then
    [ ! -e "$out/clipboard.txt" ] || fail "the clipboard holds text: $(head -c 200 "$out/clipboard.txt")"
  elif [ ! -e "$out/clipboard.txt" ]; then
    fail "the clipboard holds no text"
  elif [ "$(cat "$out/clipboard.txt")" != "$1" ]; then
    fail "the clipboard holds '$(head -c 200 "$out/clipboard.txt")', expected '$1'"
  fi
}
expect_text_as_put() {  # the clipboard's text is still what the case put there
  if [ -z "$unicode_file" ]; then
    if [ $text_given = 1 ]; then expect_text "$text"; else expect_text; fi
  elif [ ! -e "$out/clipboard_unicode.txt" ]; then
    fail "the clipboard holds no Unicode text"
  elif ! cmp -s "$out/clipboard_unicode.txt" "$unicode_file"; then
    fail "the clipboard's Unicode text is not the text put there: $(head -c 200 "$out/clipboard_unicode.txt")"
  fi
}

if [ $driver_status -ne 0 ]; then
  fail "the driver failed ($driver_status): $(cat "$out/driver.err")"
fi
expect_field exit_code 0
expect_field clipboard_free 1

case "$kind" in
  same)
    cli_args=()
    [ $log = 1 ] && cli_args+=(--log)
    [ $log_y = 1 ] && cli_args+=(--log-y)
    [ $extra = 1 ] && cli_args+=(--extra)
    cli_args+=(--analysis "$analysis")
    # The program reads "Wk1" when it is there, else the text; so does the
    # command line here.
    input=$wk1_file
    if [ -n "$wk1_file" ]; then
      if "$cli" --help 2>/dev/null | grep -q -- '--input-format'; then cli_args+=(--input-format=wk1); fi
    else
      input=$unicode_file
      cli_args+=(--input-format=text)
      [ $decimal_comma = 1 ] && cli_args+=(--decimal-comma)
    fi
    (cd "$source_dir" && "$cli" "${cli_args[@]}" "$input" >"$out/cli.out" 2>"$out/cli.err.all")
    cli_status=$?
    echo "$(basename "$cli") ${cli_args[*]} $input -> status $cli_status" >"$out/cli.status"
    # The command line's note on numbers with the other decimal separator is
    # no message box.
    grep -v -E '^[^:]+: [0-9]+ cells? such as ".*" were read as missing: ' "$out/cli.err.all" >"$out/cli.err"

    success_pattern='^Morvenda 006: .*results on clipboard: use Edit/Paste or CTRL-V$'
    grep -v -- "$success_pattern" "$out/messages.txt" >"$out/messages_other.txt"
    if ! cmp -s "$out/messages_other.txt" "$out/cli.err"; then
      fail "messages differ from the command line's:"
      diff "$out/cli.err" "$out/messages_other.txt" | head -20
    fi
    case "$analysis" in
      descriptive) success="Descriptive results" ;;
      paired) success="Paired test results" ;;
      nonpaired) success="Non-paired test results" ;;
      pearson) success="Pearson results" ;;
      spearman) success="Spearman results" ;;
      ranks) success="Rank results" ;;
    esac
    success="Morvenda 006: $success on clipboard: use Edit/Paste or CTRL-V"
    successes=$(grep -c -- "$success_pattern" "$out/messages.txt")
    if [ $cli_status -eq 0 ]; then
      [ "$successes" = 1 ] && [ "$(tail -n 1 "$out/messages.txt")" = "$success" ] ||
        fail "the last message is not '$success'"
    else
      [ "$successes" = 0 ] || fail "a success message was shown"
    fi

    if [ $cli_status -eq 1 ]; then expect_field dialog 0; else expect_field dialog 1; fi
    if [ -s "$out/cli.out" ]; then
      if [ ! -e "$out/clipboard.txt" ]; then
        fail "the clipboard holds no text"
      elif ! cmp -s "$out/clipboard.txt" "$out/cli.out"; then
        fail "the clipboard text differs from the command line's output:"
        diff <(cat -A "$out/cli.out") <(cat -A "$out/clipboard.txt") | head -20
      fi
      expect_field clipboard_changed 1
      expect_field wk1_on_clipboard 0
    else
      expect_text_as_put
      expect_field clipboard_changed 0
      expect_field wk1_on_clipboard $([ -n "$wk1_file" ] && echo 1 || echo 0)
    fi
    ;;
  untouched)
    [ ! -s "$out/messages.txt" ] || fail "messages were shown: $(cat "$out/messages.txt")"
    expect_field dialog 1
    expect_field clipboard_changed 0
    expect_field wk1_on_clipboard $([ -n "$wk1_file" ] && echo 1 || echo 0)
    expect_text_as_put
    ;;
  nodata)
    [ "$(cat "$out/messages_raw.txt" 2>/dev/null)" = 'morvenda|No data on Clipboard\n' ] ||
      fail "messages are '$(cat "$out/messages_raw.txt" 2>/dev/null)', expected 'morvenda|No data on Clipboard\n'"
    expect_field dialog 0
    expect_field clipboard_changed 0
    expect_text_as_put
    ;;
  *)
    fail "unknown kind $kind"
    ;;
esac

if [ $failures -ne 0 ]; then
  echo "(driver output, messages and clipboard of $name are in $out)"
  exit 1
fi
exit 0
