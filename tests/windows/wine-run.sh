#!/bin/sh
# Runs a Windows program under wine for ctest, with the DLL folders of MORVANE_WINE_DLL_DIRS
# (colon-separated) on its search path; the status is the program's.
# Usage: wine-run.sh [--qtest] PROGRAM [ARGUMENTS...]
#   --qtest  PROGRAM is a Qt Test program. Wine loses what those write to standard output, so its
#            report goes to a file, printed here once it ends.
set -eu

qtest=false
if [ "${1:-}" = --qtest ]; then
  qtest=true
  shift
fi

# Z: is wine's drive for the Linux root.
WINEPATH=$(printf '%s' "${MORVANE_WINE_DLL_DIRS:-}" | tr ':' '\n' | sed 's|^|Z:|; s|/|\\|g' | paste -sd';' -)
export WINEPATH

# What the program and wine say goes to files too: a wine service started on the way would keep
# a pipe open long after the program has ended.
output=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
report=$(mktemp "${TMPDIR:-/tmp}/qtest-report.XXXXXX")
trap 'rm -f "$output" "$report"' EXIT
status=0
if $qtest; then
  wine "$@" -o "$report,txt" >"$output" 2>&1 </dev/null || status=$?
else
  wine "$@" >"$output" 2>&1 </dev/null || status=$?
fi
cat "$output" "$report"
exit "$status"
