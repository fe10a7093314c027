#!/usr/bin/env bash
# The page against the command on the torus that bench/run.sh reads (about
# 88 MB, bench/make_documents): the time from giving the page the document
# through #open until it shows the model, against `varnel import --yes
# --export torus.glb` of the release build, alternating, and the medians.
# Target: the page within twice the command's time.
#
#   bash bench/web.sh [REPETITIONS]
set -euo pipefail
cd "$(dirname "$0")/.."
reps="${1:-3}"
bash tools/web.sh >/dev/null
bash tools/setup.sh libbenchmark-dev >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release --target varnel make_documents -j "$(nproc)" >/dev/null
# In a folder of its own below /tmp: the command's map search walks the
# document's folder and those above it (never /tmp itself) for the torus's
# picture, which the page, given the document alone, has no folders to walk.
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
build/release/bench/make_documents "$out" >/dev/null
node bench/web_bench.mjs build/web/varnel.html build/release/cli/varnel "$out/torus.mqo" "$reps"
