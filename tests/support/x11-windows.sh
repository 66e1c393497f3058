# shellcheck shell=sh
# Finding a program's windows on an X server by their titles, for the tests that source this file.

# Polls for a visible window with exactly this title, for up to $2 seconds (default 10), and
# prints its id.
wait_for_window() {
  for _ in $(seq $((${2:-10} * 10))); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Polls until no visible window has exactly this title, for up to 10 seconds.
wait_until_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
