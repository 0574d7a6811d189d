#!/usr/bin/env bash
# Starts Pelmora under Xvfb and saves a picture of its window.
#   scripts/screenshot.sh [--typed] [PROGRAM] [OUTPUT]
# PROGRAM defaults to build/release/app/pelmora, OUTPUT to docs/screenshot.png. With
# --typed, real keystrokes (xdotool) fill in an example before the picture is taken.
# Needs: xvfb xauth xdotool x11-apps imagemagick
set -euo pipefail
cd "$(dirname "$0")/.."

typed=0
if [ "${1:-}" = "--typed" ]; then
    typed=1
    shift
fi
program=${1:-build/release/app/pelmora}
output=${2:-docs/screenshot.png}
[ -x "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }
for tool in xvfb-run xdotool xwd convert; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

if [ -z "${PELMORA_IN_XVFB:-}" ]; then
    export PELMORA_IN_XVFB=1
    args=("$program" "$output")
    [ $typed -eq 1 ] && args=(--typed "${args[@]}")
    exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "${args[@]}"
fi

runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime
"$program" &
pid=$!
finish() {
    local status=$?
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -rf "$runtime"
    exit "$status"
}
trap finish EXIT

window=$(xdotool search --sync --onlyvisible --name '^Pelmora$' | head -n1)
if [ $typed -eq 1 ]; then
    # No window manager: give the window the keyboard, then type as a user would.
    xdotool windowfocus --sync "$window"
    xdotool key Down Down Down Down           # 选择学历: 全日制本科
    xdotool key Tab Tab Tab                   # to 养老月数
    xdotool key ctrl+a type 36
    xdotool key Tab Tab Tab                   # to 统一月数
    xdotool key ctrl+a type 24
    xdotool key Tab space                     # 统一（月）
    xdotool key Tab Tab Tab ctrl+a type 3x5   # 年龄: the x is refused
    xdotool key Tab Down                      # 生育状况: 未育
    xdotool key Tab Down Down                 # 房产状况: 居住证, which enables 居住时长
    xdotool key Tab ctrl+a type 400           # 居住时长
    xdotool key Tab type 000000199001010010   # ID, an obviously made-up number
    xdotool key Tab space                     # 身份证解读
fi
sleep 0.5 # let the last paint land
xwd -silent -id "$window" | convert xwd:- "$output"
echo "saved $output"
