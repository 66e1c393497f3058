# shellcheck shell=sh disable=SC2034 # sets variables for the scripts that source it
# Starts sway, a Wayland compositor, headless, for the test and the screenshot tool that drive the
# program under Wayland. Source this file, then run: start_headless_sway PROGRAM || fail ...
#
# sway refuses to run as root, so as root everything runs as an unprivileged user of its own,
# morvane-wayland-test, made on first use, with its own runtime directory, home and copy of the
# program (the build tree may be closed to it). Afterwards:
#   base        a scratch folder with runtime/, home/, program and sway.log; the caller removes it
#   sway_pid    the compositor's process, which the caller ends
#   become_user the command prefix that runs a program as that user; it becomes the program it
#               starts, so `$become_user env ... PROGRAM &` leaves the program's own id in $!
#   as_user COMMAND...  runs a command as that user, with its home and runtime directory
#   client COMMAND...   runs a Wayland client of this sway (wtype, wl-paste, swaymsg, grim)

start_headless_sway() {
  sway_user=
  if [ "$(id -u)" -eq 0 ]; then
    sway_user=morvane-wayland-test
    id "$sway_user" >/dev/null 2>&1 ||
      useradd --system --no-create-home --shell /usr/sbin/nologin "$sway_user"
  fi
  base=$(mktemp -d)
  mkdir -m 0700 "$base/runtime" "$base/home"
  cp "$1" "$base/program"
  printf 'output HEADLESS-1 resolution 1024x768\n' >"$base/config"
  [ -z "$sway_user" ] || chown -R "$sway_user" "$base"
  chmod 0755 "$base"
  become_user=
  [ -z "$sway_user" ] ||
    become_user="setpriv --reuid=$sway_user --regid=$(id -g "$sway_user") --clear-groups"

  # shellcheck disable=SC2086 # the command and its options, split into words
  $become_user env HOME="$base/home" XDG_RUNTIME_DIR="$base/runtime" WLR_BACKENDS=headless \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$base/config" >"$base/sway.log" 2>&1 &
  sway_pid=$!
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
    [ -n "$display" ] && [ -n "$socket" ] && return 0
    sleep 0.1
  done
  cat "$base/sway.log"
  return 1
}

as_user() {
  # shellcheck disable=SC2086 # the command and its options, split into words
  $become_user env HOME="$base/home" XDG_RUNTIME_DIR="$base/runtime" "$@"
}

client() { as_user WAYLAND_DISPLAY="$display" SWAYSOCK="$socket" "$@"; }
