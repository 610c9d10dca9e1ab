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

# Xvfb picks a free display itself and writes its number to the pipe.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -n 1 "$work/display")
if [ "$display" = ":" ]; then
  echo "FAILED: Xvfb did not start"; cat "$work/xvfb.log"; exit 1
fi

cd "$work"
DISPLAY=$display SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy VEK_BATCH=1 \
  "$demo" --no-dialog --window >"$work/demo.log" 2>&1 &
player=$!

# Wait for the window.
window=""
for _ in $(seq 300); do
  window=$(DISPLAY=$display xdotool search --name "vek sample show" 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "FAILED: the player window did not appear"; cat "$work/demo.log"; exit 1
fi
# The player pauses 2 s before its loop; press Escape (a real key event through XTEST) once
# a second until it ends, so a slow start on a busy machine does not fail the test.
for _ in $(seq 30); do
  sleep 1
  DISPLAY=$display xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  DISPLAY=$display xdotool key Escape >/dev/null 2>&1 || true
  if ! kill -0 "$player" 2>/dev/null; then
    wait "$player"; code=$?
    echo "player exited with $code"; cat "$work/demo.log"
    grep -q "ended by Escape" "$work/demo.log" || { echo "FAILED: not ended by Escape"; exit 1; }
    [ "$code" -eq 0 ] && exit 0 || exit 1
  fi
done
echo "FAILED: the player did not end after Escape"; cat "$work/demo.log"
exit 1
