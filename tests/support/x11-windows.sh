# shellcheck shell=sh disable=SC2034 # sets variables for the scripts that source it
# Finding a program's windows on an X server by their titles, and starting a window manager, for
# the tests and tools that source this file.

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

# Starts window manager $1 (openbox, metacity, mutter or xfwm4) on the X server of DISPLAY,
# logging to $2, and waits until it announces itself on the root window. On a loaded machine one
# now and then dies while starting up; a second start is what a user's session would do too.
# mutter and xfwm4 run in a D-Bus session of their own, which ends with them. Afterwards
# window_manager names the processes to end, by their ids: the one started and its children.
start_window_manager() {
  for _ in 1 2; do
    case $1 in
      openbox) openbox >>"$2" 2>&1 & ;;
      metacity) metacity --replace >>"$2" 2>&1 & ;;
      mutter) NO_AT_BRIDGE=1 dbus-run-session -- mutter --x11 --replace --sm-disable >>"$2" 2>&1 & ;;
      xfwm4) NO_AT_BRIDGE=1 dbus-run-session -- xfwm4 --replace >>"$2" 2>&1 & ;;
    esac
    started=$!
    for _ in $(seq 150); do
      if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        window_manager="$(pgrep -P "$started" | tr '\n' ' ')$started"
        return 0
      fi
      kill -0 "$started" 2>/dev/null || break
      sleep 0.1
    done
    kill "$started" 2>/dev/null || true
  done
  return 1
}
