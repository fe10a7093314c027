#!/usr/bin/env bash
# The Windows build: varnel9.dll, varnel_host.dll and varnel.exe cross-built
# with MinGW-w64 and tested under Wine on a bare X server.
#
#   tools/windows.sh              install what is missing, build, run the tests
#   tools/windows.sh screenshot   the options dialog as the user sees it, in
#                                 build/windows/screenshots/ (dialog.png, screen.png)
#
# The tests compare varnel.exe's scene dumps with the Linux build's, so the
# default preset's varnel is built first when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="$root/build/windows"
display="${VARNEL_WINE_DISPLAY:-:97}"

install_packages() {
    local need=() wine_need=()
    for pkg in g++-mingw-w64-x86-64 cmake make googletest; do
        dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
    done
    for pkg in wine wine64 xvfb xdotool x11-apps fonts-ipafont-gothic imagemagick; do
        dpkg -s "$pkg" >/dev/null 2>&1 || wine_need+=("$pkg")
    done
    [ ${#need[@]} -gt 0 ] || [ ${#wine_need[@]} -gt 0 ] || return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    if [ ${#need[@]} -gt 0 ]; then $sudo apt-get install -y -qq "${need[@]}" >/dev/null; fi
    # Without Wine the module is still built; its tests report that they
    # were skipped.
    if [ ${#wine_need[@]} -gt 0 ] && ! $sudo apt-get install -y -qq "${wine_need[@]}" >/dev/null; then
        echo "windows.sh: Wine could not be installed; the Windows tests will be skipped" >&2
    fi
}

build_all() {
    bash tools/setup.sh
    if [ ! -x build/default/cli/varnel ]; then
        cmake --preset default >/dev/null
        cmake --build --preset default -j 2 --target varnel
    fi
    cmake --preset windows >/dev/null
    cmake --build --preset windows -j 2
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
test) ctest --preset windows -j 2 ;;
screenshot) screenshot ;;
*)
    echo "usage: tools/windows.sh [test|screenshot]" >&2
    exit 2
    ;;
esac
