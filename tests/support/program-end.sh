# shellcheck shell=sh
# How the window tests expect the program to end, for the tests that source this file; they
# define fail().

# Waits for the program, process $1 (a child of this shell), to end with status 0: up to 2 s, or
# $3 tenths of a second. $2 says when the time started.
expect_clean_end() {
  for _ in $(seq "${3:-20}"); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$1" 2>/dev/null && fail "the program still runs $((${3:-20} / 10)) s after $2"
  status=0
  wait "$1" || status=$?
  [ "$status" -eq 0 ] || fail "the program ended with status $status"
}
