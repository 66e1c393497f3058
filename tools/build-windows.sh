#!/usr/bin/env bash
# Cross-builds both programs and the test suite for 64-bit Windows with mingw-w64 and the Qt for
# Windows kept beside the repository (../shared/windows-qt), into build-windows/. The build also
# makes the two downloads, the same byte for byte from the same commit:
#   build-windows/morvane-generator-VERSION-windows-x86_64.zip  the folder a user unzips and runs
#   build-windows/morvane-generator-VERSION-windows-x86_64.msi  its installer
#
#   tools/build-windows.sh                 build both downloads
#   tools/build-windows.sh --test          then run the tests under wine (ctest)
#   tools/build-windows.sh --reproducible  then build the downloads once more from scratch, in
#                                          another folder, and require the same bytes
# (both options may be given)
#
# Environment:
#   MORVANE_WINDOWS_QT      the Qt archive (default ../shared/windows-qt/qt6.4.2-mingw64.tar.xz)
#   MORVANE_LINUX_KEYTOOL   a Linux morvane-keytool of the same source, whose answers the Windows
#                           one must repeat (default build/bin/morvane-keytool, when it exists)
#   MORVANE_WINDOWS_BUILD   the build folder (default build-windows)
# Exits 77, having built nothing, when the Qt archive is absent.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
archive="${MORVANE_WINDOWS_QT:-$repo/../shared/windows-qt/qt6.4.2-mingw64.tar.xz}"
build="${MORVANE_WINDOWS_BUILD:-$repo/build-windows}"

run_tests=false
check_reproducible=false
for option in "$@"; do
  case "$option" in
    --test) run_tests=true ;;
    --reproducible) check_reproducible=true ;;
    *) echo "usage: $0 [--test] [--reproducible]" >&2; exit 2 ;;
  esac
done

if [[ ! -f "$archive" ]]; then
  echo "skipped: no Qt for Windows at $archive, so no Windows build"
  exit 77
fi
for tool in cmake ninja x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres python3 wixl msibuild \
  faketime; do
  command -v "$tool" >/dev/null || {
    echo "$tool is missing: run tools/install-dependencies.sh --ci" >&2
    exit 1
  }
done

# Qt is unpacked into each build folder, once, and again only when the archive changes. Each
# build has its own copy: the linker orders the import tables by the libraries' paths, so a build
# that used another folder's Qt would come out different.
unpack_qt() {  # unpack_qt BUILD_FOLDER
  local unpacked_from
  unpacked_from="$(stat -c '%s %Y' "$archive")"
  if [[ "$(cat "$1/sdk/unpacked-from" 2>/dev/null)" != "$unpacked_from" ]]; then
    rm -rf "$1/sdk"
    mkdir -p "$1/sdk"
    tar -xJf "$archive" -C "$1/sdk"
    echo "$unpacked_from" >"$1/sdk/unpacked-from"
  fi
}
unpack_qt "$build"

linux_keytool="${MORVANE_LINUX_KEYTOOL:-$repo/build/bin/morvane-keytool}"
[[ -x "$linux_keytool" ]] || linux_keytool=""
configure() {  # configure BUILD_FOLDER
  "$1/sdk/qt6-mingw/bin/qt-cmake" -G Ninja -S "$repo" -B "$1" -DCMAKE_BUILD_TYPE=Release \
    -DMORVANE_LINUX_KEYTOOL="$linux_keytool" --no-warn-unused-cli >/dev/null
}
configure "$build"
cmake --build "$build" -j2
ls -l "$build"/morvane-generator-*-windows-x86_64.{zip,msi}

status=0
if $run_tests; then
  ctest --test-dir "$build" --output-on-failure -j2 || status=$?
fi

if $check_reproducible; then
  again="$(mktemp -d "${TMPDIR:-/tmp}/morvane-windows-again.XXXXXX")"
  unpack_qt "$again"
  configure "$again"
  cmake --build "$again" -j2 --target windows_downloads >/dev/null
  for download in "$build"/morvane-generator-*-windows-x86_64.{zip,msi}; do
    if cmp "$download" "$again/$(basename "$download")"; then
      echo "reproducible: $(basename "$download")"
    else
      echo "FAIL: a second build from scratch made another $(basename "$download")"
      status=1
    fi
  done
  rm -rf "$again"
fi
exit "$status"
