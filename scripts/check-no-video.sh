#!/usr/bin/env bash
# Builds the player and its tools without the FFmpeg libraries (build-novideo/), as on a
# machine that lacks them, and checks that it starts and says that --render is not built in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export BUILD_DIR=${BUILD_DIR:-$root/build-novideo}
"$root/scripts/build.sh" -DVEK_VIDEO=OFF -DVEK_BUILD_TESTS=OFF -DVEK_BUILD_BENCH=OFF
build=$BUILD_DIR

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
"$build/bin/demo" --help >/dev/null
status=0
output=$(cd "$work" && "$build/bin/demo" --render show.mkv 2>&1) || status=$?
expected="demo: --render is not built in: this demo was built without the FFmpeg libraries"
if [ "$status" -ne 2 ] || [ "$output" != "$expected" ] || [ -e "$work/show.mkv" ]; then
  echo "check-no-video: --render answered with exit $status and:" >&2
  echo "$output" >&2
  exit 1
fi
echo "check-no-video: the player without FFmpeg builds and says --render is not built in"
