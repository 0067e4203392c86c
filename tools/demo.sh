#!/usr/bin/env bash
# Builds the command-line program if needed and runs the descriptive report
# on a bundled example worksheet. Extra arguments go to morvenda, e.g.
#   bash tools/demo.sh -a nonpaired -x examples/groups.wk1
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if ! command -v cmake >/dev/null || ! command -v g++ >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends cmake g++ make libgtest-dev >/dev/null
  else
    echo "cmake and g++ are needed (apt-get install cmake g++ make)" >&2
    exit 1
  fi
fi
if [ ! -x "$top/build/morvenda" ]; then
  cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVENDA_TESTS=OFF >/dev/null
fi
cmake --build "$top/build" --target morvenda -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
if [ $# -eq 0 ]; then set -- "$top/examples/lab_values.wk1"; fi
exec "$top/build/morvenda" "$@"
