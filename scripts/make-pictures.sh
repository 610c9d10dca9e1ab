#!/usr/bin/env bash
# Remakes the README's pictures of the sample show (docs/show-*.png): makes the show in a
# temporary folder, plays it headless on the virtual clock with --capture, one frame a
# second, and turns the chosen seconds into PNG pictures of the 3D band with vekframe.
#   scripts/make-pictures.sh        (after scripts/build.sh; BUILD_DIR as for the other scripts)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${VEK_BIN_DIR:-${BUILD_DIR:-$root/build}/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp "$root/content/demotest.xml" "$root/content/keys.txt" "$work/"
VEK_BIN_DIR=$bin "$root/scripts/make-show.sh" "$work" >/dev/null
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$bin/demo" --dir "$work" --keys keys.txt \
  --capture frames --fps 1 >/dev/null

# second:name; frame N+1 of a one-frame-a-second capture is the show at N s.
mkdir -p "$root/docs"
for shot in 9:crate 17:hall 20:trails 29:garden 39:radial 53:free-camera; do
  second=${shot%%:*}
  name=${shot#*:}
  frame=$(printf '%s/frames/frame%06d.ppm' "$work" $((second + 1)))
  "$bin/vekframe" "$frame" "$root/docs/show-$name.png" --crop 0,100,800,400 --width 640
  echo "docs/show-$name.png: the show at $second s ($(stat -c %s "$root/docs/show-$name.png") bytes)"
done
