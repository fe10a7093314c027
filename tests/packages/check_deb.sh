#!/usr/bin/env bash
# The Debian package as a user gets it: unpacked on a clean root (dpkg -x),
# it holds the command, the CMake package, the README and the licence texts;
# its Depends names the package of every shared library the command loads;
# and the command converts a sample from there, the same scene as the build
# that made it.
#
#   check_deb.sh DEB BUILT_VARNEL
set -euo pipefail
deb="$(realpath "$1")" built="$(realpath "$2")"
source="$(cd "$(dirname "$0")/../.." && pwd)"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
fail() {
    echo "check_deb: $*" >&2
    exit 1
}

dpkg -x "$deb" "$root"
# Libraries go to Debian's folder for the architecture, /usr/lib/<triplet>.
libdir="usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
for file in usr/bin/varnel usr/share/doc/varnel/README.md usr/share/doc/varnel/licences/stb.txt \
    usr/share/doc/varnel/licences/nlohmann-json.txt "$libdir/cmake/Varnel/VarnelConfig.cmake" \
    "$libdir/libvarnel_reader.a" usr/include/varnel/reader/mqo_loader.h; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done

# Each library the command names (its NEEDED entries; theirs are their
# packages' concern) comes from a package it depends on. dpkg
# knows a library by the path its package gives, with /usr or without
# (/lib is /usr/lib), and by the file a link such as libz.so.1 names.
depends="$(dpkg-deb -f "$deb" Depends)"
# The package names alone, one a line: versions and alternatives dropped.
depended="$(sed 's/ ([^)]*)//g; s/, */\n/g; s/ *| */\n/g' <<<"$depends")"
owner_of() {
    local real candidate found
    real="$(dirname "$1")/$(basename "$(realpath "$1")")"
    for candidate in "$1" "$real" "/usr$real" "${real#/usr}"; do
        found="$(dpkg -S "$candidate" 2>/dev/null | head -1 | cut -d: -f1)"
        [ -z "$found" ] || break
    done
    echo "$found"
}
loaded="$(ldd "$root/usr/bin/varnel")"
while read -r needed; do
    library="$(sed -n "s|^\t$needed => \(/[^ ]*\) .*|\1|p" <<<"$loaded")"
    [ -n "$library" ] || fail "$needed, which the command needs, is not found"
    owner="$(owner_of "$library")"
    [ -n "$owner" ] || fail "no package holds $library"
    grep -qxF "$owner" <<<"$depended" ||
        fail "the command needs $needed of $owner, which Depends does not name: $depends"
done < <(readelf -d "$root/usr/bin/varnel" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p')

out="$root/out"
"$root/usr/bin/varnel" convert -o "$out" "$source/samples/showcase.mqo" >"$root/convert.txt" 2>&1 ||
    fail "varnel convert failed: $(cat "$root/convert.txt")"
[ -s "$out/showcase.glb" ] || fail "varnel convert wrote no $out/showcase.glb"
cd "$source/samples"
"$root/usr/bin/varnel" import --yes --json showcase.mqo >"$root/installed.json"
"$built" import --yes --json showcase.mqo >"$root/built.json"
cmp -s "$root/installed.json" "$root/built.json" || fail "the installed command imports otherwise"
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, depends on $depends"
