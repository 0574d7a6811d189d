#!/usr/bin/env bash
# Start-up time and peak memory of Pelmora against a bare Qt window with one label, both
# built in Release, under Xvfb.
#   scripts/measure-startup.sh [RUNS] [BUILD]     (RUNS 21, BUILD build/release)
# Time: from exec to the first top-level window being mapped, as scripts/maptime.c sees it
# (it waits for the MapNotify; nothing polls). Memory: peak resident set size, the program
# having run for 0.3 s after its window was mapped. Runs alternate between the two
# programs, after one unmeasured warm-up of each, so that a change of the machine's load
# weighs on both alike. Prints the medians, their ratio and the difference; the targets
# are at most 1.3 times the bare window's start-up and at most 15 MB more memory.
# Stops with a message when a program exits before mapping a window or maps none in 20 s.
# Needs: gcc libx11-dev xvfb
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-21}
build=${2:-build/release}
pelmora=$build/app/pelmora
bare=$build/window/bare_window
for program in "$pelmora" "$bare"; do
    [ -x "$program" ] || { echo "no program at $program: build $build first" >&2; exit 1; }
done

work=$(mktemp -d)
maptime=$work/maptime
cc -O2 -o "$maptime" scripts/maptime.c -lX11

. scripts/private-xvfb.sh
start_private_xvfb "$work"

measure() { # PROGRAM -> "<us> <kb>", or the run stops with maptime's message
    "$maptime" "$1" || { echo "measure-startup: no measurement of $1" >&2; exit 1; }
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

measure "$pelmora" >/dev/null # warm-up
measure "$bare" >/dev/null
tp="" tb="" mp="" mb=""
for ((i = 1; i <= runs; i++)); do
    read -r us kb <<<"$(measure "$pelmora")"
    tp+="$us"$'\n' mp+="$kb"$'\n'
    read -r us kb <<<"$(measure "$bare")"
    tb+="$us"$'\n' mb+="$kb"$'\n'
    printf '\r  run %d of %d' "$i" "$runs" >&2
done
printf '\n' >&2

tp=$(printf '%s' "$tp" | median)
tb=$(printf '%s' "$tb" | median)
mp=$(printf '%s' "$mp" | median)
mb=$(printf '%s' "$mb" | median)
echo "runs: $runs each, medians (exec to window mapped; peak RSS)"
awk -v tp="$tp" -v tb="$tb" -v mp="$mp" -v mb="$mb" 'BEGIN {
    printf "  pelmora      %7.1f ms  %7.1f MB\n", tp / 1000, mp / 1024
    printf "  bare window  %7.1f ms  %7.1f MB\n", tb / 1000, mb / 1024
    printf "  start-up ratio %.2f (target <= 1.30)\n", tp / tb
    printf "  memory ratio   %.2f, difference %+.1f MB (target <= +15 MB)\n", mp / mb, (mp - mb) / 1024
}'
