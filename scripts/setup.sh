#!/usr/bin/env bash
# Sets up a Debian machine for Quillmark, builds it, and then either runs the
# program or runs every test.
#
#   scripts/setup.sh run     install what is missing, build, start Quillmark
#   scripts/setup.sh test    install what is missing, build, run all tests,
#                            then test the Debian package
#
# Missing Debian packages are installed with apt-get when run as root;
# otherwise the apt-get command to run is printed and the script stops.
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${QM_BUILD_DIR:-$ROOT/build}
JOBS=${QM_JOBS:-2}

PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools
    libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
    llvm mingw-w64-common
    binutils-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix
    clang libclang-rt-14-dev lld
    xvfb xauth fonts-dejavu-core fonts-liberation2 libqt6svg6
    dpkg-dev desktop-file-utils appstream shared-mime-info help2man
    googletest wine wine64
)

install_missing() {
    local missing=()
    for pkg in "${PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq "${missing[@]}"
    else
        echo "These Debian packages are missing. Install them with:"
        echo "    sudo apt-get install ${missing[*]}"
        exit 1
    fi
}

build() {
    cmake -S "$ROOT" -B "$BUILD" -G Ninja "$@"
    cmake --build "$BUILD" -j"$JOBS"
}

run_program() {
    if [ -x "$BUILD/bin/quillmark" ]; then
        if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
            echo "No display found: running Quillmark under xvfb-run."
            echo "On a desktop, start it with: $BUILD/bin/quillmark"
            exec xvfb-run -a "$BUILD/bin/quillmark" "$@"
        fi
        exec "$BUILD/bin/quillmark" "$@"
    fi
    # Until the window exists, the main job is stamping a version script.
    local out="$BUILD/example.rc"
    "$BUILD/bin/quillmark-rc" new "$out" --file-version "1, 2, 0, 0" \
        --string "FileVersion=1.2.0.0" --string "ProductName=Quillmark example"
    "$BUILD/bin/quillmark-rc" show "$out"
}

# Runs a command with a wineserver kept up for the prefix PREFIX. A server
# left to itself exits three seconds after its last client, and a client that
# connects just then fails with "recvmsg: Connection reset by peer"; the
# tests start many short wine processes one after another.
with_wineserver() (
    local prefix=$1
    shift
    command -v wineserver >/dev/null || exec "$@"
    mkdir -p "$prefix"
    export WINEPREFIX=$prefix
    wineserver -p </dev/null >/dev/null 2>&1
    # The prefix is made now, so that the services wine starts with it hold
    # /dev/null and not the pipes of a test that ctest waits on.
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i </dev/null >/dev/null 2>&1 || true
    # Killed and gone before the next stage starts one of its own: a server
    # still shutting down would take its clients' connections with it.
    trap 'wineserver -k </dev/null >/dev/null 2>&1; wineserver -w </dev/null >/dev/null 2>&1 || true' EXIT
    "$@"
)

run_tests() {
    with_wineserver "$BUILD/tests/cli/wine" ctest --test-dir "$BUILD" --output-on-failure -j"$JOBS"
}

