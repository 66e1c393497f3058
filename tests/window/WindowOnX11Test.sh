#!/bin/sh
# Drives the real program on a private X server: generates a key and reads it from the clipboard
# in another process, checks a typed key and finds the clipboard empty afterwards, then closes
# the window as a window manager would and expects the program to end on its own, cleanly.
# Usage: WindowOnX11Test.sh PROGRAM
set -eu

program=$1
if [ "${2:-}" != --inside ]; then
  for tool in xvfb-run xauth xdotool xclip python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "skipped: $tool is missing (install xvfb xauth xdotool xclip)"
      exit 77
    fi
  done
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$program" --inside
fi

export QT_QPA_PLATFORM=xcb
"$program" &
app=$!
trap 'kill $app 2>/dev/null || true' EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

# Polls for a visible window with exactly this title and prints its id.
wait_for_window() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

wait_until_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

clipboard() { xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true; }

window=$(wait_for_window 'Morvane & Generator') || fail "the window did not appear"

# "Generate Password" sits at 16,88 and is 121 x 25.
xdotool mousemove --window "$window" 76 100 click 1
wait_for_window 'Password Quality ' >/dev/null || fail "no report after generating"
key=$(clipboard)
echo "generated: $key"
printf '%s' "$key" | grep -Eq '^[A-Za-z0-9]{12}$' || fail "clipboard holds '$key'"
xclip -o -selection clipboard -t TARGETS | grep -qx 'x-kde-passwordManagerHint' ||
  fail "the clipboard is not marked secret"
[ "$(xclip -o -selection clipboard -t x-kde-passwordManagerHint)" = secret ] ||
  fail "the secret hint does not read 'secret'"
xdotool key Return
wait_until_gone 'Password Quality ' || fail "the report did not go away"

# Type a key into Text3 (16,16, 273 x 25) and press the check button beside it (296,16).
xdotool mousemove --window "$window" 150 28 click 1
xdotool type --delay 20 'Ab1:cd'
xdotool mousemove --window "$window" 312 28 click 1
wait_for_window 'Password Quality ' >/dev/null || fail "no report after checking"
[ "$(clipboard)" = 'Ab1:cd' ] || fail "the checked key was not on the clipboard during the report"
xdotool key Return
wait_until_gone 'Password Quality ' || fail "the report did not go away"
sleep 0.2
after=$(clipboard)
[ -z "$after" ] || fail "the clipboard still holds '$after' after checking"

# Closing plays the animation and ends the program within about two seconds.
python3 "$(dirname "$0")/RequestClose.py" "$window"
for _ in $(seq 50); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "the program still runs 5 s after its window was closed"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"

echo "PASS"
