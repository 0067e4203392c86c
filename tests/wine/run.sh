#!/usr/bin/env bash
# The Windows program's part of the test command: builds morvenda.exe (and
# the test driver) with the MinGW-w64 cross compiler and runs the end-to-end
# cases under Wine, comparing them with the command-line program CLI.
#   tests/wine/run.sh CLI BUILD_DIR
# On a fresh Debian machine, run as root, it first installs what it needs
# (the 32-bit Wine needs the i386 architecture). Only when these packages
# cannot be installed does it skip, and it says so.
set -euo pipefail

cli=$1 build=$2
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages=(g++-mingw-w64-i686 wine wine32:i386 xvfb fonts-wine imagemagick)

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

skip() {
  echo "SKIPPED: the Windows program was not built or tested under Wine: $*"
  exit 0
}

missing=$(missing_packages | tr '\n' ' ')
if [ -n "$missing" ]; then
  [ "$(id -u)" -eq 0 ] || skip "missing Debian packages $missing(run as root to install them)"
  echo "Installing: $missing"
  started=$SECONDS
  if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
  # shellcheck disable=SC2086
  if ! { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing; } \
      >"${TMPDIR:-/tmp}/morvenda-wine-install.log" 2>&1; then
    tail -n 20 "${TMPDIR:-/tmp}/morvenda-wine-install.log"
    skip "installing $missing failed"
  fi
  missing=$(missing_packages | tr '\n' ' ')
  [ -z "$missing" ] || skip "$missing could not be installed"
  echo "Installed in $((SECONDS - started)) s"
fi

started=$SECONDS
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DMORVENDA_TESTS=ON -DMORVENDA_CLI="$cli" >/dev/null
cmake --build "$build" -j "$jobs"
echo "Cross build: $((SECONDS - started)) s"

started=$SECONDS
ctest --test-dir "$build" --output-on-failure
echo "Wine end-to-end tests: $((SECONDS - started)) s; screenshot of the dialog: $build/screenshots/analysis_dialog.png"