# Builds the Debian package, unpacks it into a temporary root and runs the
# programs installed there, as a new user would: quillmark-rc writes a new
# script from the installed template, which llvm-rc must compile, and the
# window starts offscreen and finds its files (--self-check). The user's
# folders are temporary too.
run_package_tests() (
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    fail() {
        echo "Package test failed: $*" >&2
        exit 1
    }
    (cd "$BUILD" && rm -f quillmark_*.deb && cpack -G DEB >/dev/null)
    dpkg-deb -x "$BUILD"/quillmark_*.deb "$tmp/root"
    usr=$tmp/root/usr
    desktop-file-validate "$usr/share/applications/org.harrowgate.Quillmark.desktop"
    appstreamcli validate --no-net "$usr/share/metainfo/org.harrowgate.Quillmark.metainfo.xml"
    # Docks match the window (WM_CLASS "Quillmark", the application's name)
    # to its launcher; the licence is stated where stores and dpkg look.
    grep -qx 'StartupWMClass=Quillmark' "$usr/share/applications/org.harrowgate.Quillmark.desktop" ||
        fail "the desktop entry names no StartupWMClass"
    grep -q '<project_license>MIT</project_license>' \
        "$usr/share/metainfo/org.harrowgate.Quillmark.metainfo.xml" || fail "no project_license"
    grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
        "$usr/share/doc/quillmark/copyright" || fail "no machine-readable copyright file"
    [ -f "$usr/share/doc/quillmark/README.md" ] || fail "no README"
    for page in quillmark quillmark-rc; do
        zgrep -q "^\.TH ${page^^} " "$usr/share/man/man1/$page.1.gz" ||
            fail "no man page for $page"
    done
    user=(env HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config"
        XDG_DATA_HOME="$tmp/home/.local/share" XDG_STATE_HOME="$tmp/home/.local/state")
    "${user[@]}" "$usr/bin/quillmark-rc" new "$tmp/app.rc" --language 409 --code-page 1252 \
        --string FileVersion=1.0.0.1 --string ProductName=Example
    grep -q '^#include <winver.h>' "$tmp/app.rc" || fail "quillmark-rc new left out the template's lines"
    llvm-rc /C 65001 /I /usr/share/mingw-w64/include /FO "$tmp/app.res" -- "$tmp/app.rc" ||
        fail "llvm-rc rejected the script quillmark-rc wrote"
    # A FIFO where the organisation's settings file would be must not stall
    # start-up: the settings paths are checked before anything opens them.
    mkdir -p "$tmp/home/.config/Harrowgate"
    mkfifo "$tmp/home/.config/Harrowgate.conf"
    "${user[@]}" QT_QPA_PLATFORM=offscreen timeout 60 "$usr/bin/quillmark" --self-check ||
        fail "the installed window did not start, stalled or did not find its files"
    for file in Initial.rc QuillmarkEX.sh; do
        [ -f "$tmp/home/.local/share/quillmark/$file" ] || fail "no per-user $file"
    done
    echo "Package test passed: $(basename "$BUILD"/quillmark_*.deb)"
)

# The core and quillmark-rc again under AddressSanitizer and UBSan, then a
# short libFuzzer run of each fuzz target (about a minute in all).
run_hardening_tests() {
    local asan=${QM_ASAN_BUILD_DIR:-$ROOT/build-asan}
    local fuzz=${QM_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
    cmake -S "$ROOT" -B "$asan" -G Ninja -DQM_CORE_ONLY=ON -DQM_SANITIZE=ON -DQM_BENCH=OFF
    cmake --build "$asan" -j"$JOBS"
    ctest --test-dir "$asan" --output-on-failure -j"$JOBS"
    cmake -S "$ROOT" -B "$fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DQM_CORE_ONLY=ON -DQM_FUZZ=ON -DQM_BENCH=OFF
    cmake --build "$fuzz" -j"$JOBS"
    ctest --test-dir "$fuzz" --output-on-failure -j"$JOBS"
}

# The Windows guards: the Qt-free tiers and quillmark.exe cross-compiled with
# MinGW-w64, the core's tests under wine and the programs' imports checked (a
# minute or two); the window driven under wine and Xvfb (half a minute); the
# command tests run against quillmark-rc.exe under wine; then
# every source of the Qt tiers parsed as a Windows build reads it (a few
# minutes).
run_windows_checks() {
    local mingw=${QM_MINGW_BUILD_DIR:-$ROOT/build-mingw}
    cmake -S "$ROOT" -B "$mingw" -G Ninja -DQM_WITH_QT=OFF -DQM_HOST_BUILD_DIR="$BUILD" \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake"
    cmake --build "$mingw" -j"$JOBS"
    with_wineserver "$mingw/wine" ctest --test-dir "$mingw" --output-on-failure -j"$JOBS" -LE window
    # The window's tests want an X server, and a prefix of their own whose
    # wine processes all see it.
    xvfb-run -a -s "-screen 0 1024x768x24" "$ROOT/scripts/setup.sh" window-tests "$mingw"
    QM_RC_EXE="$mingw/bin/quillmark-rc.exe" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        LC_ALL=C.UTF-8 with_wineserver "$mingw/wine" "$BUILD/bin/cli_tests"
    cmake --build "$BUILD" -j"$JOBS" --target windows_syntax_check
}

case "${1:-}" in
window-tests)
    # Run by run_windows_checks inside xvfb-run.
    with_wineserver "$2/wine-window" ctest --test-dir "$2" --output-on-failure -L window
    ;;
run)
    shift
    install_missing
    build
    run_program "$@"
    ;;
test)
    install_missing
    build
    run_tests
    run_package_tests
    run_hardening_tests
    run_windows_checks
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
