#!/usr/bin/env bash
# A person's run: the player in a real X window under Xvfb, ended by a real Escape key
# press. Exit 77 (skipped) when Xvfb or xdotool is not installed.
set -u
demo=$1
show=$2
for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'kill $xvfb $player 2>/dev/null; rm -rf "$work"' EXIT
cp "$show/demotest.xml" "$work/"

display=:$((100 + RANDOM % 800))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

cd "$work"
DISPLAY=$display SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy VEK_BATCH=1 \
  "$demo" --no-dialog --window >"$work/demo.log" 2>&1 &
player=$!

# Wait for the window (the player pauses 2 s before its loop), then press Escape in it.
window=""
for _ in $(seq 100); do
  window=$(DISPLAY=$display xdotool search --name "vek sample show" 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "FAILED: the player window did not appear"; cat "$work/demo.log"; exit 1
fi
sleep 3
DISPLAY=$display xdotool windowactivate --sync "$window" 2>/dev/null || true
DISPLAY=$display xdotool key --window "$window" Escape

for _ in $(seq 100); do
  if ! kill -0 "$player" 2>/dev/null; then
    wait "$player"; code=$?
    echo "player exited with $code"; cat "$work/demo.log"
    grep -q "ended by Escape" "$work/demo.log" || { echo "FAILED: not ended by Escape"; exit 1; }
    [ "$code" -eq 0 ] && exit 0 || exit 1
  fi
  sleep 0.1
done
echo "FAILED: the player did not end after Escape"; cat "$work/demo.log"
exit 1
