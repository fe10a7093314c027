#!/usr/bin/env bash
# One document exported by the Linux build and by the Windows build under
# Wine, with the same options: the .glb, the .gltf with its buffer, the .obj
# with its material library, and the preview must be the same bytes; the
# .fbx, whose arrays the two deflate with different libraries, must read
# back (by Assimp's `assimp info`) as the same meshes.
#
#   same_exports.sh LINUX_VARNEL WINE WINDOWS_VARNEL FILE [--checks]
#
# With --checks, also what only the Windows build's own code does: a write
# that fails leaves no file behind, a format only Assimp writes is a usage
# error naming the ones this build writes (the only ones its usage lists),
# and a Japanese file name (code page 932 on the command line) is written
# under that name; and that --scale and --include-hidden give the Linux
# build's .glb.
set -euo pipefail
linux="$1" wine="$2" windows="$3" file="$4"
checks="${5:-}"
here="$(dirname "$0")"
if [ ! -x "$linux" ]; then
    exec "$here/skip.sh" "no Linux build at $linux: build the default preset first \
(cmake --build --preset default) or set VARNEL_LINUX_EXE"
fi
if ! command -v assimp >/dev/null; then
    exec "$here/skip.sh" "no assimp command to read the .fbx files back: apt-get install assimp-utils"
fi
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
ln -s "$(realpath "$file")" "$out/document.mqo"
cd "$out"
mkdir linux windows

# Wine now and then fails to start a program when several start at once
# (exit 1 with nothing printed); such a start is tried again, twice at most.
on_windows() {
    local status
    for attempt in 1 2 3; do
        status=0
        env LC_ALL=ja_JP.UTF-8 "$wine" "$windows" "$@" >"$out/windows.out" 2>"$out/windows.err" ||
            status=$?
        [ "$status" = 1 ] && [ ! -s "$out/windows.out" ] && [ ! -s "$out/windows.err" ] || break
    done
    return "$status"
}

fail() {
    echo "$1" >&2
    [ ! -s "$out/windows.err" ] || cat "$out/windows.err" >&2
    exit 1
}

exports() {
    local dir="$1"
    echo import --yes --export "$dir/x.glb" --export "$dir/x.gltf" --export "$dir/x.obj" \
        --export "$dir/x.fbx" --preview "$dir/x.png" document.mqo
}

# shellcheck disable=SC2046
"$linux" $(exports linux) >/dev/null
# shellcheck disable=SC2046
on_windows $(exports windows) || fail "the Windows build failed to export"

[ "$(ls linux)" = "$(ls windows)" ] ||
    fail "different files written: $(ls linux | tr '\n' ' ')against $(ls windows | tr '\n' ' ')"
for written in linux/*; do
    name="$(basename "$written")"
    [ "$name" = x.fbx ] || cmp "$written" "windows/$name" >&2 || fail "$name differs"
done
# What Assimp read of each: its counts, bounds, meshes and materials,
# without its progress, the time it took and the memory it used.
meshes() {
    assimp info "$1" 2>/dev/null | grep -v -e "%$" -e "took approx" -e "^Memory consumption" ||
        fail "assimp cannot read $1"
}
diff <(meshes linux/x.fbx) <(meshes windows/x.fbx) >&2 || fail "the .fbx files read differently"
grep -q "^Meshes: *[1-9]" <(meshes windows/x.fbx) || fail "assimp read no mesh from the .fbx"

if [ "$checks" = --checks ]; then
    # The options that change the scene reach the writers as on Linux.
    "$linux" import --yes --scale cm --include-hidden --export linux/scaled.glb document.mqo \
        >/dev/null 2>&1
    on_windows import --yes --scale cm --include-hidden --export windows/scaled.glb document.mqo ||
        fail "the Windows build failed to export with --scale and --include-hidden"
    cmp linux/scaled.glb windows/scaled.glb >&2 || fail "the scaled .glb differs"
    ! cmp -s linux/x.glb linux/scaled.glb || fail "--scale cm changed nothing"

    # A folder where the file should go: the move fails, and nothing is
    # left beside it, neither the temporary file nor the staging folder.
    mkdir failed failed/x.glb failed/x.gltf
    if on_windows import --yes --export failed/x.glb --export failed/x.gltf document.mqo; then
        fail "writing over a folder succeeded"
    fi
    grep -q "failed/x.glb not written" "$out/windows.err" || fail "the failure is not told"
    left="$(cd failed && find . -mindepth 1 | sort | tr '\n' ' ')"
    [ "$left" = "./x.glb ./x.gltf " ] || fail "a failed write left files behind: $left"

    # Formats only Assimp writes: a usage error (2) before anything is read.
    status=0
    on_windows import --yes --export x.dae document.mqo || status=$?
    [ "$status" = 2 ] || fail "--export x.dae ended with $status, not the usage error 2"
    grep -q ".dae files are written by the Linux command only (this one writes .glb .gltf .obj .fbx)" \
        "$out/windows.err" || fail "--export x.dae is not refused as Linux-only"
    [ ! -e x.dae ] || fail "--export x.dae wrote a file"
    on_windows --help || fail "varnel.exe --help failed"
    grep -q -- "--format glb|gltf|obj|fbx\]" "$out/windows.out" &&
        grep -q "  \.glb \.gltf \.obj \.fbx (repeatable)" "$out/windows.out" ||
        fail "the usage does not list exactly the formats this build writes"

    # A Japanese name: the same bytes under the name as given.
    # shellcheck source=japanese_locale.sh
    source "$here/japanese_locale.sh" "$out"
    on_windows import --yes --export "模型.glb" --preview "見本.png" document.mqo ||
        fail "the Japanese names were not written"
    cmp linux/x.glb "模型.glb" >&2 || fail "the .glb under a Japanese name differs"
    cmp linux/x.png "見本.png" >&2 || fail "the preview under a Japanese name differs"
fi
echo "same exports: $(ls linux | tr '\n' ' ')"
