#!/bin/sh
# Drives the real program under sway, a Wayland compositor, running headless: generates a key
# with the keyboard and reads the clipboard from another client, follows a selected key through
# the primary selection, then closes the window as the compositor does and expects the program
# to end on its own, cleanly. sway refuses to run as root, so as root the test runs everything
# as an unprivileged user of its own.
# Usage: WindowOnWaylandTest.sh PROGRAM
set -eu

program=$1
for tool in sway swaymsg wtype wl-paste; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is missing (tools/install-dependencies.sh --test installs it)"
    exit 77
  fi
done

user=
if [ "$(id -u)" -eq 0 ]; then
  user=morvane-wayland-test
  id "$user" >/dev/null 2>&1 ||
    useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
fi

# The user's own runtime directory, home and copy of the program (the build tree may be closed
# to it). setpriv, unlike runuser, becomes the program it starts, so killing it ends that.
base=$(mktemp -d)
pids=
trap 'kill $pids 2>/dev/null || true; rm -rf "$base"' EXIT
mkdir -m 0700 "$base/runtime" "$base/home"
cp "$program" "$base/program"
printf 'output HEADLESS-1 resolution 1024x768\n' >"$base/config"
[ -z "$user" ] || chown -R "$user" "$base"
chmod 0755 "$base"

# setpriv, unlike runuser, becomes the program that it starts, so its process id is the
# program's; a background job started through a shell function would not be.
become_user=
[ -z "$user" ] || become_user="setpriv --reuid=$user --regid=$(id -g "$user") --clear-groups"
as_user() {
  # shellcheck disable=SC2086 # the command and its options, split into words
  $become_user env HOME="$base/home" XDG_RUNTIME_DIR="$base/runtime" "$@"
}

fail() {
  echo "FAIL (sway): $*"
  exit 1
}

# shellcheck disable=SC2086 # the command and its options, split into words
$become_user env HOME="$base/home" XDG_RUNTIME_DIR="$base/runtime" WLR_BACKENDS=headless \
  WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$base/config" >"$base/sway.log" 2>&1 &
pids=$!
# sway names its display socket and its IPC socket in the runtime directory once it runs.
display=
socket=
for _ in $(seq 100); do
  for path in "$base/runtime"/wayland-* "$base/runtime"/sway-ipc.*; do
    case $path in
      *.lock | *'*') ;;
      */wayland-*) display=$(basename "$path") ;;
      *) socket=$path ;;
    esac
  done
  [ -n "$display" ] && [ -n "$socket" ] && break
  sleep 0.1
done
if [ -z "$display" ] || [ -z "$socket" ]; then
  cat "$base/sway.log"
  fail "sway did not start"
fi

client() { as_user WAYLAND_DISPLAY="$display" SWAYSOCK="$socket" "$@"; }
tree() { client swaymsg -t get_tree 2>/dev/null || true; }
wait_for() {
  for _ in $(seq 100); do
    tree | grep -q "$1" && return 0
    sleep 0.1
  done
  return 1
}
wait_until_gone() {
  for _ in $(seq 100); do
    tree | grep -q "$1" || return 0
    sleep 0.1
  done
  return 1
}
# A fresh virtual keyboard needs a moment before the window receives its keys.
keys() { client wtype -s 400 "$@"; }
clipboard() { client wl-paste -n "$@" 2>/dev/null || true; }
marked_secret() { client wl-paste --list-types "$@" | grep -qx 'x-kde-passwordManagerHint'; }

# In a sanitizer build, no leak check here: Qt's Wayland plugin leaves its display connection to
# the end of the process, with clipboard data hanging off it that no suppression can single out.
# The X11 tests check the same code of ours for leaks.
# shellcheck disable=SC2086 # the command and its options, split into words
$become_user env HOME="$base/home" XDG_RUNTIME_DIR="$base/runtime" WAYLAND_DISPLAY="$display" \
  QT_QPA_PLATFORM=wayland LSAN_OPTIONS=detect_leaks=0 "$base/program" &
app=$!
pids="$app $pids"
wait_for '"app_id": "org.morvane.Generator"' || fail "the window did not appear"

# The focus starts in the box to check; four tabs reach "Generate Password".
keys -k Tab -k Tab -k Tab -k Tab -k space
wait_for '"name": "Password Quality "' || fail "no report after generating"
key=$(clipboard)
echo "generated: $key"
printf '%s' "$key" | grep -Eq '^[A-Za-z0-9]{12}$' || fail "clipboard holds '$key'"
marked_secret || fail "the clipboard is not marked secret"
keys -k Return
wait_until_gone '"name": "Password Quality "' || fail "the report did not go away"

# The focus is on the key now: selecting it puts it into the primary selection, marked.
keys -k End -M shift -k Home -m shift
sleep 0.3
[ "$(clipboard --primary)" = "$key" ] || fail "selecting the key did not put it into the primary selection"
marked_secret --primary || fail "the key in the primary selection is not marked secret"
# The next key replaces it in the box; the selected one must not stay behind.
keys -k Tab -k Tab -k Tab -k space
wait_for '"name": "Password Quality "' || fail "no report after the second key"
keys -k Return
wait_until_gone '"name": "Password Quality "' || fail "the report did not go away"
[ -z "$(clipboard --primary)" ] || fail "the primary selection still holds a key after the next one"

# The compositor asks the window to close; the program ends within two seconds, cleanly.
client swaymsg '[app_id="org.morvane.Generator"] kill' >/dev/null
for _ in $(seq 20); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "the program still runs 2 s after it was asked to close"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"

echo "PASS (sway)"
