#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, when missing,
# and the further packages named as arguments.
set -euo pipefail
need=()
for pkg in g++ cmake make libgtest-dev libgmock-dev libbenchmark-dev libc-bin nlohmann-json3-dev libassimp-dev libstb-dev libzip-dev libisal-dev pkg-config "$@"; do
    dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi

# Blender 3.4 opens the exported files with its own importers in the export
# tests, as users will; its numpy is Debian's. Blender is large, so it is
# installed only when missing.
if ! command -v blender >/dev/null 2>&1 || ! dpkg -s python3-numpy >/dev/null 2>&1; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends blender python3-numpy
fi

# Node.js runs the Khronos glTF Validator over the exported files; the
# validator goes into the build tree, outside git, where CMake looks for it
# (cache variable VARNEL_GLTF_VALIDATOR). Without them the export round-trip
# tests skip.
if ! command -v npm >/dev/null 2>&1; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq nodejs npm
fi
npm_dir="$(cd "$(dirname "$0")/.." && pwd)/build/npm"
if [ ! -f "$npm_dir/node_modules/gltf-validator/package.json" ]; then
    mkdir -p "$npm_dir"
    npm install --prefix "$npm_dir" --no-audit --no-fund --silent gltf-validator@2.0.0-dev.3.10 >/dev/null
fi
