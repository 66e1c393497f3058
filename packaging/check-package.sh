#!/usr/bin/env bash
# Builds the two Debian packages from a build directory, morvane-keytool (the terminal tool) and
# morvane-generator (the window), checks each with lintian (no error, no warning) and, for a
# hardened build, that lintian and hardening-check find no hardening gap; then unpacks them into
# one scratch root each and runs the programs from there.
#   packaging/check-package.sh BUILD_DIR hardened|unhardened
set -euo pipefail
build_dir=$(cd "$1" && pwd)
hardened=$([ "${2:-hardened}" = hardened ] && echo yes || echo no)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in lintian hardening-check dpkg-parsechangelog desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (tools/install-dependencies.sh --test)"
done

(cd "$build_dir" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log") || {
  cat "$scratch/cpack.log"; exit 1; }
keytool_package="$scratch/out/morvane-keytool_1.00_amd64.deb"
window_package="$scratch/out/morvane-generator_1.00_amd64.deb"
made=("$scratch"/out/*.deb)
if [[ ${#made[@]} -ne 2 || ! -f "$keytool_package" || ! -f "$window_package" ]]; then
  fail "cpack made ${made[*]##*/}, not the two packages"
fi

# Lintian reports hardening gaps (no PIE, no RELRO, no bind-now, no fortify) partly as
# information only, so those tags are failures here too.
for package in "$keytool_package" "$window_package"; do
  name=$(dpkg-deb -f "$package" Package)
  echo "package: $(basename "$package")"
  lintian_status=0
  lintian --display-info --fail-on error,warning "$package" >"$scratch/lintian.log" 2>&1 ||
    lintian_status=$?
  grep -v 'running with root privileges' "$scratch/lintian.log" || true
  ((lintian_status == 0)) || fail "lintian found errors or warnings in $name"
  if [ "$hardened" = yes ]; then
    ! grep -q 'hardening-' "$scratch/lintian.log" || fail "lintian found hardening gaps in $name"
  fi
  [ "$(dpkg-deb -f "$package" Version)" = "1.00" ] || fail "$name: version is not 1.00"
  ! grep -q '^ *;' <<<"$(dpkg-deb -f "$package" Description)" ||
    fail "$name: a description line starts with ';'"
  echo "  depends: $(dpkg-deb -f "$package" Depends)"
  echo "  recommends: $(dpkg-deb -f "$package" Recommends)"
  dpkg -x "$package" "$scratch/$name"
done

# The tool stands alone: a server installs it without Qt or the window.
depends=$(dpkg-deb -f "$keytool_package" Depends)
[[ "$depends" == *libc6* ]] || fail "morvane-keytool: Depends lacks libc6"
[[ "$depends" != *qt* && "$depends" != *Qt* ]] || fail "morvane-keytool: Depends names Qt"
depends=$(dpkg-deb -f "$window_package" Depends)
for library in libqt6core6 libqt6widgets6 libc6; do
  [[ "$depends" == *"$library"* ]] || fail "morvane-generator: Depends lacks $library"
done
recommends=$(dpkg-deb -f "$window_package" Recommends)
for package in "morvane-keytool (= 1.00)" qt6-wayland; do
  [[ "$recommends" == *"$package"* ]] || fail "morvane-generator: Recommends lacks $package"
done

tool_root="$scratch/morvane-keytool/usr"
window_root="$scratch/morvane-generator/usr"
for file in bin/morvane-keytool share/man/man1/morvane-keytool.1.gz \
  share/bash-completion/completions/morvane-keytool share/doc/morvane-keytool/copyright; do
  [ -f "$tool_root/$file" ] || fail "morvane-keytool lacks $file"
done
for file in "bin/Morvane&Generator" "share/man/man1/Morvane&Generator.1.gz" \
  share/icons/hicolor/16x16/apps/org.morvane.Generator.png share/doc/morvane-generator/copyright; do
  [ -f "$window_root/$file" ] || fail "morvane-generator lacks $file"
done
[ ! -e "$window_root/bin/morvane-keytool" ] || fail "morvane-generator holds the tool as well"
[ ! -e "$tool_root/bin/Morvane&Generator" ] || fail "morvane-keytool holds the window as well"
desktop-file-validate "$window_root/share/applications/org.morvane.Generator.desktop"
appstreamcli validate --no-net "$window_root/share/metainfo/org.morvane.Generator.metainfo.xml" \
  >/dev/null

# PIE, stack protector, RELRO and bind-now. Fortify is judged by lintian's tag above:
# hardening-check also counts memcpy, memmove and memset, which stay unchecked wherever the
# compiler cannot know the buffer's size, so a program using no other libc function of the list
# always fails it. Not control-flow protection either: Debian 12's C start-up files lack its
# mark, so no program linked here carries it, however it was compiled.
if [ "$hardened" = yes ]; then
  hardening-check --nofortify --nocfprotection "$window_root/bin/Morvane&Generator" \
    "$tool_root/bin/morvane-keytool" >"$scratch/hardening.log" ||
    { cat "$scratch/hardening.log"; fail "hardening-check found gaps"; }
else
  echo "hardening not checked: a sanitizer, debug or unhardened build"
fi

# Each changelog's newest entry is this release, of the day the AppStream metadata names.
for name in morvane-keytool morvane-generator; do
  zcat "$scratch/$name/usr/share/doc/$name/changelog.gz" >"$scratch/changelog"
  changelog_version=$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)
  [ "$changelog_version" = "1.00" ] || fail "$name: the changelog's newest entry is $changelog_version"
done
changelog_day=$(date -u -d "@$(dpkg-parsechangelog -l "$scratch/changelog" -S Timestamp)" +%F)
grep -q "<release version=\"1.00\" date=\"$changelog_day\"/>" \
  "$window_root/share/metainfo/org.morvane.Generator.metainfo.xml" ||
  fail "the AppStream metadata lacks the release 1.00 of $changelog_day"

version=$("$tool_root/bin/morvane-keytool" --version)
[ "$version" = "morvane-keytool 1.00" ] || fail "--version printed '$version'"
key=$("$tool_root/bin/morvane-keytool" generate --length 16 --classes 2)
[[ "$key" =~ ^[0-9]{16}$ ]] || fail "generate printed '$key'"
echo "package check passed"
