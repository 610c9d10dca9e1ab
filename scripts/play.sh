#!/usr/bin/env bash
# Installs what is missing, builds, prepares the sample show in content/ and plays it.
# Arguments go to the player (see: build/bin/demo --help).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
bin=${BUILD_DIR:-$root/build}/bin
"$bin/vekcontent" "$root/content"
(cd "$root/content" && "$bin/ase2vek" escena/sample.ase escena/sample.vek)

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
  echo "No display: playing the show off-screen in batch mode for 600 frames." >&2
  export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
  exec "$bin/demo" --dir "$root/content" --no-dialog --window --batch --frames 600 "$@"
fi
exec "$bin/demo" --dir "$root/content" "$@"
