#!/usr/bin/env bash
# Builds the Debian package from a build directory, checks it with lintian (no error, no warning)
# and, for a hardened build, that lintian and hardening-check find no hardening gap; then unpacks
# it into a scratch root and runs the programs from there.
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
package=$(ls "$scratch"/out/*.deb)
echo "package: $(basename "$package")"

# Lintian reports hardening gaps (no PIE, no RELRO, no bind-now, no fortify) partly as
# information only, so those tags are failures here too.
lintian_status=0
lintian --display-info --fail-on error,warning "$package" >"$scratch/lintian.log" 2>&1 ||
  lintian_status=$?
grep -v 'running with root privileges' "$scratch/lintian.log" || true
((lintian_status == 0)) || fail "lintian found errors or warnings"
if [ "$hardened" = yes ]; then
  ! grep -q 'hardening-' "$scratch/lintian.log" || fail "lintian found hardening gaps"
fi

[ "$(dpkg-deb -f "$package" Version)" = "1.00" ] || fail "version is not 1.00"
depends=$(dpkg-deb -f "$package" Depends)
echo "depends: $depends"
for library in libqt6core6 libqt6widgets6 libc6; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library"
done
[[ "$(dpkg-deb -f "$package" Recommends)" == *qt6-wayland* ]] || fail "Recommends lacks qt6-wayland"
description=$(dpkg-deb -f "$package" Description)
! grep -q '^ *;' <<<"$description" || fail "a description line starts with ';'"

dpkg -x "$package" "$scratch/root"
root="$scratch/root/usr"
[ -x "$root/bin/Morvane&Generator" ] || fail "the window program is missing"
[ -f "$root/share/icons/hicolor/16x16/apps/org.morvane.Generator.png" ] || fail "icon missing"
[ -f "$root/share/bash-completion/completions/morvane-keytool" ] || fail "bash completion missing"
desktop-file-validate "$root/share/applications/org.morvane.Generator.desktop"
appstreamcli validate --no-net "$root/share/metainfo/org.morvane.Generator.metainfo.xml" >/dev/null

# PIE, stack protector, RELRO and bind-now. Fortify is judged by lintian's tag above:
# hardening-check also counts memcpy, memmove and memset, which stay unchecked wherever the
# compiler cannot know the buffer's size, so a program using no other libc function of the list
# always fails it. Not control-flow protection either: Debian 12's C start-up files lack its
# mark, so no program linked here carries it, however it was compiled.
if [ "$hardened" = yes ]; then
  hardening-check --nofortify --nocfprotection "$root/bin/Morvane&Generator" \
    "$root/bin/morvane-keytool" >"$scratch/hardening.log" ||
    { cat "$scratch/hardening.log"; fail "hardening-check found gaps"; }
else
  echo "hardening not checked: a sanitizer, debug or unhardened build"
fi

# The changelog's newest entry is this release, of the day the AppStream metadata names.
zcat "$root/share/doc/morvane-generator/changelog.gz" >"$scratch/changelog"
changelog_version=$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)
[ "$changelog_version" = "$(dpkg-deb -f "$package" Version)" ] ||
  fail "the changelog's newest entry is $changelog_version"
changelog_day=$(date -u -d "@$(dpkg-parsechangelog -l "$scratch/changelog" -S Timestamp)" +%F)
grep -q "<release version=\"$changelog_version\" date=\"$changelog_day\"/>" \
  "$root/share/metainfo/org.morvane.Generator.metainfo.xml" ||
  fail "the AppStream metadata lacks the release $changelog_version of $changelog_day"

version=$("$root/bin/morvane-keytool" --version)
[ "$version" = "morvane-keytool 1.00" ] || fail "--version printed '$version'"
key=$("$root/bin/morvane-keytool" generate --length 16 --classes 2)
[[ "$key" =~ ^[0-9]{16}$ ]] || fail "generate printed '$key'"
echo "package check passed"
