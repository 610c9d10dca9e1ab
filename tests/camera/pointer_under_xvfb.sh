#!/usr/bin/env bash
# The free camera turned by a real pointer in a real X window under Xvfb (SDL's relative
# mode). Exit 77 (skipped) when Xvfb or xdotool is not installed.
set -u
probe=$1
for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'kill $xvfb $probe_pid 2>/dev/null; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -n 1 "$work/display")
if [ "$display" = ":" ]; then
  echo "FAILED: Xvfb did not start"; cat "$work/xvfb.log"; exit 1
fi

DISPLAY=$display SDL_VIDEODRIVER=x11 VEK_BATCH=1 "$probe" >"$work/probe.log" 2>&1 &
probe_pid=$!
for _ in $(seq 100); do grep -q ready "$work/probe.log" && break; sleep 0.1; done
if ! grep -q ready "$work/probe.log"; then
  echo "FAILED: the probe did not open its window"; cat "$work/probe.log"; exit 1
fi
DISPLAY=$display xdotool mousemove_relative -- -50 0
wait $probe_pid
status=$?
cat "$work/probe.log"
exit $status
