#!/bin/sh
# Drives the real program on a private X server, 1024 x 768 (not square), without a window manager
# or under one: generates a key and reads it from the clipboard in another process, checks a typed
# key and finds the clipboard empty afterwards, follows keys selected in the boxes through the
# primary selection and leaves another program's alone, pastes by the keys and the middle button,
# copies by every route (under openbox), then closes the window as a window manager would and
# judges the closing animation from the X server's own notifications. Without a window manager it
# also destroys a window from outside and takes the X server away under the program.
# Usage: WindowOnX11Test.sh PROGRAM DESKTOP_ENTRY [none|openbox|metacity|mutter|xfwm4]
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
  case $manager in mutter | xfwm4)
    command -v dbus-run-session >/dev/null 2>&1 || { echo "skipped: dbus is missing"; exit 77; } ;;
  esac
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$program" "$entry" "$manager" --inside
fi

fail() {
  echo "FAIL ($manager): $*"
  exit 1
}

# A runtime folder of its own, so that runs side by side share nothing.
work=$(mktemp -d)
chmod 0700 "$work"
export XDG_RUNTIME_DIR="$work"
pids=
trap 'kill $pids 2>/dev/null || true; rm -rf "$work"' EXIT

# shellcheck source=tests/support/x11-windows.sh
. "$here/../support/x11-windows.sh"
if [ "$manager" != none ]; then
  if ! start_window_manager "$manager" "$work/wm.log"; then
    cat "$work/wm.log"
    fail "$manager did not start"
  fi
  pids="$window_manager $pids"
fi

# shellcheck source=tests/support/program-end.sh
. "$here/../support/program-end.sh"

clipboard() { xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null || true; }
primary() { xclip -o -selection primary -t UTF8_STRING 2>/dev/null || true; }
# Another program holds $2 in selection $1 until the selection changes owner.
hold() {
  printf '%s' "$2" | xclip -i -selection "$1" >/dev/null 2>&1 &
  pids="$! $pids"
  sleep 0.2
}
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
# The controls, at their places inside the window.
click() {
  case $1 in
    Text3) xdotool mousemove --window "$window" 150 28 click "${2:-1}" ;;
    cmdOK) xdotool mousemove --window "$window" 312 28 click 1 ;;
    Text1) xdotool mousemove --window "$window" 150 60 click 1 ;;
    Command1) xdotool mousemove --window "$window" 76 100 click 1 ;;
  esac
}

hold primary 'OtherProgram1!'
QT_QPA_PLATFORM=xcb "$program" &
app=$!
pids="$app $pids"
window=$(wait_for_window 'Morvane & Generator') || fail "the window did not appear"
sleep 0.3  # let the window manager map and focus it

# Docks tie the window to its launcher by the class of WM_CLASS.
class=$(xprop -id "$window" WM_CLASS | sed -n 's/.*", "\(.*\)"$/\1/p')
wanted=$(sed -n 's/^StartupWMClass=//p' "$entry")
if [ -z "$class" ] || [ "$class" != "$wanted" ]; then
  fail "WM_CLASS names '$class', the desktop entry's StartupWMClass '$wanted'"
fi

click Command1
wait_for_window 'Password Quality ' >/dev/null || fail "no report after generating"
key=$(clipboard)
echo "generated: $key"
printf '%s' "$key" | grep -Eq '^[A-Za-z0-9]{12}$' || fail "clipboard holds '$key'"
marked_secret clipboard || fail "the clipboard is not marked secret"
[ "$(primary)" = 'OtherProgram1!' ] || fail "another program's PRIMARY became '$(primary)'"
xdotool key Return
wait_until_gone 'Password Quality ' || fail "the report did not go away"

# Every way of copying a key out of a box marks it as the mirror does. The routes act alike on
# every desktop; one window manager is enough.
if [ "$manager" = openbox ]; then
  for route in ctrl+c ctrl+Insert menu:c ctrl+x shift+Delete menu:t; do
    click Text3
    xdotool key ctrl+a BackSpace
    xdotool type --delay 20 "Copied by $route!"
    xdotool key ctrl+a
    case $route in
      menu:*) click Text3 3 && sleep 0.3 && xdotool key "${route#menu:}" ;;
      *) xdotool key "$route" ;;
    esac
    sleep 0.2
    [ "$(clipboard)" = "Copied by $route!" ] || fail "$route put '$(clipboard)' on the clipboard"
    marked_secret clipboard || fail "$route left the clipboard unmarked"
  done
  click Text3
  xdotool key ctrl+a BackSpace
