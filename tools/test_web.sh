#!/usr/bin/env bash
# The browser edition's step of the test command: installs what it needs (as
# root on Debian: emscripten, chromium, and nodejs and npm where there is no
# node yet), builds build-web/morvenda.html (tools/build_web.sh) and runs
# the page's tests in headless Chromium with node's test runner, comparing
# the page with the command-line program given as the first argument.
# Screenshots and the benchmark figure are left in build-web/.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${1:-$top/build/morvenda}
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")  # the tests run from web/

packages=(emscripten chromium)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
source "$top/tools/debian_packages.sh"
require_debian_packages "${packages[@]}"

bash "$top/tools/build_web.sh"
cd "$top/web"
MORVENDA_CLI="$cli" MORVENDA_PAGE="$top/build-web/morvenda.html" node --test test/*.test.mjs
