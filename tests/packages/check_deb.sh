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
for file in usr/bin/varnel usr/share/doc/varnel/README.md usr/share/doc/varnel/licences/stb.txt \
    usr/share/doc/varnel/licences/nlohmann-json.txt usr/lib/cmake/Varnel/VarnelConfig.cmake \
    usr/include/varnel/reader/mqo_loader.h; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done

# Each library the command loads comes from a package it depends on.
depends="$(dpkg-deb -f "$deb" Depends)"
while read -r library; do
    owner="$(dpkg -S "$(realpath "$library")" 2>/dev/null | head -1 | cut -d: -f1)" ||
        fail "no package holds $library"
    grep -Eq "(^|, )$owner( |,|$)" <<<"$depends" ||
        fail "the command loads $library of $owner, which Depends does not name: $depends"
done < <(ldd "$root/usr/bin/varnel" | sed -n 's/.* => \(\/[^ ]*\) .*/\1/p')

out="$root/out"
"$root/usr/bin/varnel" convert -o "$out" "$source/samples/showcase.mqo" >"$root/convert.txt" ||
    fail "varnel convert failed: $(cat "$root/convert.txt")"
[ -s "$out/showcase.glb" ] || fail "varnel convert wrote no $out/showcase.glb"
cd "$source/samples"
"$root/usr/bin/varnel" import --yes --json showcase.mqo >"$root/installed.json"
"$built" import --yes --json showcase.mqo >"$root/built.json"
cmp -s "$root/installed.json" "$root/built.json" || fail "the installed command imports otherwise"
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, depends on $depends"