fi

# Select the key in Text1: it goes into the primary selection, marked.
click Text1
xdotool key End shift+Home
sleep 0.2
[ "$(primary)" = "$key" ] || fail "selecting the key did not put it into PRIMARY"
marked_secret primary || fail "the key in PRIMARY is not marked secret"
# The next key replaces it in the box; the selected one must not stay behind.
click Command1
answer_report "after the second key"
[ -z "$(primary)" ] || fail "PRIMARY still holds '$(primary)' after the next key"

# Type a key into Text3, select it and press the check button beside it.
click Text3
xdotool type --delay 20 'MyBankPass9!'
xdotool key shift+Home
sleep 0.2
[ "$(primary)" = 'MyBankPass9!' ] || fail "selecting the typed key did not put it into PRIMARY"
marked_secret primary || fail "the typed key in PRIMARY is not marked secret"
click cmdOK
wait_for_window 'Password Quality ' >/dev/null || fail "no report after checking"
[ "$(clipboard)" = 'MyBankPass9!' ] ||
  fail "the checked key was not on the clipboard during the report"
xdotool key Return
wait_until_gone 'Password Quality ' || fail "the report did not go away"
sleep 0.2
[ -z "$(clipboard)" ] || fail "the clipboard still holds '$(clipboard)' after checking"
[ -z "$(primary)" ] || fail "PRIMARY still holds '$(primary)' after checking"

# A paste asks the clipboard's owner for the text once: the box reads nothing of its own. (mutter
# keeps a copy of each new clipboard content, so it asks too, before the paste.)
printf 'Pasted9!' | xclip -verbose -i -selection clipboard >"$work/xclip.log" 2>&1 &
pids="$! $pids"
sleep 0.3
served() { grep -c 'Waiting for selection request number' "$work/xclip.log"; }
before=$(served)
click Text3
xdotool key ctrl+v
sleep 0.3
requests=$(($(served) - before))
[ "$requests" -eq 1 ] || fail "pasting asked the clipboard's owner for the text $requests times"
click cmdOK
answer_report "after checking the pasted key"
[ -z "$(primary)$(clipboard)" ] || fail "a key stayed behind after checking the pasted key"

# A middle click in the box pastes the primary selection, not the clipboard.
hold clipboard 'FromClipboard1!'
hold primary 'FromPrimary1!'
click Text3 2
click cmdOK
wait_for_window 'Password Quality ' >/dev/null || fail "no report after a middle click"
[ "$(clipboard)" = 'FromPrimary1!' ] || fail "a middle click pasted '$(clipboard)'"
xdotool key Return
wait_until_gone 'Password Quality ' || fail "the report did not go away"

# Closing plays the animation and ends the program within two seconds. Without a window manager
# nothing keeps the window on the screen: it ends 1 x 1, its top just past the screen's width
# (1024, not the height of 768). A window manager keeps a frame of its own and may stop the window
# at the screen's edge.
if [ "$manager" = none ]; then
  judged="--smallest 1x1 --ends past-width"
else
  judged="--ends at-edge"
fi
# shellcheck disable=SC2086 # the options, split into words
python3 "$here/CloseAndWatch.py" "$window" $judged || fail "the closing animation is wrong"
expect_clean_end "$app" 'its window was gone'

if [ "$manager" = none ]; then
  # Another program destroys the window: the program ends within 1 s, cleanly.
  QT_QPA_PLATFORM=xcb "$program" &
  app=$!
  pids="$app $pids"
  window=$(wait_for_window 'Morvane & Generator') || fail "the window did not appear again"
  xdotool windowclose "$window"
  expect_clean_end "$app" 'its window was destroyed' 10

  # The X server goes away under the program: status 1 and one line that says so.
  Xvfb -displayfd 3 -screen 0 640x480x24 3>"$work/display" 2>/dev/null &
  server=$!
  pids="$server $pids"
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb "$program" 2>"$work/stderr" &
  app=$!
  pids="$app $pids"
  DISPLAY=:$(cat "$work/display") wait_for_window 'Morvane & Generator' >/dev/null ||
    fail "the window did not appear on the second X server"
  kill "$server"
  status=0
  wait "$app" || status=$?
  [ "$status" -eq 1 ] && [ "$(wc -l <"$work/stderr")" -eq 1 ] ||
    fail "with its X server gone the program ended with status $status and said: $(cat "$work/stderr")"
fi

echo "PASS ($manager)"
