#!/usr/bin/env bash
# Builds the Debian package from a build directory, unpacks it into a scratch root and runs the
# programs from there.
#   packaging/check-package.sh BUILD_DIR
set -euo pipefail
build_dir=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build_dir" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log") || {
  cat "$scratch/cpack.log"; exit 1; }
package=$(ls "$scratch"/out/*.deb)
echo "package: $(basename "$package")"

fail() { echo "FAIL: $*" >&2; exit 1; }

depends=$(dpkg-deb -f "$package" Depends)
echo "depends: $depends"
for library in libqt6core6 libqt6widgets6 libc6; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library"
done
[ "$(dpkg-deb -f "$package" Version)" = "1.00" ] || fail "version is not 1.00"

dpkg -x "$package" "$scratch/root"
root="$scratch/root/usr"
[ -x "$root/bin/Morvane&Generator" ] || fail "the window program is missing"
[ -f "$root/share/icons/hicolor/16x16/apps/org.morvane.Generator.png" ] || fail "icon missing"
desktop-file-validate "$root/share/applications/org.morvane.Generator.desktop"
appstreamcli validate --no-net "$root/share/metainfo/org.morvane.Generator.metainfo.xml" >/dev/null

version=$("$root/bin/morvane-keytool" --version)
[[ "$version" == *"1.00"* ]] || fail "--version printed '$version'"
key=$("$root/bin/morvane-keytool" generate --length 16 --classes 2)
[[ "$key" =~ ^[0-9]{16}$ ]] || fail "generate printed '$key'"
echo "package check passed"
