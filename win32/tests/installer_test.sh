#!/usr/bin/env bash
# The installer under Wine: installs silently, the installed program starts and its window
# is found, then it uninstalls silently and leaves no file, shortcut or registry key behind.
#   installer_test.sh SETUP.exe WINEPREFIX      (on an X display: DISPLAY set)
set -euo pipefail
setup=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
here=$(dirname "$0")
"$here/../tools/wine-run.sh" "$WINEPREFIX" # makes the prefix if it is not there yet

dir="$WINEPREFIX/drive_c/Program Files/Pelmora"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pelmora.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora'
fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits up to $1 seconds for the command after it to succeed.
within() {
    local seconds=$1
    shift
    for ((i = 0; i < seconds * 2; i++)); do
        "$@" && return 0
        sleep 0.5
    done
    return 1
}

echo "installing silently"
wine "$setup" /S
within 60 test -f "$dir/uninstall.exe" || fail "no uninstaller in $dir"
test -f "$dir/pelmora.exe" || fail "no pelmora.exe in $dir"
test -f "$shortcut" || fail "no Start-menu shortcut"
wine reg query "$key" /v UninstallString >/dev/null 2>&1 || fail "uninstaller not registered"

echo "starting the installed program"
wine "C:\\Program Files\\Pelmora\\pelmora.exe" &
program=$!
found=$(timeout 60 xdotool search --sync --name '^Pelmora$' | head -n 1) || true
[ -n "$found" ] || fail "the installed program showed no window titled Pelmora"
# Closed as a user would close it (WM_CLOSE): with its only window gone, the program ends.
wine taskkill /im pelmora.exe >/dev/null 2>&1 || true
within 30 bash -c "! pgrep -f '[P]rogram Files.Pelmora.pelmora.exe' >/dev/null" ||
    fail "the program did not end when its window was closed"
wait "$program" 2>/dev/null || true

echo "uninstalling silently"
wine "C:\\Program Files\\Pelmora\\uninstall.exe" /S
# The uninstaller runs from a copy of itself in the temporary folder and returns at once.
within 60 test ! -e "$dir" || fail "left behind: $(ls -A "$dir")"
test ! -e "$shortcut" || fail "the shortcut is left behind"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstall key is left behind"
echo "installed, started, uninstalled: nothing left behind"
