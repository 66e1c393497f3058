#!/usr/bin/env bash
# Compiles the Windows version resource with mingw-w64's windres into the object file that the
# Windows build links, decompiles that object and checks what Windows shows in the file's
# properties. Exits 77 (skipped) when windres is not installed.
#   packaging/check-version-resource.sh BUILD_DIR/app/Morvane.rc
set -euo pipefail
windres=x86_64-w64-mingw32-windres
command -v "$windres" >/dev/null || { echo "$windres is not installed: skipped"; exit 77; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

"$windres" -i "$1" -o "$scratch/version.o"
"$windres" -J coff -i "$scratch/version.o" -O rc | sed 's/^ *//' >"$scratch/readback.rc"

failures=0
for line in \
    'FILEVERSION 1, 0, 0, 0' \
    'PRODUCTVERSION 1, 0, 0, 0' \
    'FILETYPE 0x1' \
    'VALUE "FileVersion", "1.00"' \
    'VALUE "ProductVersion", "1.00"' \
    'VALUE "InternalName", "Morvane&Generator"' \
    'VALUE "OriginalFilename", "Morvane&Generator.exe"' \
    'VALUE "ProductName", "Morvane & Generator"' \
    'VALUE "Translation", 0x409, 1200'; do
  grep -qxF "$line" "$scratch/readback.rc" || { echo "FAIL: no line '$line'"; failures=$((failures + 1)); }
done
if ((failures > 0)); then
  echo "-- the resource as compiled:"; cat "$scratch/readback.rc"; exit 1
fi
echo "version resource check passed"
