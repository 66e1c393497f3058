#!/bin/sh
# Makes or removes the wine prefix that one test run shares (WINEPREFIX).
#   wine-prefix.sh create   a new prefix, in which Qt programs use the offscreen platform unless
#                           told otherwise, as QT_QPA_PLATFORM does for the Linux suites
#   wine-prefix.sh remove   ends the prefix's wine processes and removes it
set -eu
: "${WINEPREFIX:?}"

case "${1:-}" in
  create)
    if [ -e "$WINEPREFIX" ]; then
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
    fi
    # Wine's own services (explorer, rpcss and the rest) start with the first program and outlive
    # it, holding on to its standard output: a test whose output ctest reads would not end until
    # they do. Started here, with nowhere to write, and kept for the run (and half a minute after
    # the last program, should the run be cut short).
    mkdir -p "$WINEPREFIX"
    wineserver --persistent=30 >/dev/null 2>&1
    wineboot --init >/dev/null 2>&1
    # Wine does not pass QT_* variables from Linux on, so set it in the prefix's own environment.
    wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f >/dev/null 2>&1
    # Wine draws the window frames itself, as Windows does. Left to a window manager, which the
    # tests do not run, wine waits 2 s for one to confirm that a closed window is gone.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    ;;
  remove)
    wineserver -k 2>/dev/null || true
    # The server keeps its lock in a folder named after the prefix's device and inode, under a
    # temporary folder of its own.
    if [ -d "$WINEPREFIX" ]; then
      # shellcheck disable=SC2046,SC2183  # stat prints the two numbers
      server=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
      for folder in /tmp/wine-*/"$server"; do
        [ -d "$folder" ] || continue
        rm -rf "$folder"
        rmdir "$(dirname "$folder")" 2>/dev/null || true
      done
    fi
    rm -rf "$WINEPREFIX"
    ;;
  *)
    echo "usage: $0 create|remove" >&2
    exit 2
    ;;
esac
