#!/usr/bin/env bash
# Builds the optimised preset and runs the benchmarks; extra arguments go to
# every benchmark program (e.g. --benchmark_filter=Tokenizer).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j 2
for program in build/release/bench/bench_*; do
    [ -x "$program" ] || continue
    echo "== $(basename "$program")"
    "$program" "$@"
done
