#!/usr/bin/env bash
# Instruction counts of the Catmull-Clark freeze against OpenSubdiv under
# callgrind, which repeats exactly where timings do not. Counts only the
# measured work: our build plus subdivision, and the write-back on its own;
# OpenSubdiv's topology creation, refinement and interpolation.
#
#   bench/catmull_callgrind.sh [level]   (level 2 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
level="${1:-2}"
cmake --preset release >/dev/null
cmake --build --preset release -j 2 --target bench_catmull >/dev/null
program=build/release/bench/process/bench_catmull
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

# Instructions collected inside the named function and its callees.
count() {
    local side="$1" cage="$2" function="$3"
    valgrind --tool=callgrind --callgrind-out-file="$out/cg" --toggle-collect="$function" \
        "$program" once "$side" "$cage" "$level" >/dev/null 2>"$out/log"
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$out/log"
}

printf '%-5s %2s %14s %14s %6s %14s\n' cage L "ours Ir" "osd Ir" ratio "write-back Ir"
for cage in torus grid; do
    ours=$(count ours "$cage" '*BuildAndSubdivide*')
    back=$(count ours "$cage" '*::WriteBack(*')
    osd=$(count osd "$cage" '*RefineAndInterpolate*')
    printf '%-5s %2s %14s %14s %6.2f %14s\n' "$cage" "$level" "$ours" "$osd" \
        "$(echo "$ours / $osd" | bc -l)" "$back"
done
