#!/usr/bin/env bash
# Fails when a source file includes a header of a folder above its own.
# The folders run one way: model <- process <- reader <- host <- builder <-
# shell <- cli; export is a tool over the host layer that only the command
# uses, and convert, the command's batch conversion, ranks above it, both
# just below cli; web, the page's way into the importer, stands on export.
# The build refuses such an include as well (each library
# sees only the folders it links); this check names every offender at once,
# without a build.
set -euo pipefail
cd "$(dirname "$0")/.."
order=(model process reader host builder shell archive export convert cli web)
rank() {
    local i
    for i in "${!order[@]}"; do
        [ "${order[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}
status=0
for folder in "${order[@]}"; do
    own=$(rank "$folder")
    while IFS= read -r -d '' file; do
        while IFS=: read -r line included; do
            theirs=$(rank "$included")
            if [ "$theirs" -gt "$own" ]; then
                echo "$file:$line: includes $included/, a folder above $folder/" >&2
                status=1
            fi
        done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' "$file" |
                 sed -E 's/^([0-9]+):[^"]*"([a-z_]+)\/.*/\1:\2/')
    done < <(find "$folder" \( -name '*.h' -o -name '*.cpp' \) -print0)
done
[ $status -eq 0 ] && echo "layers: every include points to the same folder or one below"
exit $status
