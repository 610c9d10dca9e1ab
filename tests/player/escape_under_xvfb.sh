#!/usr/bin/env bash
# A person's run: the player in a real X window, ended by a real Escape key press.
# Run under tests/support/with_xvfb.sh, which provides DISPLAY. Exit 77 (skipped) when
# xdotool is not installed. Every wait polls against a deadline generous enough for a
# loaded machine: WINDOW_SECONDS for the window, ESCAPE_SECONDS for the player to end.
set -u
demo=$1
show=$2
window_seconds=${WINDOW_SECONDS:-60}
escape_seconds=${ESCAPE_SECONDS:-60}
if ! command -v xdotool >/dev/null; then
  echo "SKIPPED: xdotool is not installed"
  exit 77
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "FAILED: no DISPLAY (run under tests/support/with_xvfb.sh)"; exit 1
fi

work=$(mktemp -d)
player=""
trap '[ -z "$player" ] || kill "$player" 2>/dev/null; rm -rf "$work"' EXIT
cp "$show/demotest.xml" "$work/"

cd "$work"
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy VEK_BATCH=1 \
  "$demo" --no-dialog --window >"$work/demo.log" 2>&1 &
player=$!

player_failed() {
  echo "FAILED: $1"; cat "$work/demo.log"; exit 1
}
report_exit() {
  wait "$player"; local code=$?
  player=""
  echo "player exited with $code"; cat "$work/demo.log"
  grep -q "ended by Escape" "$work/demo.log" || { echo "FAILED: not ended by Escape"; exit 1; }
  [ "$code" -eq 0 ] && exit 0 || exit 1
}

deadline=$((SECONDS + window_seconds))
window=""
while [ -z "$window" ]; do
  kill -0 "$player" 2>/dev/null || player_failed "the player exited before its window appeared"
  [ "$SECONDS" -lt "$deadline" ] || player_failed "the player window did not appear within $window_seconds s"
  window=$(xdotool search --name "vek sample show" 2>/dev/null | head -n 1)
  [ -n "$window" ] || sleep 0.1
done

# The player pauses before its loop and only then reads keys; press Escape (a real key
# event through XTEST) about once a second until it ends.
deadline=$((SECONDS + escape_seconds))
while [ "$SECONDS" -lt "$deadline" ]; do
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  xdotool key Escape >/dev/null 2>&1 || true
  for _ in $(seq 10); do
    kill -0 "$player" 2>/dev/null || report_exit
    sleep 0.1
  done
done
kill -0 "$player" 2>/dev/null || report_exit
player_failed "the player did not end within $escape_seconds s of Escape presses"
