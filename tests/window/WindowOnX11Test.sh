#!/bin/sh
# Drives the real program on a private X server, without a window manager or under one:
# generates a key and reads it from the clipboard in another process, checks a typed key and
# finds the clipboard empty afterwards, follows keys selected in the boxes through the primary
# selection, then closes the window as a window manager would and watches the closing animation.
# Usage: WindowOnX11Test.sh PROGRAM DESKTOP_ENTRY [none|openbox|metacity]
set -eu

program=$1
entry=$2
manager=${3:-none}
here=$(dirname "$0")
if [ "${4:-}" != --inside ]; then
  for tool in xvfb-run xauth xdotool xclip xprop python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "skipped: $tool is missing (tools/install-dependencies.sh --test installs it)"
      exit 77
    fi
  done
  if [ "$manager" != none ] && ! command -v "$manager" >/dev/null 2>&1; then
    echo "skipped: the window manager $manager is missing"
    exit 77
  fi
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$program" "$entry" "$manager" --inside
fi

fail() {
  echo "FAIL ($manager): $*"
  exit 1
}

pids=
trap 'kill $pids 2>/dev/null || true' EXIT

# A window manager announces itself on the root window once it runs. On a loaded machine one
# now and then dies while starting up; a second start is what a user's session would do too.
wm_log=$(mktemp)
trap 'kill $pids 2>/dev/null || true; rm -f "$wm_log"' EXIT
start_manager() {
  case $manager in
    openbox) openbox >>"$wm_log" 2>&1 & ;;
    metacity) metacity --replace >>"$wm_log" 2>&1 & ;;
  esac
  wm=$!
  pids="$wm $pids"
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$wm" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
if [ "$manager" != none ] && ! start_manager && ! start_manager; then
  cat "$wm_log"
  fail "$manager did not start"
fi

export QT_QPA_PLATFORM=xcb
"$program" &
app=$!
pids="$app $pids"

# shellcheck source=tests/support/x11-windows.sh
. "$here/../support/x11-windows.sh"
# shellcheck source=tests/support/program-end.sh
. "$here/../support/program-end.sh"

clipboard() { xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true; }
primary() { xclip -o -selection primary -t UTF8_STRING 2>/dev/null || true; }
# The selection is marked secret as the clipboard is: clipboard managers skip it.
marked_secret() {
  xclip -o -selection "$1" -t TARGETS 2>/dev/null | grep -qx 'x-kde-passwordManagerHint' &&
    [ "$(xclip -o -selection "$1" -t x-kde-passwordManagerHint)" = secret ]
}
answer_report() {
  wait_for_window 'Password Quality ' >/dev/null || fail "no report $1"
  xdotool key Return
  wait_until_gone 'Password Quality ' || fail "the report $1 did not go away"
}

window=$(wait_for_window 'Morvane & Generator') || fail "the window did not appear"
sleep 0.3  # let the window manager map and focus it

# Docks tie the window to its launcher by the class of WM_CLASS.
class=$(xprop -id "$window" WM_CLASS | sed -n 's/.*", "\(.*\)"$/\1/p')
wanted=$(sed -n 's/^StartupWMClass=//p' "$entry")
if [ -z "$class" ] || [ "$class" != "$wanted" ]; then
  fail "WM_CLASS names '$class', the desktop entry's StartupWMClass '$wanted'"
fi

# "Generate Password" sits at 16,88 and is 121 x 25.
xdotool mousemove --window "$window" 76 100 click 1
wait_for_window 'Password Quality ' >/dev/null || fail "no report after generating"
key=$(clipboard)
echo "generated: $key"
printf '%s' "$key" | grep -Eq '^[A-Za-z0-9]{12}$' || fail "clipboard holds '$key'"
marked_secret clipboard || fail "the clipboard is not marked secret"
xdotool key Return
wait_until_gone 'Password Quality ' || fail "the report did not go away"

# Select the key in Text1 (16,48, 273 x 25): it goes into the primary selection, marked.
xdotool mousemove --window "$window" 150 60 click 1
xdotool key End shift+Home
sleep 0.2
[ "$(primary)" = "$key" ] || fail "selecting the key did not put it into PRIMARY"
marked_secret primary || fail "the key in PRIMARY is not marked secret"
# The next key replaces it in the box; the selected one must not stay behind.
xdotool mousemove --window "$window" 76 100 click 1
answer_report "after the second key"
[ -z "$(primary)" ] || fail "PRIMARY still holds '$(primary)' after the next key"

# Type a key into Text3 (16,16, 273 x 25), select it and press the check button beside it.
xdotool mousemove --window "$window" 150 28 click 1
xdotool type --delay 20 'MyBankPass9!'
xdotool key shift+Home
sleep 0.2
[ "$(primary)" = 'MyBankPass9!' ] || fail "selecting the typed key did not put it into PRIMARY"
marked_secret primary || fail "the typed key in PRIMARY is not marked secret"
xdotool mousemove --window "$window" 312 28 click 1
wait_for_window 'Password Quality ' >/dev/null || fail "no report after checking"
[ "$(clipboard)" = 'MyBankPass9!' ] ||
  fail "the checked key was not on the clipboard during the report"
xdotool key Return
wait_until_gone 'Password Quality ' || fail "the report did not go away"
sleep 0.2
[ -z "$(clipboard)" ] || fail "the clipboard still holds '$(clipboard)' after checking"
[ -z "$(primary)" ] || fail "PRIMARY still holds '$(primary)' after checking"

# A paste asks the clipboard's owner for the text once: the box reads nothing of its own.
log=$(mktemp)
printf 'Pasted9!' | xclip -verbose -i -selection clipboard >"$log" 2>&1 &
pids="$! $pids"
sleep 0.2
xdotool mousemove --window "$window" 150 28 click 1
xdotool key ctrl+v
sleep 0.3
requests=$(($(grep -c 'Waiting for selection request number' "$log") - 1))
rm -f "$log"
[ "$requests" -eq 1 ] || fail "pasting asked the clipboard's owner for the text $requests times"
xdotool mousemove --window "$window" 312 28 click 1
answer_report "after checking the pasted key"
[ -z "$(primary)$(clipboard)" ] || fail "a key stayed behind after checking the pasted key"

# Closing plays the animation and ends the program within two seconds. Without a window manager
# the smallest size is one pixel; a window manager keeps a frame of its own.
smallest=
[ "$manager" = none ] && smallest=1x1
python3 "$here/CloseAndWatch.py" "$window" $smallest || fail "the closing animation is wrong"
expect_clean_end "$app" 'its window was gone'

echo "PASS ($manager)"
