# Sourced by the measuring scripts: an X server of the script's own for its whole run, on a
# free display, with -noreset so that it stays up between the programs it measures.
# Sets DISPLAY and XDG_RUNTIME_DIR, and stops the server and removes WORK on exit.
#   . scripts/private-xvfb.sh WORK
# Needs: xvfb x11-utils
start_private_xvfb() { # WORK
    local work=$1
    export XDG_RUNTIME_DIR=$work
    local display=:$((90 + RANDOM % 400))
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset 2>"$work/xvfb.log" &
    private_xvfb=$!
    trap 'kill $private_xvfb 2>/dev/null; wait $private_xvfb 2>/dev/null; rm -rf "'"$work"'"' EXIT
    export DISPLAY=$display
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        kill -0 $private_xvfb 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
        sleep 0.1
    done
    echo "Xvfb $display did not answer" >&2
    exit 1
}
