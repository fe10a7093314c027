#!/usr/bin/env bash
# Builds the fuzz targets and runs each for the given number of seconds
# (default 60). Fails on any finding; crash inputs are left in build/fuzz/findings.
# The mutation sequence starts from a fixed seed so that a run can be repeated;
# pass -seed=N (after the seconds) for another.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
bash tools/setup.sh clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
seeds=build/fuzz/seeds
mkdir -p "$seeds" build/fuzz/findings
cp samples/*.mqo "$seeds"/ 2>/dev/null || true
cp tests/data/*.mqo tests/data/fuzz/*.mqo tests/data/fuzz/*.mqoz "$seeds"/ 2>/dev/null || true
status=0
for target in build/fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    echo "== $name for ${seconds}s"
    if ! "$target" "$corpus" "$seeds" -dict=fuzz/mqo.dict -max_total_time="$seconds" \
        -max_len=8192 -rss_limit_mb=3072 -timeout=60 -print_final_stats=1 -seed=1 \
        -artifact_prefix=build/fuzz/findings/"$name"- "$@" 2>&1 | tail -n 25; then
        status=1
    fi
done
exit $status
