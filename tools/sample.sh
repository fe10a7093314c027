#!/usr/bin/env bash
# Sets up the machine, builds the varnel command and imports the bundled
# sample document (materials, a texture, a mirrored half, a subdivision
# surface), printing the scene summary. Extra arguments go to `varnel import`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target varnel >/dev/null
build/default/cli/varnel import --yes --freeze-catmull "$@" samples/showcase.mqo
