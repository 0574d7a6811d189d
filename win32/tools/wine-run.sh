#!/usr/bin/env bash
# Runs a Windows program under Wine in the given prefix, quietly:
#   wine-run.sh PREFIX PROGRAM.exe [ARGS...]
#   wine-run.sh PREFIX                      only makes the prefix
# The prefix is made on first use, once, even when several tests start together. Wine's
# offers to install Mono and Gecko are turned off: nothing here needs them.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/.pelmora-ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/.pelmora-ready" ]; then
            echo "making the Wine prefix $prefix" >&2
            wineboot -i >/dev/null 2>&1 &
            boot=$!
            for ((waited = 5; waited <= 300; waited += 5)); do
                sleep 5
                kill -0 "$boot" 2>/dev/null || break
                echo "  still making the prefix (${waited} s)" >&2
            done
            wait "$boot" || true
            wineserver -w
            touch "$prefix/.pelmora-ready"
        fi
    ) 9>"$prefix.lock"
fi
[ $# -eq 0 ] && exit 0
exec wine "$@"
