#!/usr/bin/env bash
# A Windows zip as a user gets it: unpacked into an empty folder, it holds
# varnel.exe, the plug-in as Varnel.dli, varnel_host.dll, the README and the
# licence texts of the code linked in; its files load no DLL that is neither
# in the zip nor Windows' own; and varnel.exe run there under Wine imports a
# sample and a compressed sample as the Linux build does, and converts them
# to the Linux build's bytes. When tools/windows.sh could not install the
# Wine that runs the zip and left the line that says so in WINE_MISSING
# (tests/windows/skip.sh --wine32-missing), the runs are skipped with it.
#
#   check_windows_zip.sh ZIP LINUX_VARNEL WINE_PREFIX DISPLAY [WINEARCH [WINE_MISSING]]
set -euo pipefail
zip="$(realpath "$1")" linux="$(realpath "$2")" prefix="$3" display="$4" arch="${5:-}"
wine_missing="${6:-}"
source="$(cd "$(dirname "$0")/../.." && pwd)"
windows_tests="$source/tests/windows"
folder="$(mktemp -d)"
fail() {
    echo "check_windows_zip: $*" >&2
    exit 1
}

trap 'rm -rf "$folder"' EXIT
unzip -q "$zip" -d "$folder"
top="$(find "$folder" -mindepth 1 -maxdepth 1)"
[ "$(wc -l <<<"$top")" = 1 ] && [ -d "$top" ] || fail "the zip does not hold one folder"
for file in varnel.exe Varnel.dli varnel_host.dll README.md licences/libzip.txt licences/zlib.txt \
    licences/mingw-w64-runtime.txt licences/gcc-runtime.txt; do
    [ -f "$top/$file" ] || fail "the zip lacks $file"
done
# The plug-in file keeps the module's own name in its export directory
# (grep reads the whole dump: with pipefail, -q would stop objdump early).
objdump -p "$top/Varnel.dli" | grep -E '^Name[[:space:]]+[0-9a-fA-F]+ varnel9\.dll$' >/dev/null ||
    fail "Varnel.dli does not name varnel9.dll in its export directory"

# The DLLs the files load: those of the zip, and the system's own.
system_dlls=" kernel32.dll user32.dll gdi32.dll comctl32.dll advapi32.dll version.dll msvcrt.dll \
shell32.dll ole32.dll bcrypt.dll "
for file in "$top"/*.exe "$top"/*.dll "$top"/*.dli; do
    while read -r dll; do
        [ -f "$top/$dll" ] && continue
        lower="$(tr '[:upper:]' '[:lower:]' <<<"$dll")"
        case "$system_dlls" in *" $lower "*) continue ;; esac
        case "$lower" in api-ms-win-*) continue ;; esac
        fail "$(basename "$file") loads $dll, which is neither in the zip nor Windows' own"
    done < <(objdump -p "$file" | sed -n 's/^\tDLL Name: //p')
done

if [ -n "$wine_missing" ] && [ -f "$wine_missing" ]; then
    status=0
    "$windows_tests/skip.sh" --wine32-missing "$wine_missing" || status=$?
    [ "$status" = 77 ] || fail "the line that Wine could not be installed no longer holds"
    echo "$(basename "$zip"): $(du -k "$zip" | cut -f1) KiB, not run"
    exit 0
fi

export WINEPREFIX="$prefix" DISPLAY="$display" WINEDEBUG=-all
[ -z "$arch" ] || export WINEARCH="$arch"
bash "$windows_tests/wine_session.sh" start "$prefix" "$display"
trap 'bash "$windows_tests/wine_session.sh" stop "$prefix" "$display"; rm -rf "$folder"' EXIT

documents=("$source/samples/showcase.mqo" "$source/tests/data/fuzz/compressed_cube.mqoz")
for document in "${documents[@]}"; do
    bash "$windows_tests/same_import.sh" "$linux" wine "$top/varnel.exe" "$document" ||
        fail "varnel.exe of the zip imports $(basename "$document") otherwise than Linux"
done
"$linux" convert -o "$folder/linux" "${documents[@]}" >/dev/null 2>&1 || fail "varnel convert failed"
(cd "$top" && wine ./varnel.exe convert -o "$folder/windows" "${documents[@]}") \
    >"$folder/convert.txt" 2>&1 || fail "varnel.exe convert failed: $(cat "$folder/convert.txt")"
diff -r "$folder/linux" "$folder/windows" >&2 || fail "varnel.exe convert wrote otherwise than Linux"
echo "$(basename "$zip"): $(du -k "$zip" | cut -f1) KiB"
