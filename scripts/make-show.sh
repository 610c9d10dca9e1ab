#!/usr/bin/env bash
# Writes the sample show's data files into a show folder (default content/), which must
# hold demotest.xml: vekcontent makes the pictures, scenes, music and engine files, and
# ase2vek converts the scenes the show does not convert itself on loading.
#   scripts/make-show.sh [SHOW_DIR]   (the tools come from VEK_BIN_DIR, else BUILD_DIR/bin, else build/bin)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${VEK_BIN_DIR:-${BUILD_DIR:-$root/build}/bin}
show=$(cd "${1:-$root/content}" && pwd)
"$bin/vekcontent" "$show"
for scene in hall garden; do
  (cd "$show" && "$bin/ase2vek" "escena/$scene.ase" "escena/$scene.vek")
done
