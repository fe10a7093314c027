#!/usr/bin/env bash
# The freezes' forecasts against what they make: a grid of 32 by 32 quads,
# mirrored on three axes and subdivided four times (38 KB that freezes into
# millions of faces), and every document of ../shared/corpus. Needs the
# release build (cmake --preset release && cmake --build --preset release).
set -euo pipefail
cd "$(dirname "$0")/.."
check=build/release/bench/forecast_check
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work/grid.mqo" <<'PY'
import sys
n = 32
lines = ["Metasequoia Document", "Format Text Ver 1.0", 'Object "grid" {',
         "\tpatch 3", "\tsegment 4", "\tmirror 1", "\tmirror_axis 7",
         "\tvertex %d {" % ((n + 1) ** 2)]
lines += ["\t\t%d 1 %d" % (1 + i, 1 + j) for j in range(n + 1) for i in range(n + 1)]
lines += ["\t}", "\tface %d {" % (n * n)]
for j in range(n):
    for i in range(n):
        a = j * (n + 1) + i
        lines.append("\t\t4 V(%d %d %d %d)" % (a, a + n + 1, a + n + 2, a + 1))
lines += ["\t}", "}", "Eof", ""]
open(sys.argv[1], "w").write("\n".join(lines))
PY
status=0
"$check" "$work/grid.mqo" || status=1
if [ -d ../shared/corpus ]; then
    for doc in ../shared/corpus/*.mqo; do "$check" "$doc" >>"$work/corpus.txt" || status=1; done
    awk -F'\t' '{ n++; if ($2 !~ / 0 off$/ || $3 !~ / 0 off$/) bad++ }
        END { printf "corpus: %d documents, %d with a forecast off\n", n, bad }' "$work/corpus.txt"
fi
exit $status
