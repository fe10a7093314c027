#!/usr/bin/env bash
# The packages people install, made with CPack into build/packages/ and
# checked as a user would use them (tests/packages/):
#   varnel_VERSION_amd64.deb           the varnel command and its CMake package
#   varnel-VERSION-windows-x64.zip     varnel.exe and the plug-in, 64-bit
#   varnel-VERSION-windows-x86.zip     the same, 32-bit
#
#   tools/package.sh          build, package and check all three
#
# The Windows builds are tools/windows.sh's (presets windows, windows32),
# which it makes when they are missing; their checks compare with the
# default preset's varnel.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
out="$root/build/packages"
bash tools/setup.sh unzip
mkdir -p "$out"
rm -f "$out"/varnel*.deb "$out"/varnel*.zip

cmake --preset package >/dev/null
cmake --build --preset package -j 2
cpack --config build/package/CPackConfig.cmake -B "$out" >/dev/null

if [ ! -x build/windows/bin/varnel.exe ] || [ ! -x build/windows32/bin/varnel.exe ]; then
    bash tools/windows.sh build
fi
cmake --preset default >/dev/null
cmake --build --preset default -j 2 --target varnel
for preset in windows windows32; do
    cmake --build --preset "$preset" -j 2
    cpack --config "build/$preset/CPackConfig.cmake" -B "$out" >/dev/null
done
rm -rf "$out/_CPack_Packages"

bash tests/packages/check_deb.sh "$out"/varnel_*_amd64.deb build/default/cli/varnel
bash tests/packages/check_windows_zip.sh "$out"/varnel-*-windows-x64.zip build/default/cli/varnel \
    "$root/build/windows/wineprefix" :97
bash tests/packages/check_windows_zip.sh "$out"/varnel-*-windows-x86.zip build/default/cli/varnel \
    "$root/build/windows32/wineprefix" :98 win32 "$root/build/windows32/wine32-missing.txt"
ls -l "$out"
