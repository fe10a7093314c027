#!/usr/bin/env bash
# The Windows side of the tests: a Wine prefix set up for dialogs on a bare X
# server, the X server itself, and one Wine server that every test uses.
#
#   wine_session.sh start PREFIX DISPLAY   prefix made or reused, servers up
#   wine_session.sh stop  PREFIX DISPLAY   servers down
#
# The tests inherit WINEPREFIX, DISPLAY, WINEDEBUG and LC_ALL from ctest.
set -euo pipefail
action="$1"
export WINEPREFIX="$2" DISPLAY="$3"
export WINEDEBUG=-all
# Wine takes code page 932 from the locale; bash need not know that locale.
wine_ja() { env LC_ALL=ja_JP.UTF-8 "$@"; }
state="$WINEPREFIX.session"
number="${DISPLAY#:}"

start_display() {
    # An X server of an earlier run that still answers is used as it is.
    if xdotool getdisplaygeometry >/dev/null 2>&1; then return; fi
    # Servers started here must not hold the test runner's output open.
    # Xvfb writes its display's number to a pipe once it takes connections,
    # however long a loaded machine makes that; it ends the pipe if it fails.
    local ready="$state.ready" shown=""
    rm -f "$ready"
    mkfifo "$ready"
    Xvfb "$DISPLAY" -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
        </dev/null >/dev/null 2>&1 3>"$ready" &
    echo $! >"$state.xvfb"
    read -r shown <"$ready" || true
    rm -f "$ready"
    if [ "$shown" != "$number" ]; then
        echo "wine_session: Xvfb did not start on $DISPLAY" >&2
        exit 1
    fi
}

# Settings of a prefix for dialogs without a window manager, and the
# dialog's Japanese font drawn with an installed one.
configure_prefix() {
    local reg="$WINEPREFIX/varnel-settings.reg"
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '"Decorated"="N"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' '' |
        iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
    wine_ja wine regedit /S "$(winepath -w "$reg")" </dev/null >/dev/null 2>&1
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
}

case "$action" in
start)
    start_display
    fresh=0
    [ -f "$WINEPREFIX/system.reg" ] || fresh=1
    mkdir -p "$WINEPREFIX"
    wine_ja wineserver -p </dev/null >/dev/null 2>&1
    wine_ja wineboot -i </dev/null >/dev/null 2>&1
    if [ "$fresh" = 1 ] || [ ! -f "$WINEPREFIX/varnel-settings.reg" ]; then configure_prefix; fi
    ;;
stop)
    wineserver -k || true
    if [ -f "$state.xvfb" ]; then
        kill "$(cat "$state.xvfb")" 2>/dev/null || true
        rm -f "$state.xvfb"
    fi
    ;;
*)
    echo "usage: wine_session.sh start|stop PREFIX DISPLAY" >&2
    exit 2
    ;;
esac
