#!/usr/bin/env bash
# The free camera turned by a real pointer in a real X window (SDL's relative mode).
# Run through tests/support/with_xvfb.sh, which provides DISPLAY. Exit 77 (skipped) when
# xdotool is not installed. READY_SECONDS (default 60) bounds the wait for the window.
set -u
probe=$1
if ! command -v xdotool >/dev/null; then
  echo "SKIPPED: xdotool is not installed"
  exit 77
fi

work=$(mktemp -d)
probe_pid=""
trap '[ -z "$probe_pid" ] || kill "$probe_pid" 2>/dev/null; rm -rf "$work"' EXIT

SDL_VIDEODRIVER=x11 VEK_BATCH=1 "$probe" >"$work/probe.log" 2>&1 &
probe_pid=$!
deadline=$((SECONDS + ${READY_SECONDS:-60}))
until grep -q ready "$work/probe.log"; do
  if ! kill -0 "$probe_pid" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
    echo "FAILED: the probe did not open its window"; cat "$work/probe.log"; exit 1
  fi
  sleep 0.1
done
xdotool mousemove_relative -- -50 0
wait "$probe_pid"
status=$?
probe_pid=""
cat "$work/probe.log"
exit $status
