#!/usr/bin/env bash
# The page: build/web/varnel.html, one file holding the importer built to
# WebAssembly by Debian's Emscripten, three.js, zip.js and the page's own
# scripts and styles, so that it opens from disk and works offline.
#
#   bash tools/web.sh
#
# Installs what is missing: with tools/setup.sh what the build and the tests
# need, and Emscripten and chromium (which the page's tests drive); the npm
# packages of web/package.json, as web/package-lock.json pins them, into
# web/node_modules.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="$root/build/web"

bash tools/setup.sh emscripten chromium
source tools/install.sh
if [ ! -f web/node_modules/.package-lock.json ] ||
    [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
    npm_install "the page's npm packages (web/package-lock.json)" ci --prefix web
fi

# Debian's Emscripten runs its tools with the Node.js installed here.
export NODE_PATH=/usr/share/nodejs
# The header-only libraries the export layer uses, without the rest of
# /usr/include, whose C library headers are not Emscripten's.
mkdir -p "$build/include"
ln -sfn /usr/include/stb "$build/include/stb"
ln -sfn /usr/include/nlohmann "$build/include/nlohmann"
emcmake cmake -S . -B "$build/wasm" -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF \
    -DVARNEL_WERROR=ON -DVARNEL_WEB_HEADERS="$build/include" >/dev/null
cmake --build "$build/wasm" -j "$(nproc)"
node web/build.mjs "$build/wasm/web/varnel_web.js" "$build/varnel.html"
