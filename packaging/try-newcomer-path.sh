#!/usr/bin/env bash
# Walks a newcomer's path on a fresh, minimal Debian 12 (debootstrap minbase with git,
# ca-certificates and sudo, nothing else): clones this repository as a user who is not
# root and has sudo, runs `./dev.sh run` until the window shows (on this machine's Xvfb,
# with a screenshot), then `./dev.sh test` to its end. Prints how long each took.
# A check for people, not a stage of CI.
#   packaging/try-newcomer-path.sh [REPO] [WORK]   (as root)
# REPO is what to clone (default: this repository; its committed HEAD, not the work tree);
# WORK is where the fresh system and the logs go (default build/newcomer).
# Needs: debootstrap xvfb xdotool imagemagick git, and Debian's mirror.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=${1:-$(git -C "$here" rev-parse --show-toplevel)}
work=$(realpath -m "${2:-$here/../build/newcomer}")
root=$work/root
display=:$((500 + RANDOM % 400))
# shellcheck source=fresh-debian.sh
. "$here/fresh-debian.sh"
[ "$(id -u)" -eq 0 ] || { echo "run as root (debootstrap and chroot)" >&2; exit 2; }

mkdir -p "$work"
make_root "$root" git,ca-certificates,sudo
mount_root "$root"
# Every process whose root is the fresh system (the program, Xvfb's clients, dbus, wine).
kill_inside() {
    local proc
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && kill -9 "${proc#/proc/}" 2>/dev/null
    done
    return 0
}
cleanup() {
    kill_inside
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    unmount_root "$root"
}
trap cleanup EXIT

say "newcomer: a user with sudo, and a clone of $(git -C "$repo" rev-parse --short HEAD)"
chroot "$root" useradd -m -s /bin/bash newcomer
echo 'newcomer ALL=(ALL) NOPASSWD: ALL' >"$root/etc/sudoers.d/newcomer"
chmod 0440 "$root/etc/sudoers.d/newcomer"
git clone -q "$repo" "$root/home/newcomer/pelmora"
chroot "$root" chown -R newcomer: /home/newcomer/pelmora
chroot "$root" sh -c 'for t in cc g++ cmake qmake6 moc; do command -v $t; done; echo "build tools found: none above means none"'

as_newcomer() { # COMMAND (a shell command line, run in the clone)
    chroot "$root" su - newcomer -c "cd pelmora && $1"
}

start_xvfb "$display"
say "./dev.sh run (the window shows on Xvfb $display)"
started=$SECONDS
as_newcomer "DISPLAY=$display ./dev.sh run" >"$work/run.log" 2>&1 &
program=$!
window=""
while [ -z "$window" ]; do
    kill -0 "$program" 2>/dev/null || { cat "$work/run.log"; echo "./dev.sh run ended without a window" >&2; exit 1; }
    ((SECONDS - started < 1800)) || { tail -n 30 "$work/run.log"; echo "no window in 30 minutes" >&2; exit 1; }
    sleep 2
    window=$(DISPLAY=$display xdotool search --onlyvisible --name '^Pelmora$' 2>/dev/null | head -n 1 || true)
done
run_seconds=$((SECONDS - started))
sleep 1
DISPLAY=$display import -window root "$work/run.png"
cat "$work/run.log"
echo "window $window after $run_seconds s: $(DISPLAY=$display xdotool getwindowgeometry "$window" | grep Geometry)"
echo "screenshot: $work/run.png"
kill_inside
wait "$program" 2>/dev/null || true

say "./dev.sh test"
started=$SECONDS
set +e
as_newcomer "./dev.sh test" 2>&1 | tee "$work/test.log"
status=${PIPESTATUS[0]}
set -e
test_seconds=$((SECONDS - started))

say "summary"
echo "./dev.sh run:  window after $run_seconds s"
echo "./dev.sh test: exit $status after $test_seconds s ($(wc -l <"$work/test.log") lines on the screen)"
echo "logs: $work/run.log $work/test.log; the tools' output: $root/home/newcomer/pelmora/build/dev.log"
exit "$status"
