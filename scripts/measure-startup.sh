#!/usr/bin/env bash
# Start-up time and peak memory of Pelmora against a bare Qt window with one label, both
# built in Release, under Xvfb.
#   scripts/measure-startup.sh [RUNS] [BUILD]     (RUNS 9, BUILD build/release)
# Time: from exec to the window being mapped, found by polling `xdotool search` in a tight
# loop. Memory: peak resident set size from /usr/bin/time -v, the program having run for
# 0.3 s after its window was mapped. Prints the medians, their
# ratio and the difference; the targets are at most 1.3 times the bare window's start-up
# and at most 15 MB more memory. One unmeasured warm-up run of each comes first.
# Needs: xvfb xauth xdotool time
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
build=${2:-build/release}
pelmora=$build/app/pelmora
bare=$build/window/bare_window
for program in "$pelmora" "$bare"; do
    [ -x "$program" ] || { echo "no program at $program: build $build first" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (Debian package time)" >&2; exit 1; }

if [ -z "${PELMORA_IN_XVFB:-}" ]; then
    export PELMORA_IN_XVFB=1
    exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0" "$runs" "$build"
fi

runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime
trap 'rm -rf "$runtime"' EXIT

# One run: prints "<milliseconds to mapped> <peak RSS in KB>".
measure() {
    local program=$1 title=$2 stats=$runtime/time.txt
    local start end timer child
    start=$(date +%s%N)
    /usr/bin/time -v -o "$stats" "$program" &
    timer=$!
    until xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; do :; done
    end=$(date +%s%N)
    sleep 0.3 # the first paint and the work after it count towards the peak memory
    child=$(pgrep -P "$timer")
    kill "$child"
    wait "$timer" 2>/dev/null || true
    echo "$(((end - start) / 1000)) $(awk -F': ' '/Maximum resident set size/ {print $2}' "$stats")"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Alternating runs, so that a change in the machine's load weighs on both alike.
declare -A times memory
measure "$pelmora" Pelmora >/dev/null # warm-up
measure "$bare" BareQtWindow >/dev/null
for ((i = 0; i < runs; i++)); do
    for name in pelmora bare; do
        if [ $name = pelmora ]; then
            read -r us kb < <(measure "$pelmora" Pelmora)
        else
            read -r us kb < <(measure "$bare" BareQtWindow)
        fi
        times[$name]+="$us"$'\n'
        memory[$name]+="$kb"$'\n'
    done
done

tp=$(printf '%s' "${times[pelmora]}" | median)
tb=$(printf '%s' "${times[bare]}" | median)
mp=$(printf '%s' "${memory[pelmora]}" | median)
mb=$(printf '%s' "${memory[bare]}" | median)
echo "runs: $runs each, medians (exec to window mapped; peak RSS)"
awk -v tp="$tp" -v tb="$tb" -v mp="$mp" -v mb="$mb" 'BEGIN {
    printf "  pelmora      %7.1f ms  %7.1f MB\n", tp / 1000, mp / 1024
    printf "  bare window  %7.1f ms  %7.1f MB\n", tb / 1000, mb / 1024
    printf "  start-up ratio %.2f (target <= 1.30)\n", tp / tb
    printf "  memory ratio   %.2f, difference %+.1f MB (target <= +15 MB)\n", mp / mb, (mp - mb) / 1024
}'
