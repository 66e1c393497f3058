#!/bin/sh
# Takes a screenshot of the main window on a private X server and writes it to docs/window.png
# (or the given file). Needs xvfb, xauth, xdotool and imagemagick.
#   tools/screenshot.sh [PROGRAM [OUTPUT]]
# With --desktops, takes pictures for review on two desktops instead, into DIRECTORY: under
# openbox on X11 and under sway on Wayland (headless; as root run as a user of its own), each of
# the window, a report box and a moment of the closing animation. Also needs openbox, sway,
# wtype and grim.
#   tools/screenshot.sh --desktops DIRECTORY [PROGRAM]
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = --desktops ]; then
  directory=$(mkdir -p "$2" && cd "$2" && pwd)
  program=${3:-$root/build/bin/Morvane&Generator}
  xvfb-run -a -s "-screen 0 1024x768x24" "$0" --openbox "$directory" "$program"
  exec "$0" --sway "$directory" "$program"
fi

if [ "${1:-}" = --openbox ]; then
  directory=$2
  runtime=$(mktemp -d)
  export XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb
  openbox >/dev/null 2>&1 &
  manager=$!
  sleep 1
  "$3" &
  app=$!
  trap 'kill $app $manager 2>/dev/null || true; rm -rf "$runtime"' EXIT
  window=
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Morvane & Generator$' 2>/dev/null |
      head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.1
  done
  sleep 0.5
  import -window root "$directory/openbox-window.png"
  xdotool mousemove --window "$window" 76 100 click 1  # Generate Password
  sleep 1
  import -window root "$directory/openbox-report.png"
  xdotool key Return
  sleep 0.5
  python3 "$root/tests/window/CloseAndWatch.py" "$window" >/dev/null &
  # Once the window has shrunk by a fifth.
  for _ in $(seq 200); do
    width=$(xwininfo -id "$window" 2>/dev/null | sed -n 's/ *Width: //p')
    [ "${width:-0}" -lt 280 ] && break
    sleep 0.01
  done
  import -window root "$directory/openbox-closing.png"
  wait
  echo "wrote $directory/openbox-*.png"
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
  client grim "$base/shots/sway-window.png"
  client wtype -s 400 -k Tab -k Tab -k Tab -k Tab -k space
  sleep 1
  client grim "$base/shots/sway-report.png"
  client wtype -s 400 -k Return
  sleep 0.5
  client swaymsg '[app_id="org.morvane.Generator"] kill' >/dev/null
  client grim "$base/shots/sway-closing.png"
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
