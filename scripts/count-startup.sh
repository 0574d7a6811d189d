#!/usr/bin/env bash
# Start-up work of Pelmora against the bare Qt window, in instructions (callgrind), under
# Xvfb: repeatable to a few tenths of a percent where wall-clock times on a busy machine
# are not, so this is the way to compare two variants.
#   scripts/count-startup.sh [BUILD] [KEEP]     (BUILD build/release)
# For each program it prints the instructions from exec until it asks for its window to be
# mapped (the moment scripts/measure-startup.sh times), and until the end of its first
# paint, when the whole window has its content. With KEEP, a directory, the two profiles of
# each program stay there (callgrind.<program>.1 up to the map, .2 from there to the
# paint) for callgrind_annotate --inclusive=yes --tree=calling.
# Needs: valgrind xvfb
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
keep=${2:-}
pelmora=$build/app/pelmora
bare=$build/window/bare_window
for program in "$pelmora" "$bare"; do
    [ -x "$program" ] || { echo "no program at $program: build $build first" >&2; exit 1; }
done

work=$(mktemp -d)
out=${keep:-$work}
mkdir -p "$out"
. scripts/private-xvfb.sh
start_private_xvfb "$work"

total() { awk '/^totals:/ {print $2}' "$1"; }

count() { # PROGRAM -> "<to map> <to first paint>"
    local name profile pid
    name=$(basename "$1")
    profile=$out/callgrind.$name
    rm -f "$profile".*
    # One dump where the window is asked to be mapped, one after the first paint is flushed.
    valgrind --tool=callgrind --callgrind-out-file="$profile" \
        --dump-before=xcb_map_window '--dump-after=QWidgetRepaintManager::paintAndFlush*' \
        "$1" >/dev/null 2>"$work/$name.log" &
    pid=$!
    for _ in $(seq 600); do
        [ -s "$profile.2" ] && break
        kill -0 $pid 2>/dev/null || { cat "$work/$name.log" >&2; exit 1; }
        sleep 0.1
    done
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    [ -s "$profile.2" ] || { echo "count-startup: $name painted nothing in 60 s" >&2; exit 1; }
    local map paint
    map=$(total "$profile.1")
    paint=$(total "$profile.2")
    echo "$map $((map + paint))"
}

read -r pm pp <<<"$(count "$pelmora")"
read -r bm bp <<<"$(count "$bare")"
echo "instructions, in millions (exec to window mapped; exec to first paint done)"
awk -v pm="$pm" -v pp="$pp" -v bm="$bm" -v bp="$bp" 'BEGIN {
    printf "  pelmora      %7.1f  %7.1f\n", pm / 1e6, pp / 1e6
    printf "  bare window  %7.1f  %7.1f\n", bm / 1e6, bp / 1e6
    printf "  ratio        %7.2f  %7.2f\n", pm / bm, pp / bp
}'
