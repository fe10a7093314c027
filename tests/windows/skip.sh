#!/usr/bin/env bash
# Stands for tests that cannot run for want of something from outside the
# repository: prints what is missing and how to get it, and skips (exit 77),
# or fails under VARNEL_REQUIRE_ALL=1.
#
#   skip.sh MESSAGE
#   skip.sh --wine32-missing FILE
#
# The second stands for the 32-bit build's runs under Wine when
# tools/windows.sh could not install 32-bit Wine and left the line that
# says so in FILE: an outage of Debian's archive must not stop every change
# from landing, so that one skip holds even under VARNEL_REQUIRE_ALL=1, as
# long as it is true.
if [ "$1" = --wine32-missing ]; then
    if [ ! -f "$2" ] ||
        [ "$(dpkg-query -W -f='${db:Status-Status}' wine32:i386 2>/dev/null)" = installed ]; then
        echo "32-bit Wine is installed now: configure the build again (cmake --preset windows32)" >&2
        exit 1
    fi
    echo "SKIPPED: $(cat "$2")"
    exit 77
fi
echo "SKIPPED: $1"
if [ "${VARNEL_REQUIRE_ALL:-}" = 1 ]; then
    echo "VARNEL_REQUIRE_ALL=1: nothing may be skipped" >&2
    exit 1
fi
exit 77
