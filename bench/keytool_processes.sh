#!/usr/bin/env bash
# Times morvane-keytool as whole processes against the tools it is measured by:
#   score on a 4,000,000-character line: at most 5 x `wc -m` on the same file;
#   generate --count 10000 --length 12: at least 5 x faster than `pwgen -s 12 10000`.
# Best of several runs each (hyperfine). Builds nothing.
#
# Usage: bench/keytool_processes.sh BIN_DIR     (e.g. build/bin)
set -euo pipefail

if [[ $# -ne 1 || ! -x "$1/morvane-keytool" ]]; then
  echo "usage: $0 BIN_DIR   (the directory holding a built morvane-keytool)" >&2
  exit 2
fi
for tool in hyperfine pwgen wc; do
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
(set +o pipefail; LC_ALL=C tr -dc 'a-z' </dev/urandom | head -c 4000000 >"$work/random-letters.txt")
echo >>"$work/random-letters.txt"
{ head -c 3999999 /dev/zero | LC_ALL=C tr '\0' 'a'; echo b; } >"$work/a-then-b.txt"

# best_ms CSV_FILE ROW: the fastest run of the ROW-th command, in milliseconds.
best_ms() { awk -F, -v row="$2" 'NR == row + 1 { printf "%.1f", $7 * 1000 }' "$1"; }
mean_ms() { awk -F, -v row="$2" 'NR == row + 1 { printf "%.1f", $2 * 1000 }' "$1"; }

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

echo "morvane-keytool: $keytool"
echo
echo "score on one line of 4,000,000 characters, against wc -m (best of 20 runs)"
for input in random-letters a-then-b; do
  file="$work/$input.txt"
  printf '  %s: %s characters, score %s\n' "$input" "$(wc -m <"$file")" \
    "$("$keytool" score <"$file")"
  hyperfine --style none --warmup 3 --runs 20 --export-csv "$work/$input.csv" \
    "wc -m < '$file'" "'$keytool' score < '$file'" >/dev/null
  wc_best=$(best_ms "$work/$input.csv" 1)
  tool_best=$(best_ms "$work/$input.csv" 2)
  printf '  wc -m:      best %7.1f ms, mean %7.1f ms\n' "$wc_best" "$(mean_ms "$work/$input.csv" 1)"
  printf '  keytool:    best %7.1f ms, mean %7.1f ms\n' "$tool_best" \
    "$(mean_ms "$work/$input.csv" 2)"
  report "score / wc -m ($input)" "$(awk -v a="$tool_best" -v b="$wc_best" 'BEGIN { print a / b }')" 5 at-most
done

# A file on standard input is mapped; a pipe is read piece by piece into one growing buffer.
echo "  for information, through a pipe (no target):"
file="$work/random-letters.txt"
hyperfine --style none --warmup 2 --runs 10 --export-csv "$work/pipe.csv" \
  "cat '$file' | wc -m" "cat '$file' | '$keytool' score" >/dev/null
printf '  cat | wc -m:    best %7.1f ms;  cat | keytool score: best %7.1f ms\n' \
  "$(best_ms "$work/pipe.csv" 1)" "$(best_ms "$work/pipe.csv" 2)"

echo
echo "generate --count 10000 --length 12, against pwgen -s 12 10000 (best of 10 runs)"
hyperfine --style none -N --warmup 2 --runs 10 --export-csv "$work/generate.csv" \
  "pwgen -s 12 10000" "$keytool generate --count 10000 --length 12" >/dev/null
pwgen_best=$(best_ms "$work/generate.csv" 1)
tool_best=$(best_ms "$work/generate.csv" 2)
printf '  pwgen:      best %7.1f ms, mean %7.1f ms\n' "$pwgen_best" "$(mean_ms "$work/generate.csv" 1)"
printf '  keytool:    best %7.1f ms, mean %7.1f ms\n' "$tool_best" \
  "$(mean_ms "$work/generate.csv" 2)"
report "pwgen / generate" "$(awk -v a="$pwgen_best" -v b="$tool_best" 'BEGIN { print a / b }')" 5 at-least

echo
if [[ $failures -eq 0 ]]; then
  echo "all targets met"
else
  echo "$failures target(s) missed"
  exit 1
fi
