#!/usr/bin/env bash
# The Windows builds: Varnel.dli, varnel_host.dll and varnel.exe cross-built
# with MinGW-w64 for 64-bit Windows (preset windows, build/windows) and for
# 32-bit Windows (preset windows32, build/windows32), each with libzip
# cross-built from Debian's source (tools/mingw_libzip.sh), and tested under
# Wine on a bare X server, the 32-bit build under 32-bit Wine (skipped, with
# a line that says so, when 32-bit Wine cannot be installed).
#
#   tools/windows.sh              install what is missing, build, run the tests
#   tools/windows.sh build        install what is missing, build
#   tools/windows.sh screenshot   the options dialog as the user sees it, in
#                                 build/windows/screenshots/ (dialog.png, screen.png)
#
# The tests compare varnel.exe's scene dumps and refusals with the Linux
# build's, so the default preset's varnel and write_bad_archives are built
# first.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="$root/build/windows"
display="${VARNEL_WINE_DISPLAY:-:97}"
source tools/install.sh

# Where the install step leaves, for the 32-bit build's tests
# (tests/windows/CMakeLists.txt), the line that says 32-bit Wine could not
# be installed.
wine32_missing="$root/build/windows32/wine32-missing.txt"

install_packages() {
    apt_install g++-mingw-w64-x86-64 g++-mingw-w64-i686 libz-mingw-w64-dev dpkg-dev cmake make \
        googletest
    # Without Wine the module is still built; its tests report that they
    # were skipped.
    apt_install wine wine64 xvfb xdotool x11-apps fonts-ipafont-gothic imagemagick ||
        echo "windows.sh: Wine could not be installed; the Windows tests will be skipped" >&2
    install_wine32
}

# 32-bit Wine is built for Debian's i386 architecture, and its libraries
# must be the versions of their amd64 twins: whenever one of those came from
# the security updates, it needs that archive's i386 package list. When the
# list cannot be read (an outage of the archive, not a fault of ours), the
# 32-bit build is made and checked all the same, and only its runs under
# Wine are skipped, with the line that says so left for its tests.
install_wine32() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $(install_sudo) dpkg --add-architecture i386
        apt_refresh
    fi
    mkdir -p "$(dirname "$wine32_missing")"
    if apt_try_install wine32:i386; then
        rm -f "$wine32_missing"
        return
    fi
    local line="32-bit Wine could not be installed, so the 32-bit build's Wine runs are skipped: \
$apt_failures"
    echo "windows.sh: $line" >&2
    echo "$line" >"$wine32_missing"
}

build_all() {
    bash tools/setup.sh
    cmake --preset default >/dev/null
    cmake --build --preset default -j 2 --target varnel write_bad_archives
    bash tools/mingw_libzip.sh x86_64
    bash tools/mingw_libzip.sh i686
    for preset in windows windows32; do
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset" -j 2
    done
}

run_tests() {
    local status=0
    ctest --preset windows -j 2 || status=1
    ctest --preset windows32 -j 2 || status=1
    # The skip's reason again, which ctest does not show.
    [ ! -f "$wine32_missing" ] || echo "windows.sh: $(cat "$wine32_missing")" >&2
    return "$status"
}

screenshot() {
    local prefix="$build/wineprefix" shots="$build/screenshots"
    mkdir -p "$shots"
    bash tests/windows/wine_session.sh start "$prefix" "$display"
    trap "bash tests/windows/wine_session.sh stop '$prefix' '$display'" EXIT
    export WINEPREFIX="$prefix" DISPLAY="$display" WINEDEBUG=-all
    # Without --yes the dialog waits for the user, here for this script.
    env LC_ALL=ja_JP.UTF-8 wine "$build/bin/varnel.exe" import "$root/samples/showcase.mqo" \
        >"$shots/varnel.out" 2>&1 &
    local program=$!
    local window
    window="$(timeout 60 xdotool search --sync --onlyvisible --name '^Varnel$' | head -1)"
    sleep 0.5  # the first paint
    import -window root "$shots/screen.png"
    import -window "$window" "$shots/dialog.png"
    xdotool key --window "$window" Escape
    wait "$program" || true
    echo "screenshots in $shots:"
    ls "$shots"/*.png
}

install_packages
build_all
case "${1:-test}" in
test) run_tests ;;
build) ;;
screenshot) screenshot ;;
*)
    echo "usage: tools/windows.sh [test|build|screenshot]" >&2
    exit 2
    ;;
esac
