#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, when missing,
# and the further packages named as arguments (tools/install.sh: a package
# source that cannot be read is warned of; a package that cannot be installed
# fails the script, named).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/install.sh"
apt_install g++ cmake make libgtest-dev libgmock-dev libbenchmark-dev libc-bin nlohmann-json3-dev \
    libassimp-dev libstb-dev libzip-dev libisal-dev pkg-config "$@"

# Blender 3.4 opens the exported files with its own importers in the export
# tests, as users will; its numpy is Debian's. Blender is large, so it is
# installed only when missing.
blender=(python3-numpy)
command -v blender >/dev/null 2>&1 || blender+=(blender)
apt_install --no-install-recommends "${blender[@]}"

# Node.js runs the Khronos glTF Validator over the exported files; the
# validator goes into the build tree, outside git, where CMake looks for it
# (cache variable VARNEL_GLTF_VALIDATOR). Without them the export round-trip
# tests skip.
command -v npm >/dev/null 2>&1 || apt_install nodejs npm
npm_dir="$root/build/npm"
if [ ! -f "$npm_dir/node_modules/gltf-validator/package.json" ]; then
    mkdir -p "$npm_dir"
    npm_install "the glTF Validator" install --prefix "$npm_dir" gltf-validator@2.0.0-dev.3.10
fi
