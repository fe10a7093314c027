#!/usr/bin/env bash
# varnel.exe convert under Wine, beside the Linux build:
#
#   convert.sh LINUX_VARNEL WINE WINDOWS_VARNEL HANGING_MODULE CASE [DIR]
#
# names   folders and documents with Japanese names, one with a space,
#         converted on a Western system (code page 1252), which has no
#         characters for them: every output is written, with the Linux
#         build's bytes, a second run skips them all as up to date, and
#         messages name documents as given.
# hang    imports that never end (their module never finishes loading) are
#         stopped by --timeout; the run fails naming each one.
# killed  the imports of a run that is killed outright end with it.
# corpus  the documents of DIR converted to .glb, and previewed, on a
#         Japanese system: each output the Linux build's bytes.
set -euo pipefail
linux="$1" wine="$2" windows="$3" hanging="$4" case="$5" corpus="${6:-}"
here="$(cd "$(dirname "$0")" && pwd)"
if [ ! -x "$linux" ]; then
    exec "$here/skip.sh" "no Linux build at $linux: build the default preset first \
(cmake --build --preset default) or set VARNEL_LINUX_EXE"
fi
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cd "$out"

fail() {
    echo "$1" >&2
    for file in windows.out windows.err; do [ ! -s "$file" ] || cat "$file" >&2; done
    exit 1
}

# until_seen WHAT COMMAND...: runs COMMAND every tenth of a second until it
# succeeds; only a failure takes the longest wait, which no loaded machine
# comes near.
until_seen() {
    local what="$1"
    shift
    for _ in $(seq 3000); do
        if "$@"; then return; fi
        sleep 0.1
    done
    fail "after 300 s, still not: $what"
}

