#!/bin/sh
# The zip a Windows user downloads: one folder, named as the zip, that holds both programs with
# their version resources and manifests (and the window's icon), the plugins Qt loads by folder,
# every DLL that a program or DLL in it imports unless Windows itself has that DLL, the licence,
# notices that name every DLL, and what Qt's source needs. morvane-keytool.exe runs without Qt,
# and while it waits for keys the user's other processes may not read its memory.
# Usage: WindowsZipTest.sh ZIP OBJDUMP WINDRES PROCESS_ACCESS (the mingw-w64 binutils and a Win32
# program that asks what other processes may do); runs in a wine prefix
set -eu

zip=$1
objdump=$2
windres=$3
process_access=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

(cd "$work" && cmake -E tar xf "$zip")
name=$(basename "$zip" .zip)
[ "$(ls "$work")" = "$name" ] || fail "the zip holds $(ls "$work" | tr '\n' ' '), not one folder $name"
folder="$work/$name"

for file in 'Morvane&Generator.exe' morvane-keytool.exe platforms/qwindows.dll \
  styles/qwindowsvistastyle.dll LICENSE.txt THIRD-PARTY-NOTICES.txt source/qtbase-6.4.2-mingw.patch \
  source/BUILDING-QT.txt; do
  [ -f "$folder/$file" ] || fail "$file is missing"
done

# DLLs that every Windows 10 and 11 has.
windows_dlls=" advapi32.dll api-ms-win-core-synch-l1-2-0.dll api-ms-win-core-winrt-l1-1-0.dll
  api-ms-win-core-winrt-string-l1-1-0.dll authz.dll bcrypt.dll comdlg32.dll d3d11.dll d3d9.dll dwmapi.dll
  dxgi.dll gdi32.dll imm32.dll kernel32.dll mpr.dll msvcrt.dll netapi32.dll ole32.dll oleaut32.dll
  shcore.dll shell32.dll shlwapi.dll user32.dll userenv.dll uxtheme.dll version.dll winmm.dll
  ws2_32.dll wtsapi32.dll "
shipped=$(cd "$folder" && ls | tr '[:upper:]' '[:lower:]')
for binary in "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll; do
  for dll in $("$objdump" -p "$binary" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]'); do
    case "$windows_dlls" in *[[:space:]]"$dll"[[:space:]]*) continue ;; esac
    printf '%s\n' "$shipped" | grep -qxF "$dll" || fail "${binary#"$folder"/} needs $dll, which is not in the folder"
  done
done

# Notices that name every DLL shipped, so that none goes out without its licence.
for dll in "$folder"/*.dll "$folder"/*/*.dll; do
  grep -qF "$(basename "$dll")" "$folder/THIRD-PARTY-NOTICES.txt" ||
    fail "THIRD-PARTY-NOTICES.txt does not name $(basename "$dll")"
done

# Each program's own version resource and its manifest: made for Windows 10 and 11, aware of each
# monitor's DPI as Qt 6 expects, started with the user's own rights.
for program in 'Morvane&Generator' morvane-keytool; do
  resources=$("$windres" -J coff -F pei-x86-64 -i "$folder/$program.exe" -O rc 2>&1) || true
  for line in 'FILEVERSION 1, 0, 0, 0' 'PRODUCTVERSION 1, 0, 0, 0' \
    'VALUE "FileVersion", "1.00"' 'VALUE "ProductVersion", "1.00"' \
    "VALUE \"InternalName\", \"$program\"" "VALUE \"OriginalFilename\", \"$program.exe\"" \
    '<supportedOS Id=""{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}""/>' '>PerMonitorV2' \
    '<requestedExecutionLevel level=""asInvoker""'; do
    printf '%s\n' "$resources" | grep -qF "$line" || fail "$program.exe: its resources lack $line"
  done
done
# A group icon with one 16 x 16 image of 8 bits a pixel (256 colours).
resources=$("$windres" -J coff -F pei-x86-64 -i "$folder/Morvane&Generator.exe" -O rc)
printf '%s\n' "$resources" | grep -qF '"\020\020\000\000", 1, 8,' ||
  fail "no 16 x 16, 256-colour icon: $(printf '%s\n' "$resources" | grep -A4 RT_GROUP_ICON)"

# morvane-keytool.exe from a folder that holds no Qt DLL and no plugin, scoring a key and waiting
# for the next: its access list lets the user's other processes see it, wait for it and end it,
# no more.
unset WINEPATH
mkdir "$work/without-qt"
cp "$folder/morvane-keytool.exe" "$folder"/lib*.dll "$work/without-qt"
mkfifo "$work/keys"
wine "$work/without-qt/morvane-keytool.exe" score <"$work/keys" >"$work/scores" 2>&1 &
exec 3>"$work/keys"
printf 'abc\n' >&3
for _ in $(seq 100); do
  [ -s "$work/scores" ] && break
  sleep 0.1
done
access=$(wine "$process_access" morvane-keytool.exe 2>&1 </dev/null | tr -d '\r') || true
exec 3>&-
wait $! || fail "morvane-keytool.exe without Qt ended with status $?: $(cat "$work/scores")"
[ "$(tr -d '\r' <"$work/scores")" = 12 ] || fail "morvane-keytool.exe without Qt: $(cat "$work/scores")"
printf '%s\n' "$access" | grep -Eqx 'access list: D:P?\(A;;0x101001;;;USER\)' &&
  printf '%s\n' "$access" | grep -qx 'read memory: denied' ||
  fail "other processes may do more with the keytool's process: $access"

if [ "$failures" -gt 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "PASS"
