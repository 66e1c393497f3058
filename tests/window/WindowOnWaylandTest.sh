#!/bin/sh
# Drives the real program under sway, a Wayland compositor, running headless: generates a key
# with the keyboard and reads the clipboard from another client, follows a selected key through
# the primary selection, copies by every route, then closes the window as the compositor does,
# watches it shrink in the compositor's tree and expects the program to end on its own, cleanly. sway refuses to run as root, so as root the test runs everything
# as an unprivileged user of its own.
# Usage: WindowOnWaylandTest.sh PROGRAM
set -eu

program=$1
for tool in sway swaymsg wtype wl-paste; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is missing (tools/install-dependencies.sh --test installs it)"
    exit 77
  fi
done

fail() {
  echo "FAIL (sway): $*"
  exit 1
}

# shellcheck source=tests/support/headless-sway.sh
. "$(dirname "$0")/../support/headless-sway.sh"
# shellcheck source=tests/support/program-end.sh
. "$(dirname "$0")/../support/program-end.sh"
base=
pids=
trap 'kill $pids 2>/dev/null || true; [ -z "$base" ] || rm -rf "$base"' EXIT
start_headless_sway "$program" || fail "sway did not start"
pids=$sway_pid

tree() { client swaymsg -t get_tree 2>/dev/null || true; }
wait_for() {
  for _ in $(seq 100); do
    tree | grep -q "$1" && return 0
    sleep 0.1
  done
  return 1
}
wait_until_gone() {
  for _ in $(seq 100); do
    tree | grep -q "$1" || return 0
    sleep 0.1
  done
  return 1
}
# A fresh virtual keyboard needs a moment before the window receives its keys.
keys() { client wtype -s 400 "$@"; }
clipboard() { client wl-paste -n "$@" 2>/dev/null || true; }
marked_secret() { client wl-paste --list-types "$@" | grep -qx 'x-kde-passwordManagerHint'; }

# In a sanitizer build, no leak check here: Qt's Wayland plugin leaves its display connection to
# the end of the process, with clipboard data hanging off it that no suppression can single out.
# The X11 tests check the same code of ours for leaks.
# shellcheck disable=SC2086 # the command and its options, split into words
$become_user env HOME="$base/home" XDG_RUNTIME_DIR="$base/runtime" WAYLAND_DISPLAY="$display" \
  QT_QPA_PLATFORM=wayland LSAN_OPTIONS=detect_leaks=0 "$base/program" &
app=$!
pids="$app $pids"
wait_for '"app_id": "org.morvane.Generator"' || fail "the window did not appear"

# No other process of the same user may read the program's memory, and a crash writes no core.
! as_user sh -c ": 2>/dev/null <'/proc/$app/mem'" || fail "another process of the user reads its memory"
as_user cat "/proc/$app/limits" | grep -Eq '^Max core file size +0 +0 ' || fail "a crash would dump core"

# The focus starts in the box to check; four tabs reach "Generate Password".
keys -k Tab -k Tab -k Tab -k Tab -k space
wait_for '"name": "Password Quality "' || fail "no report after generating"
key=$(clipboard)
echo "generated: $key"
printf '%s' "$key" | grep -Eq '^[A-Za-z0-9]{12}$' || fail "clipboard holds '$key'"
marked_secret || fail "the clipboard is not marked secret"
keys -k Return
wait_until_gone '"name": "Password Quality "' || fail "the report did not go away"

# The focus is on the key now: selecting it puts it into the primary selection, marked.
keys -k End -M shift -k Home -m shift
sleep 0.3
[ "$(clipboard --primary)" = "$key" ] || fail "selecting the key did not put it into the primary selection"
marked_secret --primary || fail "the key in the primary selection is not marked secret"
# The next key replaces it in the box; the selected one must not stay behind.
keys -k Tab -k Tab -k Tab -k space
wait_for '"name": "Password Quality "' || fail "no report after the second key"
keys -k Return
wait_until_gone '"name": "Password Quality "' || fail "the report did not go away"
[ -z "$(clipboard --primary)" ] || fail "the primary selection still holds a key after the next one"

# Every way of copying a key out of a box marks it as the mirror does (the Menu key opens the
# box's context menu). The focus is on the key; the box to check comes before it.
keys -M shift -k Tab -m shift
for route in ctrl:c ctrl:Insert menu:c ctrl:x shift:Delete menu:t; do
  case $route in
    menu:*) copy="-k Menu -k ${route#menu:}" ;;
    *) copy="-M ${route%%:*} -k ${route#*:} -m ${route%%:*}" ;;
  esac
  # shellcheck disable=SC2086 # the keys, split into words
  keys -M ctrl -k a -m ctrl -k BackSpace "Copied by $route!" -M ctrl -k a -m ctrl $copy
  sleep 0.3
  [ "$(clipboard)" = "Copied by $route!" ] || fail "$route put '$(clipboard)' on the clipboard"
  marked_secret || fail "$route left the clipboard unmarked"
done

# The compositor asks the window to close: the window shrinks, and the program ends within two
# seconds, cleanly. The compositor's tree shows each size it takes.
python3 "$(dirname "$0")/CloseAndWatchSway.py" "$socket" org.morvane.Generator ||
  fail "the closing animation is wrong"
expect_clean_end "$app" 'it was asked to close'

echo "PASS (sway)"
