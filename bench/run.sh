#!/usr/bin/env bash
# The benchmark suite: builds the release preset, generates the inputs, runs
# every benchmark beside its anchor in the same run and prints one table of
# medians (our figure, the anchor's, the ratio). Not part of the tests.
#
#   bash bench/run.sh [REPETITIONS]     (default 9)
#   bash bench/run.sh build             only build them, as CI does
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-9}" in
build) repetitions="" ;;
*[!0-9]* | 0)
    echo "usage: bench/run.sh [REPETITIONS | build]" >&2
    exit 2
    ;;
*) repetitions="${1:-9}" ;;
esac

# The anchors' libraries and the tools the suite needs, from Debian: the
# build's own (tools/setup.sh) and the benchmarks' (assimp-utils is the
# `assimp` command the conversion is measured against).
bash tools/setup.sh libosd-dev python3 time valgrind assimp-utils

cmake --preset release >/dev/null
cmake --build --preset release -j 2
[ -n "$repetitions" ] || exit 0
bin=build/release
out=$bin/bench/results
mkdir -p "$out"

# The torus of about 70 MB, as a document and as OBJ.
$bin/bench/make_documents "$out"
mqo=$out/torus.mqo
obj=$out/torus.obj

# Reading: Load against Assimp and the strtof scan, interleaved at random so
# that the machine's load falls on all three alike.
flags=(--benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true
       --benchmark_report_aggregates_only=true --benchmark_format=json)
$bin/bench/bench_load "${flags[@]}" "$mqo" "$obj" >"$out/load.json"
$bin/bench/bench_tokenizer "${flags[@]}" >"$out/tokenizer.json"

# Instructions, which repeat exactly where times do not: each reading
# benchmark alone under callgrind, counted inside the call that is timed
# (Load, ReadFile, the whole scan), on a smaller torus of the same shape.
mkdir -p "$out/small"
$bin/bench/make_documents "$out/small" 200 160 >/dev/null
: >"$out/instructions.txt"
for pair in "BM_Load:MQOLoader::Load(*" "BM_AssimpReadFileObj:Assimp::Importer::ReadFile(*" \
            "BM_StrtofScan:*BM_StrtofScan*"; do
    name=${pair%%:*}
    count=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect="${pair#*:}" \
        $bin/bench/bench_load --benchmark_filter="$name" "$out/small/torus.mqo" \
        "$out/small/torus.obj" 2>&1 >/dev/null | sed -n 's/.*Collected : \([0-9]*\).*/\1/p')
    echo "$name $count" >>"$out/instructions.txt"
done

# Whole-process reading: `varnel read` of the torus against `assimp info` of
# the same torus as OBJ (Assimp's loading command), alternating.
: >"$out/read.txt"
for ((i = 0; i < repetitions; i++)); do
    /usr/bin/time -f "varnel %e %U %S %M" -a -o "$out/read.txt" \
        $bin/cli/varnel read "$mqo" >/dev/null 2>&1
    /usr/bin/time -f "assimp %e %U %S %M" -a -o "$out/read.txt" \
        assimp info "$obj" >/dev/null 2>&1
done

# Whole import, written to /dev/null; peak resident memory from the kernel.
: >"$out/import.txt"
for ((i = 0; i < repetitions; i++)); do
    /usr/bin/time -f "%e %U %S %M" -a -o "$out/import.txt" \
        $bin/cli/varnel import --yes --json "$mqo" >/dev/null
done

# Conversion of the torus into .glb, .gltf, .obj and .fbx, each written by our own
# writer: `varnel convert` against `assimp export` of the same torus written
# as OBJ, alternating, each run a whole process from start to exit. GNU
# time's peak is the largest resident set of the process or any one child it
# waited for: for convert, its import child. Lines are "varnel" and "assimp"
# for .glb, "varnel.gltf", "assimp.gltf"... for the others.
: >"$out/convert.txt"
for ((i = 0; i < repetitions; i++)); do
    for format in glb gltf obj fbx; do
        suffix=$([ "$format" = glb ] && echo "" || echo ".$format")
        /usr/bin/time -f "varnel$suffix %e %U %S %M" -a -o "$out/convert.txt" \
            $bin/cli/varnel convert --force --format "$format" -o "$out/converted" "$mqo" \
            >/dev/null 2>&1
        /usr/bin/time -f "assimp$suffix %e %U %S %M" -a -o "$out/convert.txt" \
            assimp export "$obj" "$out/assimp.$format" >/dev/null 2>&1
    done
done

# The whole corpus, one document at a time and two at once.
corpus=../shared/corpus
: >"$out/corpus.txt"
if [ -d "$corpus" ]; then
    for ((i = 0; i < repetitions; i++)); do
        for jobs in 1 2; do
            /usr/bin/time -f "j$jobs %e %U %S %M" -a -o "$out/corpus.txt" \
                $bin/cli/varnel convert --force -j $jobs -o "$out/corpus-j$jobs" "$corpus" \
                >/dev/null 2>&1 || true
        done
    done
fi

python3 bench/table.py "$out" "$mqo" | tee "$out/table.txt"

# The subdivision and scene-building suites print tables of their own.
echo
echo "== bench_catmull"
$bin/bench/process/bench_catmull "$repetitions" | tee "$out/catmull.txt"
# Scene building three times over, as the C library's heap leaves memory:
# as a process starts (its threshold for fresh blocks then moves with what
# was freed, so small cases may reuse memory that large ones cannot); with
# that threshold fixed at its default, so that every large block is fresh
# memory in every case, whatever ran before; and told to serve large blocks
# from its heap and keep freed memory, as a long-running host's heap would,
# so that every run after the first fills pages the process already has.
builder() {
    local label="$1" name="$2" tunables="$3"
    echo
    echo "== bench_builder, $label"
    GLIBC_TUNABLES="$tunables" $bin/bench/builder/bench_builder \
        --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
        --benchmark_format=json >"$out/$name.json"
    python3 bench/builder_table.py "$out/$name.json" | tee "$out/$name.txt"
}
builder "heap as the process starts" builder ""
builder "every large block fresh (GLIBC_TUNABLES: fixed mmap threshold)" builder_fresh \
    glibc.malloc.mmap_threshold=131072
builder "warm heap (GLIBC_TUNABLES: large blocks from the heap, no trimming)" builder_warm \
    glibc.malloc.mmap_threshold=4294967295:glibc.malloc.trim_threshold=4294967295

echo
echo "== catmull_callgrind.sh"
bash bench/catmull_callgrind.sh | tee "$out/catmull_callgrind.txt"

# Every target in one table.
echo
echo "== targets"
python3 bench/targets.py "$out" "$mqo" | tee "$out/targets.txt"
