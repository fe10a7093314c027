#!/usr/bin/env bash
# libzip for the Windows builds: Debian's source package, cross-built with
# MinGW-w64 against Debian's zlib for MinGW (libz-mingw-w64-dev), as static
# libraries, so that varnel.exe reads compressed documents with the same
# library, and so the same refusals, as the Linux build.
#
#   tools/mingw_libzip.sh x86_64|i686
#
# Installs into build/mingw/<triple>/ (include/, lib/, lib/cmake/libzip/,
# and Debian's copyright file as share/doc/libzip/copyright),
# which the tool chain files add to CMake's search root; a second run finds
# it there and does nothing. The source is fetched once into build/mingw/src
# with apt-get source, after adding deb-src lines for the machine's own
# Debian archives when it has none.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
arch="${1:?usage: tools/mingw_libzip.sh x86_64|i686}"
case "$arch" in
x86_64) toolchain="$root/cmake/mingw-w64-x86_64.cmake" triple=x86_64-w64-mingw32 ;;
i686) toolchain="$root/cmake/mingw-w64-i686.cmake" triple=i686-w64-mingw32 ;;
*)
    echo "mingw_libzip.sh: unknown architecture $arch (x86_64 or i686)" >&2
    exit 2
    ;;
esac
prefix="$root/build/mingw/$triple"
[ -f "$prefix/lib/libzip.a" ] && [ -f "$prefix/share/doc/libzip/copyright" ] && exit 0

source tools/install.sh
sudo="$(install_sudo)"

# Source lines beside the binary ones, for apt-get source: the deb822 files'
# "Types: deb" stanzas, and the one-line "deb" entries, copied as deb-src.
add_source_lines() {
    apt-cache showsrc libzip 2>/dev/null | grep -q '^Package: libzip' && return 0
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        case "$file" in *-deb-src.sources) continue ;; esac
        sed 's/^Types: deb$/Types: deb-src/' "$file" |
            $sudo tee "${file%.sources}-deb-src.sources" >/dev/null
    done
    if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
            $sudo tee /etc/apt/sources.list.d/varnel-deb-src.list >/dev/null
    fi
    apt_refresh
}

fetch_source() {
    local src="$root/build/mingw/src"
    if ! ls -d "$src"/libzip-*/CMakeLists.txt >/dev/null 2>&1; then
        add_source_lines
        rm -rf "$src" && mkdir -p "$src"
        # As root, apt warns that it fetches without its sandbox user.
        if ! (cd "$src" && install_retried "$src.log" apt-get source -qq libzip); then
            echo "mingw_libzip.sh: could not fetch libzip's source ($(apt_reason "$src.log"))" >&2
            exit 1
        fi
        rm -f "$src.log"
    fi
    ls -d "$src"/libzip-*/ | head -1
}

apt_install cmake make dpkg-dev "g++-mingw-w64-${arch//_/-}" libz-mingw-w64-dev

source_dir="$(fetch_source)"
work="$root/build/mingw/$triple-build"
log="$work.log"
rm -rf "$work"
trap 'echo "mingw_libzip.sh: the build of libzip for $triple failed; see $log" >&2' ERR
# Only what reading needs: deflate through zlib, no other compressions, no
# encryption library (an encrypted member is refused before it is read), no
# tools or tests of libzip's own.
cmake -S "$source_dir" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF -DENABLE_COMMONCRYPTO=OFF \
    -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_WINDOWS_CRYPTO=OFF \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF >"$log" 2>&1
cmake --build "$work" -j 2 >>"$log" 2>&1
cmake --install "$work" >>"$log" 2>&1
# Its licence text, for the Windows zips that carry it.
install -D -m 644 "$source_dir/debian/copyright" "$prefix/share/doc/libzip/copyright"
rm -rf "$work"
echo "libzip for $triple in $prefix"
