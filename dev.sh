#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and either opens Pelmora or runs every test.
#   ./dev.sh run    install what is missing, build (release) and open the window
#   ./dev.sh test   install what is missing, build and pass every test: the core alone,
#                   debug, the address/undefined sanitizer build, the .deb package checked
#                   and driven from outside, used with a screen reader, the Windows program
#                   cross-built and tested under Wine, the browser page built with emscripten
#                   and driven in headless Chromium, and a bounded fuzzing run
set -euo pipefail
cd "$(dirname "$0")"

# Build and run: compilers, CMake, Qt 6 Widgets with its xcb and offscreen plugins.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev)
# Tests: GoogleTest, Google Benchmark, clang with the sanitizer and fuzzer runtimes,
# a decimal-comma locale, the QR-code decoder that checks the pictures, and clang-format
# with git for the format check.
TEST_PACKAGES=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev locales zbar-tools
    clang-format git)
# The package and its checks: file and dpkg-shlibdeps (CPack's dependencies), the
# validators of the menu entry and the metainfo; the outside test's X server, keystrokes,
# clipboard reader and accessibility bus, and the Python that reads that bus.
PACKAGE_PACKAGES=(file dpkg-dev desktop-file-utils appstream
    xvfb xauth xdotool xclip dbus at-spi2-core python3 python3-pyatspi)
# The Windows program: the MinGW-w64 cross compiler, GoogleTest's sources to cross-build,
# Wine to run the tests (with the X libraries its display driver loads for antialiased
# text, input and screen size, which are only recommended), NSIS for the installer, and
# the X server Wine's windows need.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix googletest wine64 wine
    libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 nsis
    xvfb xauth xdotool imagemagick)
# The screen-reader test: Orca and its speech server (which needs no audio device to log).
SCREEN_READER_PACKAGES=(orca speech-dispatcher)
# The browser page: emscripten (its system libraries come built), fontTools with Brotli for
# the font's WOFF2, headless Chromium and the Python client of its DevTools protocol, and a
# phone's system face for Chinese (Android's own fallback face), which the phone layout
# draws with until the bundled face arrives; npm fetches axe-core for the audit and
# Lighthouse for the figures (Debian's nodejs and npm, unless a node with its own npm is
# there already).
WEB_PACKAGES=(emscripten chromium python3-websocket python3-fonttools python3-brotli
    fonts-droid-fallback)
command -v npm >/dev/null || WEB_PACKAGES+=(nodejs npm)

# What the tools print goes to this log; the screen gets a line per step, a line every
# 10 seconds while a step runs, and the end of the log when a step fails.
mkdir -p build
LOG=$PWD/build/dev.log
: >"$LOG"

log() { printf '\033[1m== %s\033[0m\n' "$*"; }

