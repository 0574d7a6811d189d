#!/usr/bin/env bash
# Starts the Windows program under Wine on Xvfb and saves a picture of its window.
#   scripts/screenshot-windows.sh [--typed] [PROGRAM.exe] [OUTPUT]
# PROGRAM defaults to build/windows/win32/pelmora.exe (cmake --preset windows && cmake
# --build --preset windows), OUTPUT to docs/screenshot-windows.png. With --typed, real
# keystrokes fill in the same example as scripts/screenshot.sh. Wine runs in the build's
# own prefix, build/windows/wineprefix, which has no Chinese font of its own.
# Needs: wine64 wine xvfb xauth xdotool x11-apps imagemagick
set -euo pipefail
cd "$(dirname "$0")/.."

typed=0
if [ "${1:-}" = "--typed" ]; then
    typed=1
    shift
fi
program=${1:-build/windows/win32/pelmora.exe}
output=${2:-docs/screenshot-windows.png}
[ -f "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }
for tool in xvfb-run xdotool xwd convert wine; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

if [ -z "${PELMORA_IN_XVFB:-}" ]; then
    export PELMORA_IN_XVFB=1
    args=("$program" "$output")
    [ $typed -eq 1 ] && args=(--typed "${args[@]}")
    exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "${args[@]}"
fi

prefix=$PWD/build/windows/wineprefix
win32/tools/wine-run.sh "$prefix"
export WINEPREFIX=$prefix
win32/tools/wine-run.sh "$prefix" "$program" &
finish() {
    local status=$?
    wineserver -k 2>/dev/null || true
    exit "$status"
}
trap finish EXIT

window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Pelmora$' | head -n1)
if [ $typed -eq 1 ]; then
    # No window manager: give the window the keyboard, then type as a user would.
    # End, Shift+Home selects a box's text, so that the typing replaces it.
    xdotool windowfocus --sync "$window"
    sleep 0.5
    xdotool key Down Down Down Down                 # 选择学历: 全日制本科
    xdotool key Tab Tab Tab                         # to 养老月数
    xdotool key End shift+Home type 36
    xdotool key Tab Tab Tab                         # to 统一月数
    xdotool key End shift+Home type 24
    xdotool key Tab space                           # 统一（月）
    xdotool key Tab Tab Tab End shift+Home type 3x5 # 年龄: the x is refused
    xdotool key Tab Down                            # 生育状况: 未育
    xdotool key Tab Down Down                       # 房产状况: 居住证, which enables 居住时长
    xdotool key Tab End shift+Home type 400         # 居住时长
    xdotool key Tab type 000000199001010010         # ID, an obviously made-up number
    xdotool key Tab space                           # 身份证解读
fi
sleep 1 # let the last paint land
xwd -silent -id "$window" | convert xwd:- "$output"
echo "saved $output"
