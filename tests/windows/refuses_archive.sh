#!/usr/bin/env bash
# The Windows build reads no compressed documents: both commands refuse one
# in a single line naming it, with exit status 1, rather than hand the
# archive's bytes to the reader.
#
#   refuses_archive.sh WINE WINDOWS_VARNEL ARCHIVE
set -euo pipefail
wine="$1" windows="$2" archive="$3"
cd "$(dirname "$archive")"
name="$(basename "$archive")"
told="$name: a compressed document (zip archive), which this build of varnel does not read; \
unpack the .mqo from it first"
for args in "read $name" "import --yes $name"; do
    # Wine now and then fails to start a program (exit 1 with nothing
    # printed); such a start is tried again, twice at most.
    for attempt in 1 2 3; do
        status=0
        err="$("$wine" "$windows" $args 2>&1 >/dev/null | tr -d '\r')" || status=$?
        [ -z "$err" ] || break
    done
    command="${args%% *}"
    if [ "$status" != 1 ] || [ "$err" != "varnel $command: $told" ]; then
        echo "varnel.exe $args: exit status $status, told: $err" >&2
        exit 1
    fi
done
