#!/usr/bin/env bash
# Builds and runs the ASE import benchmark. The comparison needs the assimp command
# (Debian package assimp-utils), which is installed here and used by nothing else.
#   bench/ase_import/run_bench.sh [BUILD_DIR]      (default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
if ! command -v assimp >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "The benchmark needs assimp-utils. Run as root: apt-get install -y assimp-utils" >&2
    exit 1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq assimp-utils >/dev/null ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq assimp-utils >/dev/null; }
fi
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target bench_ase_import
"$build/bin/bench_ase_import"