# The program with a module that hangs in place of Varnel.dli, in a folder
# of its own: the program loads the module from its own folder.
hanging_program() {
    mkdir hanging
    cp "$windows" "$(dirname "$windows")"/*.dll hanging/
    cp "$hanging" hanging/Varnel.dli
    cp "$here/../../samples/cube.mqo" one.mqo
    cp "$here/../../samples/mirror.mqo" two.mqo
}

# The outputs of both builds, file by file.
same_outputs() {
    local files
    files="$(cd linux && find . -type f | sort)"
    [ -n "$files" ] || fail "the Linux build wrote nothing"
    [ "$files" = "$(cd windows && find . -type f | sort)" ] ||
        fail "different files written: $(cd windows && find . -type f | sort | tr '\n' ' ')"
    diff -r linux windows >&2 || fail "the outputs differ"
}

case "$case" in
names)
    mkdir -p "作品/模型/サブ 二"
    for name in cube mirror patch; do cp "$here/../../samples/$name.mqo" "作品/模型/$name.mqo"; done
    cp "$here/../../samples/showcase.mqo" "作品/模型/サブ 二/見本.mqo"
    # Older than their outputs by more than the second the times are told in.
    find 作品 -type f -exec touch -d "1 minute ago" {} +
    "$linux" convert -o linux 作品 >/dev/null 2>&1 || fail "the Linux build failed"
    # C.UTF-8: a Western code page for Windows, UTF-8 file names for Linux.
    LC_ALL=C.UTF-8 "$wine" "$windows" convert -o windows 作品 >windows.out 2>windows.err ||
        fail "the Windows build failed"
    grep -q "^converted 4, skipped 0 (up to date), failed 0" windows.out || fail "not all converted"
    [ -f "windows/模型/サブ 二/見本.glb" ] || fail "no windows/模型/サブ 二/見本.glb"
    same_outputs
    # The maps are looked for no higher than two folders below the root:
    # "Z:\tmp" holds too much else.
    ! grep -q 'up to [A-Z]:\\[^\\]*)' windows.out || fail "a map search went up to below the root"
    LC_ALL=C.UTF-8 "$wine" "$windows" convert -o windows 作品 >windows.out 2>windows.err ||
        fail "the second run failed"
    grep -q "^converted 0, skipped 4 (up to date), failed 0" windows.out ||
        fail "the second run did not skip the outputs as up to date"
    # The importer's messages name the document as it was given.
    printf 'Metasequoia Document\nFormat Text Ver 1.0\n' >"作品/途中.mqo"
    LC_ALL=C.UTF-8 "$wine" "$windows" convert -o windows 作品 >windows.out 2>windows.err || true
    grep -q "^    作品.途中.mqo(2) : " windows.out || fail "a message names the document otherwise"
    ;;
hang)
    hanging_program
    status=0
    # Only the time limit ends these imports: a run that ends at all, telling
    # each stopped after it, was stopped by it.
    "$wine" hanging/varnel.exe convert --timeout 2 -j 2 -o out one.mqo two.mqo \
        >windows.out 2>windows.err || status=$?
    [ "$status" = 1 ] || fail "the run ended with $status, not 1"
    grep -q "^converted 0, skipped 0 (up to date), failed 2" windows.out || fail "not both failed"
    for name in one two; do
        grep -A1 -x "  $name.mqo" windows.out | grep -qx "    stopped after 2 s" ||
            fail "$name.mqo is not told as stopped after 2 s"
    done
    [ -z "$(ls -A out 2>/dev/null)" ] || fail "the stopped imports left files: $(ls -A out)"
    ;;
killed)
    hanging_program
    # The marker names this run's processes among those of other tests.
    marker="killed-run-$$"
    "$wine" hanging/varnel.exe convert --timeout 0 -j 2 -o "$marker" one.mqo two.mqo \
        >windows.out 2>windows.err &
    imports() { pgrep -f "^[A-Z]:.*varnel\.exe import .*$marker" | wc -l; }
    # Each import marks the point where it hangs with a file of its own.
    two_hanging() { [ "$(find . -maxdepth 1 -name 'hng*.tmp' | wc -l)" = 2 ]; }
    none_running() { [ "$(imports)" = 0 ]; }
    until_seen "two imports hanging" two_hanging
    [ "$(imports)" = 2 ] || fail "not two imports running: $(imports)"
    # The program itself, not the launcher Wine may start it through.
    parent="$(pgrep -f "^[^ ]*varnel\.exe convert .*$marker")" || fail "no running convert"
    kill -KILL "$parent"
    until_seen "the imports ended with the run killed outright" none_running
    wait || true
    ;;
corpus)
    if [ ! -d "$corpus" ]; then
        exec "$here/skip.sh" "no corpus at $corpus: clone the project beside its shared folder"
    fi
    # shellcheck source=japanese_locale.sh
    source "$here/japanese_locale.sh" "$out"
    "$linux" convert -o linux "$corpus" >linux.out 2>&1 || fail "the Linux build failed"
    LC_ALL=ja_JP.UTF-8 "$wine" "$windows" convert -o windows "$corpus" \
        >windows.out 2>windows.err || fail "the Windows build failed"
    grep -q "failed 0$" windows.out || fail "documents failed"
    same_outputs
    # And each one's preview.
    mkdir linux_previews windows_previews
    for document in "$corpus"/*.mqo; do
        name="$(basename "$document" .mqo).png"
        "$linux" import --yes --preview "linux_previews/$name" "$document" >/dev/null 2>&1 || true
        LC_ALL=ja_JP.UTF-8 "$wine" "$windows" import --yes --preview "windows_previews/$name" \
            "$document" >/dev/null 2>&1 || true
    done
    [ "$(ls linux_previews | wc -l)" = "$(ls "$corpus"/*.mqo | wc -l)" ] ||
        fail "the Linux build previewed $(ls linux_previews | wc -l) documents only"
    diff -r linux_previews windows_previews >&2 || fail "the previews differ"
    echo "$(find windows -name '*.glb' | wc -l) .glb files and as many previews the same"
    ;;
*)
    echo "convert.sh: unknown case $case" >&2
    exit 2
    ;;
esac
