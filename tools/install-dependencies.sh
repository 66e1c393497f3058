#!/usr/bin/env bash
# Installs from Debian 12's packages what building, testing and checking the program needs,
# skipping what is already there.
#   tools/install-dependencies.sh          build and run
#   tools/install-dependencies.sh --test   also run every test, and build and run the benchmarks
#   tools/install-dependencies.sh --ci     also the sanitizers, fuzzers and analysers
set -euo pipefail

# CLI11, nlohmann json and utfcpp are the terminal tool's header-only libraries; libxcb1-dev lets
# the window read the X server's notifications about its own window.
packages=(build-essential cmake pkg-config qt6-base-dev libxcb1-dev libsodium-dev libcli11-dev
  nlohmann-json3-dev libutfcpp-dev fonts-liberation)
# lintian and devscripts (hardening-check) check the Debian package; pwgen and time
# serve the benchmark scripts; openbox, metacity, mutter (GNOME's) and xfwm4 (Xfce's) are the
# window managers of the X11 tests, the last two in a session bus of their own (dbus-daemon);
# sway (headless) with wtype and wl-clipboard drives the Wayland test, grim takes screenshots.
test_packages=(xvfb xauth xclip xdotool x11-utils procps openbox metacity mutter xfwm4 dbus-daemon
  python3 libbenchmark-dev desktop-file-utils appstream lintian devscripts pwgen time
  qt6-wayland sway wtype wl-clipboard grim)
# windres compiles the Windows version resource in its test.
ci_packages=(clang libclang-rt-14-dev clang-tidy clang-format cppcheck shellcheck valgrind
  binutils-mingw-w64-x86-64)
# Cross-building for Windows and testing that build under wine (.ci/windows.sh); wixl builds the
# installer, msitools sets its package code, faketime its time stamps, python3 writes the zip.
windows_packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 ninja-build wine wine64
  wixl msitools faketime python3)
case "${1:-}" in
  --test) packages+=("${test_packages[@]}") ;;
  --ci) packages+=("${test_packages[@]}" "${ci_packages[@]}" "${windows_packages[@]}") ;;
  "") ;;
  *) echo "usage: $0 [--test|--ci]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
