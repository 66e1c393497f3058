#!/bin/sh
# The Windows installer under wine, in a wine prefix of its own, as an administrator would use it:
# installed silently, it puts the zip's folder under Program Files, a Start-menu shortcut to the
# window and an entry under installed apps (name, version, publisher); the installed keytool runs.
# A later version (the same upgrade code) replaces it and an older one is refused; removed
# silently, it leaves nothing behind: the prefix holds the same files as before.
# Usage: WindowsInstallerTest.sh MSI WXS PACKAGE_PY FOLDER ICON
#   WXS, PACKAGE_PY, FOLDER and ICON build the later version: the installer's source, the script
#   that builds it, the folder it installs and the installer's icon.
set -eu

msi=$1
wxs=$2
package=$3
folder=$4
icon=$5
for tool in wine wixl msibuild faketime python3; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is missing (tools/install-dependencies.sh --ci)"
    exit 77
  fi
done

unset WINEPATH
work=$(mktemp -d)
export WINEPREFIX="$work/wine-prefix"
sh "$(dirname "$0")/wine-prefix.sh" create
trap 'sh "$(dirname "$0")/wine-prefix.sh" remove; rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

drive="$WINEPREFIX/drive_c"
installed="$drive/Program Files/Morvane Generator"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
files_of() { (cd "$1" && find . | sort); }
# Windows Installer's own folder for the packages it keeps, which every Windows has.
files_of_drive() { files_of "$drive" | grep -vxF './windows/Installer'; }
# The entries under installed apps that name the program, each as "NAME VERSION PUBLISHER".
entries() {
  wine reg query "$uninstall" /s 2>/dev/null | tr -d '\r' | awk '
    /^HKEY/ { if (name != "") print name " " version " " publisher; name = version = publisher = "" }
    $1 == "DisplayName" { $1 = $2 = ""; name = substr($0, 3) }
    $1 == "DisplayVersion" { version = $3 }
    $1 == "Publisher" { $1 = $2 = ""; publisher = substr($0, 3) }
    END { if (name != "") print name " " version " " publisher }' | grep '^Morvane' || true
}
msiexec() {  # msiexec /i|/x FILE: silently, with its status
  wine msiexec "$1" "$(winepath -w "$2")" /qn >/dev/null 2>&1
}

files_of_drive >"$work/before"

files_of "$folder" >"$work/zip"
same_files_as_zip() {  # same_files_as_zip WHEN
  files_of "$installed" >"$work/installed" 2>&1 || true
  cmp -s "$work/zip" "$work/installed" ||
    fail "$1, Program Files holds: $(diff "$work/zip" "$work/installed" | head -20)"
}

msiexec /i "$msi" || fail "installing ended with status $?"
same_files_as_zip "installed"
version=$(wine "C:\\Program Files\\Morvane Generator\\morvane-keytool.exe" --version 2>&1 |
  tr -d '\r') || true
[ "$version" = "morvane-keytool 1.00" ] || fail "the installed keytool says '$version'"
# The Start menu of all users or of the user who installed it, as the prefix has it.
shortcut=$(find "$drive" -path '*/Start Menu/Programs/Morvane Generator.lnk' | head -1)
if [ -z "$shortcut" ]; then
  fail "no Start-menu shortcut"
else
  strings -e l "$shortcut" | grep -qxF 'C:\Program Files\Morvane Generator\Morvane&Generator.exe' ||
    strings "$shortcut" | grep -qxF 'C:\Program Files\Morvane Generator\Morvane&Generator.exe' ||
    fail "the shortcut does not start the installed window: $(strings "$shortcut" | head -5)"
fi
[ "$(entries)" = "Morvane Generator 1.00 Morvane" ] || fail "under installed apps: '$(entries)'"

# A later version replaces it; an older one is then refused.
sed 's/Version="1\.00"/Version="1.01"/; s/Product Id="[^"]*"/Product Id="{0BB1F2C7-7A2E-4C1B-9B67-23B8A5D0C101}"/' \
  "$wxs" >"$work/later.wxs"
python3 "$package" msi "$work/later.wxs" "$folder" "$icon" "$work/later.msi" 0 >/dev/null 2>&1 ||
  fail "cannot build a later version"
msiexec /i "$work/later.msi" || fail "installing the later version ended with status $?"
[ "$(entries)" = "Morvane Generator 1.01 Morvane" ] ||
  fail "after the later version, under installed apps: '$(entries)'"
same_files_as_zip "after the later version"
if msiexec /i "$msi"; then fail "the older version installed over the later one"; fi

msiexec /x "$work/later.msi" || fail "removing ended with status $?"
[ -z "$(entries)" ] || fail "still under installed apps: $(entries)"
files_of_drive >"$work/after"
cmp -s "$work/before" "$work/after" ||
  fail "left behind: $(diff "$work/before" "$work/after" | head -20)"

if [ "$failures" -gt 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "PASS"
