#!/usr/bin/env bash
# Every bad archive of the compressed document tests, refused by the Windows
# build under Wine as by the Linux build: the same exit status (1) and the
# same line on standard error, from `read` and from `import`, and the same
# standard output: the dump of an empty model from `read --json`, nothing
# from `import`.
#
#   same_refusals.sh LINUX_VARNEL WRITE_BAD_ARCHIVES WINE WINDOWS_VARNEL
set -euo pipefail
linux="$1" writer="$2" wine="$3" windows="$4"
for program in "$linux" "$writer"; do
    if [ ! -x "$program" ]; then
        exec "$(dirname "$0")/skip.sh" "no Linux build at $program: build the default preset \
first (cmake --build --preset default --target varnel write_bad_archives)"
    fi
done
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$writer" "$out/cases"
failed=0 count=0
for case in "$out"/cases/*/; do
    cd "$case"
    for args in "read --json bad.mqoz" "import --yes --json bad.mqoz"; do
        status=0
        "$linux" $args >linux.out 2>linux.err || status=$?
        # Wine now and then fails to start a program (exit 1 with nothing
        # printed); such a start is tried again, twice at most.
        for attempt in 1 2 3; do
            wstatus=0
            "$wine" "$windows" $args >windows.out 2>windows.err || wstatus=$?
            [ -s windows.err ] && break
        done
        tr -d '\r' <windows.err >windows.lines
        tr -d '\r' <windows.out >windows.dump
        count=$((count + 1))
        case "$args" in
        read*) grep -q '^{"result":0,' linux.out || status="$status, no empty dump" ;;
        *) [ ! -s linux.out ] || status="$status, a dump" ;;
        esac
        if [ "$status" != 1 ] || [ "$wstatus" != 1 ] || ! cmp -s linux.out windows.dump ||
            ! cmp -s linux.err windows.lines; then
            echo "$(cat what) ($args): exit status $wstatus under Wine, $status on Linux" >&2
            echo "  Linux:   $(cat linux.err)" >&2
            echo "  Windows: $(cat windows.lines)" >&2
            failed=1
        fi
    done
done
[ "$failed" = 0 ] || exit 1
echo "$count refusals the same"
