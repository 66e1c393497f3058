#!/bin/sh
# Times the window as whole processes on a private X server (or the current one with --here):
#   start-up to the first painted window, against an empty Qt Widgets window of the same size,
#   with peak memory for both; and a pasted 1,000,000-character key, from pressing the check
#   button to the first paint of its message box.
# Builds its helper in build-window-speed/ (Release). Needs hyperfine, xvfb and xauth.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build-window-speed

if [ "${1:-}" != --here ]; then
  cmake -S "$root/bench/window" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target window_speed >/dev/null
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --here
fi

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-xcb}"
helper=$build/window_speed

echo "== Start-up to the first painted window (whole process)"
hyperfine -N --warmup 3 --runs 30 "$helper empty" "$helper form"

echo "== Peak memory (maximum resident set, median of 9)"
for mode in empty form; do
  for _ in 1 2 3 4 5 6 7 8 9; do
    /usr/bin/time -f "%M" "$helper" "$mode" 2>&1 >/dev/null | tail -n 1
  done | sort -n | sed -n 5p | sed "s/^/$mode: /; s/$/ KB/"
done

echo "== A pasted 1,000,000-character key: check button to the box's first paint"
for _ in 1 2 3 4 5; do "$helper" check 1000000 2>&1 >/dev/null | grep 'box after'; done
echo "== Whole processes: paste only, then paste and check"
hyperfine -N --warmup 1 --runs 10 "$helper paste 1000000" "$helper check 1000000"
