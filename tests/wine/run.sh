#!/usr/bin/env bash
# The Windows program's part of the test command: builds morvenda.exe (and
# the test driver) with the MinGW-w64 cross compiler and runs the end-to-end
# cases under Wine, comparing them with the command-line program CLI.
#   tests/wine/run.sh CLI BUILD_DIR
# On a fresh Debian machine, run as root, it first installs what it needs
# (the 32-bit Wine needs the i386 architecture). When they cannot be had it
# fails, or, for a user who is not root outside CI, skips with exit 77.
set -euo pipefail

cli=$1 build=$2
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages=(g++-mingw-w64-i686 wine wine32:i386 xvfb fonts-wine imagemagick)

source "$top/tools/debian_packages.sh"
require_debian_packages "${packages[@]}"

started=$SECONDS
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DMORVENDA_TESTS=ON -DMORVENDA_CLI="$cli" >/dev/null
cmake --build "$build" -j "$jobs"
echo "Cross build: $((SECONDS - started)) s"

started=$SECONDS
ctest --test-dir "$build" --output-on-failure
echo "Wine end-to-end tests: $((SECONDS - started)) s; screenshot of the dialog: $build/screenshots/analysis_dialog.png"
