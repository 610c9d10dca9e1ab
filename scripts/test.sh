#!/usr/bin/env bash
# Installs what is missing, builds and runs every test with CTest.
#   scripts/test.sh             the normal build (build/)
#   scripts/test.sh --sanitize  the AddressSanitizer + UndefinedBehaviorSanitizer build (build-asan/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
if [ "${1:-}" = "--sanitize" ]; then
  export BUILD_DIR=${BUILD_DIR:-$root/build-asan}
  export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  # Mesa's and SDL's own leaks are not ours.
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
  "$root/scripts/build.sh" -DVEK_SANITIZE=ON -DVEK_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
else
  "$root/scripts/build.sh"
fi
build=${BUILD_DIR:-$root/build}
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 600
