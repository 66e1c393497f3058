#!/bin/sh
# The Windows program under wine on a private X server, with Qt's windows platform, run from the
# folder a user unzips: the window appears with its title; "Generate Password" puts a key of 12
# letters and digits on the clipboard, which wine shares with X11, marked in the formats that keep
# it out of Windows clipboard history and cloud clipboard (read back by a Win32 program under
# wine); the user's other processes may not read the program's memory (asked by another Win32
# program); closing the window as a window manager would plays the closing animation (judged by
# CloseAndWatch.py) and ends the program with status 0 within 2 s.
# Usage: WindowUnderWineTest.sh PROGRAM CLIPBOARD_FORMATS PROCESS_ACCESS CLOSE_AND_WATCH
set -eu

program=$1
clipboard_formats=$2
process_access=$3
close_and_watch=$4
if [ "${5:-}" != --inside ]; then
  for tool in wine xvfb-run xauth xdotool xclip python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "skipped: $tool is missing (install wine xvfb xauth xdotool xclip)"
      exit 77
    fi
  done
  exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@" --inside
fi

unset WINEPATH  # the program must run with what its folder holds
# A prefix of its own: wine's desktop process, which a prefix keeps while any program of it runs,
# must belong to this X server.
work=$(mktemp -d)
export WINEPREFIX="$work/wine-prefix"
sh "$(dirname "$0")/wine-prefix.sh" create
# Wine's output goes to files: a wine service started on the way would hold a pipe open.
wine "$program" -platform windows >"$work/program.log" 2>&1 </dev/null &
app=$!
trap 'kill $app 2>/dev/null || true; cat "$work/program.log"; sh "$(dirname "$0")/wine-prefix.sh" remove; rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

# shellcheck source=tests/support/x11-windows.sh
. "$(dirname "$0")/../support/x11-windows.sh"

window=$(wait_for_window 'Morvane & Generator' 30) || fail "the window did not appear"

# Its access list lets the user's other processes see it, wait for it and end it, no more.
access=$(wine "$process_access" 'Morvane&Generator.exe' 2>&1 </dev/null | tr -d '\r') || true
printf '%s\n' "$access" | grep -Eqx 'access list: D:P?\(A;;0x101001;;;USER\)' &&
  printf '%s\n' "$access" | grep -qx 'read memory: denied' ||
  fail "other processes may do more with the window's process: $access"

# Wine draws the frame, as Windows does; the client area of 345 x 211 sits at the bottom of the
# window, centred. "Generate Password" sits at 16,88 in it and is 121 x 25.
size=$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=' | tr '\n' ' ')
border=$(( ($(echo "$size" | sed 's/.*WIDTH=\([0-9]*\).*/\1/') - 345) / 2 ))
caption=$(( $(echo "$size" | sed 's/.*HEIGHT=\([0-9]*\).*/\1/') - 211 - border ))
xdotool mousemove --window "$window" $((border + 76)) $((caption + 100)) click 1
wait_for_window 'Password Quality ' 10 >/dev/null || fail "no report after generating"
key=$(xclip -o -selection clipboard 2>/dev/null) || true
echo "generated: $key"
printf '%s' "$key" | grep -Eq '^[A-Za-z0-9]{12}$' || fail "the clipboard holds '$key'"

wine "$clipboard_formats" >"$work/formats" 2>&1 </dev/null || true
formats=$(tr -d '\r' <"$work/formats")
expected=$(printf '%s\n' "text: $key" \
  "ExcludeClipboardContentFromMonitorProcessing: 0" \
  "CanIncludeInClipboardHistory: 0" \
  "CanUploadToCloudClipboard: 0")
[ "$formats" = "$expected" ] || fail "the clipboard as Windows programs see it:
$formats"

xdotool key Return
wait_until_gone 'Password Quality ' || fail "the report did not go away"

# Closes the window as a window manager would and judges the animation it then sees, timed from
# the close request: the window must be gone within 2 s of it, and so must the program. Under
# wine a pass takes 10 to 40 ms, so the animation's time may run out before the window reaches
# its smallest size; that it then moves at that size is left to the X11 tests.
python3 "$close_and_watch" "$window" >"$work/closing" || true
if grep '^FAULT' "$work/closing" | grep -qv 'never moved at its smallest size' ||
  ! grep -q '^gone ' "$work/closing"; then
  cat "$work/closing"
  fail "the closing animation is wrong"
fi
watched=$(date +%s%N)
gone=$(sed -n 's/^gone //p' "$work/closing")
deadline=$((watched + (2000 - gone) * 1000000))
while kill -0 "$app" 2>/dev/null && [ "$(date +%s%N)" -lt "$deadline" ]; do
  sleep 0.02
done
kill -0 "$app" 2>/dev/null && fail "the program still runs 2 s after its window was asked to close"
status=0
wait "$app" || status=$?
echo "window gone $gone ms after the close request, program gone within" \
  "$((gone + ($(date +%s%N) - watched) / 1000000)) ms"
[ "$status" -eq 0 ] || fail "the program ended with status $status"

echo "PASS"
