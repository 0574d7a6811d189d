# Shared by the scripts that try Pelmora on a fresh, minimal Debian 12 (sourced, not run).
# Needs, on this machine and as root: debootstrap, Xvfb, Debian's mirror.

say() { printf '\033[1m== %s\033[0m\n' "$*"; }

# Makes a minimal Debian 12 in ROOT, with the packages given (comma-separated) besides the
# minimal base. The first one made is kept in ROOT.pristine and copied for later runs, so
# that every run starts from the same fresh system without fetching it again.
make_root() { # ROOT [PACKAGES]
    local root=$1 include=${2:-} pristine=$1.pristine
    if [ ! -x "$pristine/usr/bin/apt-get" ] || [ "$(cat "$pristine.include" 2>/dev/null)" != "$include" ]; then
        rm -rf "$pristine"
        say "debootstrap bookworm (minbase${include:+, with $include})"
        debootstrap --variant=minbase ${include:+--include="$include"} bookworm "$pristine" \
            http://deb.debian.org/debian >"$pristine.log" 2>&1 || { tail -n 20 "$pristine.log"; return 1; }
        echo "$include" >"$pristine.include"
    fi
    rm -rf "$root"
    cp -a "$pristine" "$root"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # As on an installed machine, the host's own name resolves (sudo asks for it).
    printf '127.0.0.1 localhost\n127.0.1.1 %s\n' "$(hostname)" >"$root/etc/hosts"
    # As on an installed machine of this network, the certificate authorities it adds are
    # trusted (a network that inspects TLS has its own, which npm's registry then needs).
    if compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null &&
        [ -x "$root/usr/sbin/update-ca-certificates" ]; then
        cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
        chroot "$root" update-ca-certificates >/dev/null 2>&1
    fi
}

# The kernel's file systems, and this machine's X sockets for windows on its Xvfb.
mount_root() { # ROOT
    local root=$1
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys" && mount --make-rslave "$root/sys"
    mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev"
    mkdir -p "$root/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
}

unmount_root() { # ROOT
    local root=$1
    for point in tmp/.X11-unix dev sys proc; do
        umount -R "$root/$point" 2>/dev/null || umount -lR "$root/$point" 2>/dev/null || true
    done
}

# Starts Xvfb on DISPLAY (":N") in the background; its pid is in $xvfb.
start_xvfb() { # DISPLAY [SIZE]
    Xvfb "$1" -screen 0 "${2:-800x760}x24" -nolisten tcp -noreset 2>/dev/null &
    xvfb=$!
    local display=$1
    for _ in $(seq 50); do
        [ -S "/tmp/.X11-unix/X${display#:}" ] && return 0
        sleep 0.1
    done
    echo "Xvfb $display did not start" >&2
    return 1
}
