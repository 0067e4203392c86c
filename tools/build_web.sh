#!/usr/bin/env bash
# Builds the browser edition into one self-contained page,
# build-web/morvenda.html: the core compiled to WebAssembly with Emscripten
# (Debian's emscripten), the page's JavaScript bundled with the plotting
# library (esbuild and @observablehq/plot from web/package-lock.json,
# installed with npm ci), everything inline. Needs emcc, node and npm.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$top/build-web"

# Debian's Emscripten runs its JavaScript optimizer with Debian's acorn.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

for tool in emcmake emcc node npm; do
  command -v "$tool" >/dev/null || { echo "build_web: $tool is missing (Debian packages emscripten, nodejs, npm)" >&2; exit 1; }
done

emcmake cmake -S "$top" -B "$out/wasm" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/wasm" -j 2

# The packages exactly as locked, installed again only when the lock changed;
# npm's cache stays inside the build folder.
if ! cmp -s "$top/web/package-lock.json" "$top/web/node_modules/.morvenda-lock"; then
  (cd "$top/web" && npm ci --ignore-scripts --no-audit --no-fund --cache "$out/npm-cache" >/dev/null)
  cp "$top/web/package-lock.json" "$top/web/node_modules/.morvenda-lock"
fi

node "$top/web/build.mjs" "$out/wasm/web/engine" "$out/morvenda.html"
