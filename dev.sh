#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and either opens Pelmora or runs every test.
#   ./dev.sh run    install what is missing, build (release) and open the window
#   ./dev.sh test   install what is missing, build and pass every test: the core alone,
#                   debug, the address/undefined sanitizer build, the .deb package checked
#                   and driven from outside, used with a screen reader, and a bounded
#                   fuzzing run
set -euo pipefail
cd "$(dirname "$0")"

# Build and run: compilers, CMake, Qt 6 Widgets with its xcb and offscreen plugins.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev)
# Tests: GoogleTest, Google Benchmark, clang with the sanitizer and fuzzer runtimes,
# a decimal-comma locale, and the QR-code decoder that checks the pictures.
TEST_PACKAGES=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev locales zbar-tools)
# The package and its checks: dpkg-shlibdeps, the validators of the menu entry and the
# metainfo; the outside test's X server, keystrokes and accessibility bus.
PACKAGE_PACKAGES=(dpkg-dev desktop-file-utils appstream
    xvfb xauth xdotool dbus at-spi2-core python3-pyatspi)
# The screen-reader test: Orca and its speech server (which needs no audio device to log).
SCREEN_READER_PACKAGES=(orca speech-dispatcher)

log() { printf '\033[1m== %s\033[0m\n' "$*"; }

install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

ensure_comma_locale() {
    locale -a 2>/dev/null | grep -qi '^de_DE.utf8$' && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    "${sudo[@]}" locale-gen >/dev/null
}

build_and_test() {
    local preset=$1
    log "build and test: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset" -j"$(nproc)"
}

# Builds the .deb from a release build, validates what it installs, checks its contents,
# then drives the packaged program from outside: keystrokes in, accessibility bus out.
package_and_check() {
    log "package"
    cmake --preset package >/dev/null
    cmake --build --preset package
    local stage=$PWD/build/package/stage
    rm -rf "$stage" build/package/*.deb
    DESTDIR=$stage cmake --install build/package >/dev/null
    desktop-file-validate "$stage"/usr/share/applications/*.desktop
    appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml
    cpack --preset deb
    packaging/check-deb.sh build/package/pelmora_*.deb build/package/extracted
    log "outside test of the packaged program"
    /usr/bin/python3 tests/outside/outside_test.py build/package/extracted/usr/bin/pelmora
}

case "${1:-}" in
run)
    install_missing "${BUILD_PACKAGES[@]}" libgtest-dev libbenchmark-dev
    cmake --preset release >/dev/null
    cmake --build --preset release --target pelmora
    exec ./build/release/app/pelmora
    ;;
test)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" \
        "${SCREEN_READER_PACKAGES[@]}"
    ensure_comma_locale
    build_and_test core # the scoring core alone: proves it needs nothing of Qt
    build_and_test debug
    build_and_test asan
    package_and_check
    log "screen-reader test of the packaged program (Orca)"
    /usr/bin/python3 tests/outside/orca_test.py build/package/extracted/usr/bin/pelmora
    log "fuzzing"
    fuzz/run.sh "${FUZZ_SECONDS:-60}"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
