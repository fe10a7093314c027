#!/usr/bin/env bash
# Writes the model dump and the scene dumps of every bundled, test and corpus
# document into one folder, under several option sets, so that two builds can
# be compared with `diff -r`. A change that should keep results must leave
# the folders identical.
#
#   tools/oracle.sh VARNEL OUTDIR
set -uo pipefail
cd "$(dirname "$0")/.."
varnel="$1"
out="$2"
mkdir -p "$out"
docs=(samples/*.mqo tests/data/*.mqo tests/data/fuzz/*.mqo tests/data/fuzz/*.mqoz)
[ -d ../shared/corpus ] && docs+=(../shared/corpus/*.mqo)
for doc in "${docs[@]}"; do
    name=$(basename "$doc" .mqo)
    "$varnel" read --json "$doc" >"$out/$name.read.json" 2>&1
    echo "exit $?" >>"$out/$name.read.json"
    "$varnel" read --json --freeze-mirror --freeze-catmull "$doc" >"$out/$name.read-frozen.json" 2>&1
    echo "exit $?" >>"$out/$name.read-frozen.json"
    "$varnel" import --yes --json "$doc" >"$out/$name.import.json" 2>&1
    echo "exit $?" >>"$out/$name.import.json"
    "$varnel" import --yes --json --freeze-catmull --no-same-uv-collect --no-use-material-only \
        "$doc" >"$out/$name.import-boxes.json" 2>&1
    echo "exit $?" >>"$out/$name.import-boxes.json"
done
echo "oracle: ${#docs[@]} documents written to $out"
