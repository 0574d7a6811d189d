#!/usr/bin/env bash
# Starts Pelmora under Xvfb and saves a picture of its window.
#   scripts/screenshot.sh [--windows] [--typed] [PROGRAM] [OUTPUT]
# PROGRAM defaults to build/release/app/pelmora, OUTPUT to docs/screenshot.png. With
# --windows, the Windows program under Wine instead: PROGRAM build/windows/win32/pelmora.exe
# (cmake --preset windows && cmake --build --preset windows), OUTPUT
# docs/screenshot-windows.png, in the build's own Wine prefix build/windows/wineprefix,
# which has no Chinese font of its own. With --typed, real keystrokes (xdotool) fill in an
# example before the picture is taken, the same in both.
# Needs: xvfb xauth xdotool x11-apps imagemagick, and for --windows wine64 wine
set -euo pipefail
cd "$(dirname "$0")/.."

options=()
windows=0 typed=0
while [[ "${1:-}" == --* ]]; do
    case "$1" in
    --windows) windows=1 ;;
    --typed) typed=1 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    options+=("$1")
    shift
done
if [ $windows -eq 1 ]; then
    program=${1:-build/windows/win32/pelmora.exe}
    output=${2:-docs/screenshot-windows.png}
    tools=(xvfb-run xdotool xwd convert wine)
else
    program=${1:-build/release/app/pelmora}
    output=${2:-docs/screenshot.png}
    tools=(xvfb-run xdotool xwd convert)
fi
[ -f "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }
for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

if [ -z "${PELMORA_IN_XVFB:-}" ]; then
    export PELMORA_IN_XVFB=1
    exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "${options[@]}" "$program" "$output"
fi

runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime
if [ $windows -eq 1 ]; then
    export WINEPREFIX=$PWD/build/windows/wineprefix
    win32/tools/wine-run.sh "$WINEPREFIX"
    win32/tools/wine-run.sh "$WINEPREFIX" "$program" &
else
    "$program" &
fi
pid=$!
finish() {
    local status=$?
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ $windows -eq 0 ] || wineserver -k 2>/dev/null || true
    rm -rf "$runtime"
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
