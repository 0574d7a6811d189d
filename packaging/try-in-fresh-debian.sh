#!/usr/bin/env bash
# Installs the .deb with apt into a fresh, minimal Debian 12 (a debootstrap chroot, with no
# compiler, no CMake and no Qt), starts the installed program on this machine's Xvfb and
# saves a screenshot of it. Shows that the package's dependencies are complete.
#   packaging/try-in-fresh-debian.sh DEB [ROOT]    (as root; ROOT defaults to build/debian-root)
# Needs: debootstrap xvfb xauth xdotool imagemagick, and Debian's mirror.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deb=$(realpath "$1")
root=$(realpath -m "${2:-build/debian-root}")
shot=$(dirname "$deb")/installed.png
# shellcheck source=fresh-debian.sh
. "$here/fresh-debian.sh"

make_root "$root"
mount_root "$root"
cleanup() {
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    unmount_root "$root"
}
trap cleanup EXIT

say "build tools in the fresh system (none expected)"
chroot "$root" sh -c 'for t in cc gcc g++ cmake moc qmake6; do command -v $t || true; done; echo "(end of list)"'

say "apt-get install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
chroot "$root" apt-get update -qq
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/$(basename "$deb")" \
    >"$root/tmp/apt.log" 2>&1 || { cat "$root/tmp/apt.log"; exit 1; }
grep -E '^(Need to get|Setting up pelmora|[0-9]+ upgraded)' "$root/tmp/apt.log"

say "installed files of the package"
chroot "$root" dpkg -L pelmora | grep -E 'bin/|\.desktop$|metainfo|/48x48/'
chroot "$root" sh -c 'grep ^Exec= /usr/share/applications/example.vastrel.Pelmora.desktop; command -v pelmora'

say "start /usr/bin/pelmora on Xvfb :77"
start_xvfb :77
chroot "$root" sh -c 'XDG_RUNTIME_DIR=$(mktemp -d) DISPLAY=:77 exec /usr/bin/pelmora' &
program=$!
window=$(DISPLAY=:77 timeout 20 xdotool search --sync --name '^Pelmora$' | head -1)
echo "window $window: $(DISPLAY=:77 xdotool getwindowgeometry "$window" | tr '\n' ' ')"
sleep 1
DISPLAY=:77 import -window root "$shot"
echo "screenshot: $shot"
kill "$program"
wait "$program" 2>/dev/null || true
