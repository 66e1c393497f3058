#!/usr/bin/env bash
# Times morvane-keytool as whole processes against the tools it is measured by, in one run:
#   score on one line of 4,000,000 characters: at most 1.5 x `wc -m` on the same input, from a
#     file and from a pipe;
#   its memory on that line: at most about twice the line (2.2 x), over the tool's own at rest;
#   generate --count 10000 --length 12: at least 8 x faster than `pwgen -s 12 10000` (goal 10 x).
# Best of several runs each (hyperfine). Builds nothing.
#
# Usage: bench/keytool_processes.sh BIN_DIR     (e.g. build/bin)
set -euo pipefail

if [[ $# -ne 1 || ! -x "$1/morvane-keytool" ]]; then
  echo "usage: $0 BIN_DIR   (the directory holding a built morvane-keytool)" >&2
  exit 2
fi
for tool in hyperfine pwgen wc /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is not installed" >&2; exit 2; }
done

keytool="$(cd "$1" && pwd)/morvane-keytool"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# wc -m counts characters only in a UTF-8 locale; in C it counts bytes.
export LC_ALL=C.UTF-8

# Inputs: random lower-case letters, and "a" 3,999,999 times then "b" (the worst case for a
# repetition test), each a single line of 4,000,000 characters.
# (tr ends on a broken pipe once head has enough, which is no failure here.)
(set +o pipefail; LC_ALL=C tr -dc '[:lower:]' </dev/urandom | head -c 4000000 >"$work/random-letters.txt")
echo >>"$work/random-letters.txt"
{ head -c 3999999 /dev/zero | LC_ALL=C tr '\0' 'a'; echo b; } >"$work/a-then-b.txt"
: >"$work/empty.txt"

# best_ms CSV_FILE ROW: the fastest run of the ROW-th command, in milliseconds.
best_ms() { awk -F, -v row="$2" 'NR == row + 1 { printf "%.1f", $7 * 1000 }' "$1"; }
mean_ms() { awk -F, -v row="$2" 'NR == row + 1 { printf "%.1f", $2 * 1000 }' "$1"; }
# peak_kib FILE: the tool's peak resident memory while scoring FILE, in KiB (GNU time).
peak_kib() { /usr/bin/time -f %M "$keytool" score <"$1" 2>&1 >/dev/null; }

failures=0
report() {  # report NAME RATIO LIMIT HOW   (HOW: at-most or at-least)
  local verdict
  if awk -v r="$2" -v l="$3" -v how="$4" \
      'BEGIN { exit !((how == "at-most" && r <= l) || (how == "at-least" && r >= l)) }'; then
    verdict="met"
  else
    verdict="MISSED"
    failures=$((failures + 1))
  fi
  printf '  %-48s %6.2f x (target: %s %s x)  %s\n' "$1" "$2" "${4/-/ }" "$3" "$verdict"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { print a / b }'; }

echo "morvane-keytool: $keytool"
echo
echo "score on one line of 4,000,000 characters, against wc -m (best of 20 runs)"
for input in random-letters a-then-b; do
  file="$work/$input.txt"
  printf '  %s: %s characters, score %s\n' "$input" "$(wc -m <"$file")" \
    "$("$keytool" score <"$file")"
  hyperfine --style none --warmup 3 --runs 20 --export-csv "$work/$input.csv" \
    "wc -m < '$file'" "'$keytool' score < '$file'" \
    "cat '$file' | wc -m" "cat '$file' | '$keytool' score" >/dev/null
  for way in file pipe; do
    row=1
    [[ $way == pipe ]] && row=3
    wc_best=$(best_ms "$work/$input.csv" "$row")
    tool_best=$(best_ms "$work/$input.csv" $((row + 1)))
    printf '  from a %s:  wc -m best %6.1f ms (mean %6.1f), keytool best %6.1f ms (mean %6.1f)\n' \
      "$way" "$wc_best" "$(mean_ms "$work/$input.csv" "$row")" \
      "$tool_best" "$(mean_ms "$work/$input.csv" $((row + 1)))"
    report "score / wc -m ($input, $way)" "$(ratio "$tool_best" "$wc_best")" 1.5 at-most
  done
done

echo
echo "memory of score: peak resident, over the tool's own on empty input"
at_rest=$(peak_kib "$work/empty.txt")
printf '  at rest: %d KiB\n' "$at_rest"
for input in random-letters a-then-b; do
  file="$work/$input.txt"
  peak=$(peak_kib "$file")
  line_kib=$(( $(wc -c <"$file") / 1024 ))
  printf '  %s: peak %d KiB, %d KiB over rest, for a line of %d KiB\n' "$input" "$peak" \
    $((peak - at_rest)) "$line_kib"
  report "memory / line ($input)" "$(ratio $((peak - at_rest)) "$line_kib")" 2.2 at-most
done

echo
echo "generate --count 10000 --length 12, against pwgen -s 12 10000 (best of 20 runs)"
hyperfine --style none -N --warmup 3 --runs 20 --export-csv "$work/generate.csv" \
  "pwgen -s 12 10000" "$keytool generate --count 10000 --length 12" >/dev/null
pwgen_best=$(best_ms "$work/generate.csv" 1)
tool_best=$(best_ms "$work/generate.csv" 2)
printf '  pwgen:      best %7.1f ms, mean %7.1f ms\n' "$pwgen_best" "$(mean_ms "$work/generate.csv" 1)"
printf '  keytool:    best %7.1f ms, mean %7.1f ms\n' "$tool_best" \
  "$(mean_ms "$work/generate.csv" 2)"
speedup=$(ratio "$pwgen_best" "$tool_best")
report "pwgen / generate" "$speedup" 8 at-least
if awk -v r="$speedup" 'BEGIN { exit !(r < 10) }'; then
  echo "  (the goal of 10 x is not reached yet)"
fi

echo
if [[ $failures -eq 0 ]]; then
  echo "all targets met"
else
  echo "$failures target(s) missed"
  exit 1
fi
