#!/bin/sh
# The zip a Windows user downloads: one folder, named as the zip, that holds both programs with
# their version resource and icon, the plugins Qt loads by folder, and every DLL that a program or
# DLL in it imports, unless Windows itself has that DLL.
# Usage: WindowsZipTest.sh ZIP OBJDUMP WINDRES (the mingw-w64 binutils)
set -eu

zip=$1
objdump=$2
windres=$3
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
  styles/qwindowsvistastyle.dll; do
  [ -f "$folder/$file" ] || fail "$file is missing"
done

# DLLs that every Windows 10 and 11 has.
windows_dlls=" advapi32.dll api-ms-win-core-synch-l1-2-0.dll api-ms-win-core-winrt-l1-1-0.dll
  api-ms-win-core-winrt-string-l1-1-0.dll authz.dll comdlg32.dll d3d11.dll d3d9.dll dwmapi.dll
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

resources=$("$windres" -J coff -F pei-x86-64 -i "$folder/Morvane&Generator.exe" -O rc)
for line in 'FILEVERSION 1, 0, 0, 0' 'PRODUCTVERSION 1, 0, 0, 0' \
  'VALUE "FileVersion", "1.00"' 'VALUE "ProductVersion", "1.00"' \
  'VALUE "InternalName", "Morvane&Generator"' 'VALUE "OriginalFilename", "Morvane&Generator.exe"'; do
  printf '%s\n' "$resources" | grep -qF "$line" || fail "the version resource lacks $line"
done
# A group icon with one 16 x 16 image of 8 bits a pixel (256 colours).
printf '%s\n' "$resources" | grep -qF '"\020\020\000\000", 1, 8,' ||
  fail "no 16 x 16, 256-colour icon: $(printf '%s\n' "$resources" | grep -A4 RT_GROUP_ICON)"

if [ "$failures" -gt 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "PASS"
