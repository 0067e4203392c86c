#!/usr/bin/env bash
# Takes a picture of the open analysis dialog for a look by eye:
#   screenshot.sh SESSION_DIR PROGRAM_EXE DRIVER_EXE WORKSHEET PNG
# The driver opens the dialog and holds it while the X server's screen is
# captured; the picture is cropped to the dialog, then the dialog is
# cancelled.
set -u
session=$1 program=$2 driver=$3 worksheet=$4 png=$5

# shellcheck source=/dev/null
. "$session/session.env" || { echo "no Wine session: $session/session.env is missing"; exit 1; }

work=$session/screenshot
rm -rf "$work"
mkdir -p "$work" "$(dirname "$png")"
hold=$work/hold
wine "$driver" run "Z:$program" "Z:$work" "--wk1=Z:$worksheet" "--hold=Z:$hold" cancel \
  >"$work/driver.out" 2>"$work/driver.err" </dev/null &
driver_pid=$!

for ((i = 0; i < 300; i++)); do
  [ -e "$hold" ] && break
  sleep 0.1
done
status=0
if [ ! -e "$hold" ]; then
  echo "the dialog did not show; see $work"
  status=1
else
  # The screen is black but for the dialog, so trimming leaves the dialog.
  import -window root -trim +repage "$png" 2>"$work/import.err" ||
    { echo "the screen could not be captured"; status=1; }
  rm -f "$hold"
  # The caption shows the program's icon: its teal (#1F6F78, tools/make_icon.py)
  # is in the caption's top left corner. (Wine cannot ask another process's
  # window for its icon, so the picture is where to look.)
  if [ $status -eq 0 ] && ! /usr/bin/convert "$png" -crop 24x24+0+0 +repage -unique-colors txt:- | grep -qi '#1F6F78'; then
    echo "the caption does not show the program's icon"
    status=1
  fi
fi
wait "$driver_pid" || { echo "the driver failed: $(cat "$work/driver.err")"; status=1; }
[ $status -eq 0 ] && echo "screenshot of the dialog: $png"
exit $status
