#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and either opens Pelmora or runs every test.
#   ./dev.sh run    install what is missing, build (release) and open the window
#   ./dev.sh test   install what is missing, build and pass every test: the core alone,
#                   debug, the address/undefined sanitizer build, the .deb package checked
#                   and driven from outside, the Windows program cross-built and tested
#                   under Wine, and a bounded fuzzing run
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
# The Windows program: the MinGW-w64 cross compiler, GoogleTest's sources to cross-build,
# Wine to run the tests (with the X libraries its display driver loads for antialiased
# text, input and screen size, which are only recommended), NSIS for the installer, and
# the X server Wine's windows need.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix googletest wine64 wine
    libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 nsis
    xvfb xauth xdotool imagemagick)

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

# Cross-builds pelmora.exe and its tests, and runs them under Wine on a private X server,
# in a Wine prefix of the build tree's own.
windows_build_and_test() {
    log "Windows: build (MinGW-w64)"
    cmake --preset windows >/dev/null
    cmake --build --preset windows
    local prefix=$PWD/build/windows/wineprefix
    log "Windows: Wine prefix"
    win32/tools/wine-run.sh "$prefix"
    log "Windows: tests under Wine"
    local status=0
    WINEPREFIX=$prefix xvfb-run -a -s '-screen 0 1280x1024x24' \
        ctest --preset windows -j"$(nproc)" || status=$?
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    return $status
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
        "${WINDOWS_PACKAGES[@]}"
    ensure_comma_locale
    build_and_test core # the scoring core alone: proves it needs nothing of Qt
    build_and_test debug
    build_and_test asan
    package_and_check
    windows_build_and_test
    log "fuzzing"
    fuzz/run.sh "${FUZZ_SECONDS:-60}"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
