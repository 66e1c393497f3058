#!/bin/sh
# Times the window as whole processes on a private X server (or the current one with --here):
#   start-up to the first painted window, against an empty Qt Widgets window of the same size and
#   the same with one line of text, with peak memory for each; then a 10,000,000-character key
#   held by another program (xclip):
#   a paste by each route, the processor time while it sits in the focused box, and its check.
# Targets: start-up within 1.1x of the empty window, in time and memory; a paste settles within
# 1 s, idle below 5 % of a core, the report box within 1 s and the window answering right after it. Builds its helper in build-window-speed/ (Release).
# Needs xvfb, xauth, xclip and time. MORVANE_KEY_LENGTH sets another length.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build-window-speed
length=${MORVANE_KEY_LENGTH:-10000000}

if [ "${1:-}" != --here ]; then
  cmake -S "$root/bench/window" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target window_speed >/dev/null
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --here
fi

runtime=$(mktemp -d)
holders=
trap 'kill $holders 2>/dev/null || true; rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-xcb}"
helper=$build/window_speed

# Paired and interleaved, so that a machine busy with other work weighs on all three alike.
echo "== Start-up to the first painted window, and peak memory (whole process, median of 31)"
for _ in 1 2 3; do "$helper" empty; "$helper" form; done
for _ in $(seq 31); do
  for mode in empty label form; do
    start=$(date +%s%N)
    /usr/bin/time -f "%M" -o "$runtime/memory" "$helper" "$mode"
    echo "$((($(date +%s%N) - start) / 1000)) $(cat "$runtime/memory")" >>"$runtime/start-$mode"
  done
done
for mode in empty label form; do
  microseconds=$(cut -d' ' -f1 "$runtime/start-$mode" | sort -n | sed -n 16p)
  kilobytes=$(cut -d' ' -f2 "$runtime/start-$mode" | sort -n | sed -n 16p)
  echo "$mode: $((microseconds / 1000)).$((microseconds % 1000 / 100)) ms, $kilobytes KB"
done

# Another program holds the key in the clipboard and the primary selection, as after a copy. It
# lets go once the window puts something on the clipboard, so it takes hold again for every run.
key=$runtime/key
awk -v n="$length" 'BEGIN { for (i = 0; i < n / 10; i++) printf "Ab1:cdefgh"; printf "Z" }' >"$key"
hold_key() {
  # shellcheck disable=SC2086 # a list of process ids
  kill $holders 2>/dev/null || true
  holders=
  for selection in clipboard primary; do
    xclip -quiet -i -selection "$selection" "$key" >/dev/null 2>&1 &
    holders="$holders $!"
  done
  sleep 0.3
}
three_runs() {
  for _ in 1 2 3; do
    hold_key
    "$helper" "$@"
  done
}
median() { sort -n | sed -n 2p; }

echo "== A pasted key of $(wc -c <"$key") characters (median of 3; targets in the header)"
for route in ctrl-v shift-insert menu middle; do
  three_runs paste "$route" | median
done
three_runs idle | median
three_runs check >"$runtime/check"
grep 'report box' "$runtime/check" | median
grep 'window answers' "$runtime/check" | median
