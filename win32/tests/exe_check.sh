#!/usr/bin/env bash
# What pelmora.exe carries, read back from the file: it imports only DLLs that Windows
# ships, and its resources hold the four-image icon, the version in Chinese (PRC) with the
# Unicode code page, and the manifest.
#   exe_check.sh pelmora.exe
set -euo pipefail
exe=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

system_dlls='^(ADVAPI32|COMCTL32|GDI32|IMM32|KERNEL32|msvcrt|ole32|OLEAUT32|SHELL32|USER32|WINDOWSCODECS)\.dll$'
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
echo "imports: $(echo $dlls)"
others=$(grep -viE "$system_dlls" <<<"$dlls" || true)
[ -z "$others" ] || fail "imports DLLs Windows does not ship: $others"

rc=$(x86_64-w64-mingw32-windres -i "$exe" -O rc)
expect() { grep -qF -- "$1" <<<"$rc" || fail "no $2 ($1)"; }
expect 'FILEVERSION 0, 1, 0, 3' "file version"
expect 'PRODUCTVERSION 0, 1, 0, 3' "product version"
expect 'BLOCK "080404B0"' "Chinese (PRC), Unicode string block"
expect 'VALUE "FileVersion", "0.01.0003"' "version text"
expect 'VALUE "Translation", 0x804, 1200' "translation"
expect 'Name: "IDI_ICON1"' "icon group"
expect 'Has 4 elements' "four icon images"
expect 'Microsoft.Windows.Common-Controls' "Common Controls 6 in the manifest"
expect 'PerMonitorV2' "per-monitor DPI awareness"
echo "only system DLLs; icon, version and manifest read back"
