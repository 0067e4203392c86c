#!/usr/bin/env bash
# Builds the command-line program if needed and runs the descriptive report
# on a bundled example worksheet. Extra arguments go to morvenda, e.g.
#   bash tools/demo.sh -a nonpaired -x examples/groups.wk1
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if ! command -v cmake >/dev/null || ! command -v g++ >/dev/null || ! command -v make >/dev/null; then
  source "$top/tools/debian_packages.sh"
  ensure_debian_packages cmake g++ make || { echo "cmake, g++ and make are needed" >&2; exit 1; }
fi
if [ ! -x "$top/build/morvenda" ]; then
  cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVENDA_TESTS=OFF >/dev/null
fi
cmake --build "$top/build" --target morvenda -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
if [ $# -eq 0 ]; then set -- "$top/examples/lab_values.wk1"; fi
exec "$top/build/morvenda" "$@"
