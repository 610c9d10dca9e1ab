#!/usr/bin/env bash
# Configures and builds into BUILD_DIR (default build/). Extra arguments go to CMake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" "${generator[@]}" "$@"
else
  cmake -S "$root" -B "$build" "$@" >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)"
