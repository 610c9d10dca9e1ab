#!/usr/bin/env bash
# Installs what is missing, builds, prepares the sample show in content/ and plays it.
# Arguments go to the player (see: build/bin/demo --help).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
bin=${BUILD_DIR:-$root/build}/bin
"$root/scripts/make-show.sh" "$root/content"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
  # Without a display the whole show is rendered off-screen on a virtual clock (250 frames
  # a second of show time, as fast as the machine goes), one picture a second kept.
  capture=${BUILD_DIR:-$root/build}/capture
  mkdir -p "$capture"
  rm -f "$capture"/frame*.ppm
  echo "No display: rendering the show off-screen in batch mode; one frame a second goes to $capture/." >&2
  export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
  exec "$bin/demo" --dir "$root/content" --no-dialog --window --batch --fixed-fps 250 \
    --capture "$capture" --capture-every 250 --keys keys.txt "$@"
fi
exec "$bin/demo" --dir "$root/content" --keys keys.txt "$@"
