#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/) and runs each one briefly over
# its seed corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=${BUILD_DIR:-$root/build-fuzz}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" "${generator[@]}" -DVEK_FUZZ=ON -DVEK_BUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target fuzzers --parallel "$(nproc)"
ctest --test-dir "$build" -L fuzz --output-on-failure
