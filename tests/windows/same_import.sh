#!/usr/bin/env bash
# One document imported by the Linux build and by the Windows build under
# Wine, with the same options; their scene dumps must be the same bytes, and
# for a compressed document (.mqoz) what they tell on standard error too.
#
#   same_import.sh LINUX_VARNEL WINE WINDOWS_VARNEL FILE [OPTION...]
set -euo pipefail
linux="$1" wine="$2" windows="$3" file="$4"
shift 4
# Without the Linux build there is nothing to compare with: skipped, or
# failed under VARNEL_REQUIRE_ALL=1.
if [ ! -x "$linux" ]; then
    exec "$(dirname "$0")/skip.sh" "no Linux build at $linux: build the default preset first \
(cmake --build --preset default) or set VARNEL_LINUX_EXE"
fi
# Both read the file by the same relative name, an ASCII one: Wine decodes
# the command line in the locale's character set, which need not exist here.
# An archive keeps its own name, which chooses the member read.
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
name=document.mqo
case "$file" in *.mqoz) name="$(basename "$file")" ;; esac
ln -s "$(realpath "$file")" "$out/$name"
cd "$out"
status=0
"$linux" import --yes --json "$@" "$name" >"$out/linux.json" 2>"$out/linux.err" || status=$?
# Wine now and then fails to start a program when several start at once
# (exit 1 with nothing printed); such a start is tried again, twice at most.
for attempt in 1 2 3; do
    wstatus=0
    env LC_ALL=ja_JP.UTF-8 "$wine" "$windows" import --yes --json "$@" "$name" \
        >"$out/windows.json" 2>"$out/windows.err" || wstatus=$?
    [ "$wstatus" = "$status" ] || [ -s "$out/windows.json" ] || [ -s "$out/windows.err" ] || continue
    break
done
if [ "$status" != "$wstatus" ]; then
    echo "exit status $wstatus under Wine, $status on Linux" >&2
    cat "$out/windows.err" >&2
    exit 1
fi
if ! cmp -s "$out/linux.json" "$out/windows.json"; then
    echo "the scene dumps differ ($(wc -c <"$out/linux.json") and $(wc -c <"$out/windows.json") bytes):" >&2
    cmp "$out/linux.json" "$out/windows.json" >&2 || true
    exit 1
fi
if [ "$name" != document.mqo ] && ! tr -d '\r' <"$out/windows.err" | cmp -s "$out/linux.err" -; then
    echo "they tell different things:" >&2
    diff "$out/linux.err" <(tr -d '\r' <"$out/windows.err") >&2 || true
    exit 1
fi
echo "same scene dump, $(wc -c <"$out/linux.json") bytes, exit status $status"
