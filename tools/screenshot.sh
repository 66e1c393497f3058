#!/bin/sh
# Takes a screenshot of the main window on a private X server and writes it to docs/window.png
# (or the given file). Needs xvfb, xauth, xdotool and imagemagick.
# Usage: tools/screenshot.sh [PROGRAM [OUTPUT]]
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
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
