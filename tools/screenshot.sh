#!/bin/sh
# Takes a screenshot of the main window on a private X server and writes it to docs/window.png
# (or the given file). Needs xvfb, xauth, xdotool and imagemagick.
#   tools/screenshot.sh [PROGRAM [OUTPUT]]
# With --desktops, takes pictures for review on every tested desktop instead, into DIRECTORY: on
# X11 without a window manager and under openbox, metacity, mutter and xfwm4, and under sway on
# Wayland (headless; as root run as a user of its own). On each, the window, every message box
# (a report, the requirements error, "Can Not Check Nothing", "Are You Sure You Want A
# Password?? :)", and a report on a key with an override and many lines) and a moment of the
# closing animation. Also needs the window managers, xclip, sway, wtype, wl-clipboard and grim.
#   tools/screenshot.sh --desktops DIRECTORY [PROGRAM]
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
# A key whose override and line breaks the report box must keep to the key.
odd_key=$(printf 'Aa1\342\200\256evil.exe%40s end' '' | tr ' ' '\n')

if [ "${1:-}" = --desktops ]; then
  directory=$(mkdir -p "$2" && cd "$2" && pwd)
  program=${3:-$root/build/bin/Morvane&Generator}
  for manager in none openbox metacity mutter xfwm4; do
    xvfb-run -a -s "-screen 0 1024x768x24" "$0" --x11 "$manager" "$directory" "$program"
  done
  exec "$0" --sway "$directory" "$program"
fi

if [ "${1:-}" = --x11 ]; then
  manager=$2
  directory=$3
  runtime=$(mktemp -d)
  chmod 0700 "$runtime"
  export XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb
  # shellcheck source=tests/support/x11-windows.sh
  . "$root/tests/support/x11-windows.sh"
  window_manager=
  trap 'kill $window_manager 2>/dev/null || true; rm -rf "$runtime"' EXIT
  [ "$manager" = none ] || start_window_manager "$manager" "$runtime/wm.log"
  "$4" &
  app=$!
  trap 'kill $app $window_manager 2>/dev/null || true; rm -rf "$runtime"' EXIT
  window=$(wait_for_window 'Morvane & Generator')
  shot() { import -window root "$directory/$manager-$1.png"; }
  click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
  # Shows the box that the clicks so far bring up, takes its picture and answers it.
  box() {
    sleep 0.7
    shot "$1"
    xdotool key Return
    sleep 0.3
  }
  sleep 0.5
  shot window
  click 76 100  # Generate Password
  box report
  click 150 28  # the box to check
  xdotool type 'aaa'
  click 312 28  # the check button
  box requirements-error
  click 312 28
  box nothing-to-check
  printf '%s' "$odd_key" | xclip -i -selection clipboard 2>/dev/null &
  sleep 0.2
  click 150 28
  xdotool key ctrl+v
  click 312 28
  box odd-key-report
  click 176 99   # Uppercase
  click 176 125  # Lowercase
  click 176 148  # Numbers
  click 76 100
  box no-class-error
  python3 "$root/tests/window/CloseAndWatch.py" "$window" >/dev/null &
  watch=$!
  # Once the window has shrunk by a quarter, held still for the picture.
  for _ in $(seq 400); do
    width=$(xwininfo -id "$window" 2>/dev/null | sed -n 's/ *Width: //p')
    [ "${width:-0}" -lt 260 ] && break
    sleep 0.005
  done
  kill -STOP "$app"
  sleep 0.3
  shot closing
  kill -CONT "$app"
  wait "$watch" || true
  echo "wrote $directory/$manager-*.png"
  exit 0
fi

if [ "${1:-}" = --sway ]; then
  directory=$2
  # shellcheck source=tests/support/headless-sway.sh
  . "$root/tests/support/headless-sway.sh"
  base=
  trap 'kill $sway_pid 2>/dev/null || true; [ -z "$base" ] || rm -rf "$base"' EXIT
  start_headless_sway "$3" || { echo "sway did not start" >&2; exit 1; }
  mkdir "$base/shots"
  [ -z "$sway_user" ] || chown "$sway_user" "$base/shots"
  # shellcheck disable=SC2086 # the command and its options, split into words
  $become_user env HOME="$base/home" XDG_RUNTIME_DIR="$base/runtime" WAYLAND_DISPLAY="$display" \
    QT_QPA_PLATFORM=wayland "$base/program" &
  sleep 1.5
  shot() { client grim "$base/shots/sway-$1.png"; }
  keys() { client wtype -s 400 "$@"; }
  # The keys bring up a box: its picture, then the answer. The focus goes back to the box to
  # check, the first in the tab order; the check button is the last.
  box() {
    sleep 0.7
    shot "$1"
    keys -k Return
    sleep 0.3
  }
  shot window
  keys -k Tab -k Tab -k Tab -k Tab -k space
  box report
  keys -M shift -k Tab -m shift "aaa" -M shift -k Tab -m shift -k space
  box requirements-error
  keys -M shift -k Tab -m shift -k space
  box nothing-to-check
  printf '%s' "$odd_key" | client wl-copy
  keys -M ctrl -k v -m ctrl -M shift -k Tab -m shift -k space
  box odd-key-report
  # Tab by tab from the box to check to the three class boxes, then back to Generate Password.
  keys -k Tab -k Tab -k Tab -k Tab -k Tab -k space -k Tab -k space -k Tab -k space \
    -M shift -k Tab -k Tab -k Tab -m shift -k space
  box no-class-error
  client swaymsg '[app_id="org.morvane.Generator"] kill' >/dev/null
  sleep 0.3
  shot closing
  wait $! 2>/dev/null || true
  cp "$base/shots/"*.png "$directory/"
  echo "wrote $directory/sway-*.png"
  exit 0
fi

program=${1:-$root/build/bin/Morvane&Generator}
output=${2:-$root/docs/window.png}

if [ -z "${INSIDE_XVFB:-}" ]; then
  INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$program" "$output"
fi

runtime=$(mktemp -d)
export XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb
"$program" &
app=$!
trap 'kill $app 2>/dev/null || true; rm -rf "$runtime"' EXIT

window=
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^Morvane & Generator$' 2>/dev/null | head -n 1) ||
    true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }
sleep 0.5  # let the first paint land

mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "wrote $output"