# Runs COMMAND with its output appended to the log and reports, every 10 seconds, how long
# it has run and the log's last line. On failure shows the end of the log and stops.
quietly() { # COMMAND...
    local start=$SECONDS status=0 last
    printf '\n== %s\n' "$*" >>"$LOG"
    "$@" >>"$LOG" 2>&1 &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        sleep 1
        if (((SECONDS - start) % 10 == 0)) && kill -0 "$pid" 2>/dev/null; then
            last=$(tail -n 1 "$LOG" | tr -d '\r' | cut -c1-100)
            printf '   %4d s  %s\n' $((SECONDS - start)) "$last"
        fi
    done
    wait "$pid" || status=$?
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$LOG" >&2
        printf '\033[1;31mfailed (exit %d): %s\033[0m\n  the whole output is in %s\n' \
            "$status" "$*" "$LOG" >&2
        exit "$status"
    fi
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
    local missing=() package
    for package in $(printf '%s\n' "$@" | sort -u); do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${#missing[@]} Debian packages: ${missing[*]}"
    quietly as_root apt-get update
    quietly as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "${missing[@]}"
}

ensure_comma_locale() {
    locale -a 2>/dev/null | grep -qi '^de_DE.utf8$' && return 0
    as_root sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    quietly as_root locale-gen
}

# Builds, then shows what the compilers warned of (the build must stay warning-free).
build() { # PRESET [TARGET]
    quietly cmake --preset "$1"
    local mark
    mark=$(wc -l <"$LOG")
    quietly cmake --build --preset "$1" ${2:+--target "$2"}
    tail -n +"$mark" "$LOG" | grep -E 'warning:' | sort -u | sed 's/^/   /' || true
}

build_and_test() {
    local preset=$1
    log "build and test: $preset"
    build "$preset"
    local mark
    mark=$(wc -l <"$LOG")
    quietly ctest --preset "$preset" -j"$(nproc)"
    tail -n +"$mark" "$LOG" | grep -E 'tests passed|tests failed|\(Skipped\)|Total Test time' |
        sed 's/^/   /'
}

# Every C++ source as the repository's .clang-format has it.
check_format() {
    log "format (clang-format)"
    git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run --Werror
}

# Builds the .deb from a release build, validates what it installs, checks its contents,
# then drives the packaged program from outside: keystrokes in, accessibility bus out.
package_and_check() {
    log "package"
    build package
    local stage=$PWD/build/package/stage
    rm -rf "$stage" build/package/*.deb
    quietly env DESTDIR="$stage" cmake --install build/package
    desktop-file-validate "$stage"/usr/share/applications/*.desktop
    appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml
    quietly cpack --preset deb
    local mark
    mark=$(wc -l <"$LOG")
    quietly packaging/check-deb.sh build/package/pelmora_*.deb build/package/extracted
    tail -n +"$mark" "$LOG" | grep -E '^  (Depends|FAIL)|package checked' | sed 's/^ */   /'
    log "outside test of the packaged program"
    PELMORA_SESSION_LOG=$LOG /usr/bin/python3 tests/outside/outside_test.py \
        build/package/extracted/usr/bin/pelmora
}

# Cross-builds pelmora.exe and its tests, and runs them under Wine on a private X server,
# in a Wine prefix of the build tree's own.
windows_build_and_test() {
    log "Windows: build (MinGW-w64)"
    build windows
    local prefix=$PWD/build/windows/wineprefix
    log "Windows: Wine prefix"
    quietly win32/tools/wine-run.sh "$prefix"
    log "Windows: tests under Wine"
    local mark status=0
    mark=$(wc -l <"$LOG")
    (quietly env WINEPREFIX="$prefix" xvfb-run -a -s '-screen 0 1280x1024x24' \
        ctest --preset windows -j"$(nproc)") || status=$?
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    tail -n +"$mark" "$LOG" | grep -E 'tests passed|tests failed|Total Test time' | sed 's/^/   /'
    return $status
}

# Builds the page (web preset), checks its size, and drives it in headless Chromium against
# what the native helper of the core build computes; then prints its load and key times,
# and Lighthouse's figures of its first load on a phone (printed, never a gate: a slow or
# odd machine gets a warning, not a failure).
web_build_and_test() {
    log "web: build (emscripten)"
    build web
    local size
    size=$(du -sb build/web/site | cut -f1)
    printf '   build/web/site: %d bytes\n' "$size"
    if [ "$size" -gt 1000000 ]; then
        echo "the page's folder is over its budget of 1 MB" >&2
        return 1
    fi
    log "web: the page in headless Chromium"
    mkdir -p build/web-tests
    cp web/tests/package.json web/tests/package-lock.json build/web-tests/
    quietly npm ci --prefix build/web-tests --no-audit --no-fund
    local axe=build/web-tests/node_modules/axe-core/axe.min.js
    /usr/bin/python3 web/tests/page_test.py build/web/site build/core/web/web_steps "$axe"
    /usr/bin/python3 web/tests/page_test.py build/web/site build/core/web/web_steps "$axe" \
        --measure 21
    log "web: the first load in a phone's profile (Lighthouse)"
    local status=0
    /usr/bin/python3 web/tests/lighthouse.py build/web/site \
        build/web-tests/node_modules/.bin/lighthouse || status=$?
    if [ "$status" -ne 0 ]; then
        printf '\033[1;33mwarning: Lighthouse could not measure the page (exit %d); going on\033[0m\n' \
            "$status" >&2
    fi
}

case "${1:-}" in
run)
    install_missing "${BUILD_PACKAGES[@]}"
    log "build the program (Release)"
    build package pelmora # the program alone: no tests, no benchmarks
    log "open the window"
    exec ./build/package/app/pelmora
    ;;
test)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" \
        "${SCREEN_READER_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WEB_PACKAGES[@]}"
    ensure_comma_locale
    check_format
    build_and_test core # the scoring core alone: proves it needs nothing of Qt
    web_build_and_test  # after core: its helper computes what the page should show
    build_and_test debug
    build_and_test asan
    package_and_check
    log "screen-reader test of the packaged program (Orca)"
    PELMORA_SESSION_LOG=$LOG /usr/bin/python3 tests/outside/orca_test.py \
        build/package/extracted/usr/bin/pelmora
    windows_build_and_test
    log "fuzzing"
    build fuzz sheet_fuzzer
    fuzz/run.sh "${FUZZ_SECONDS:-60}"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
