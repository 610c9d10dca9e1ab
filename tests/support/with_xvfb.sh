#!/usr/bin/env bash
# with_xvfb.sh COMMAND [ARG...]
# Runs COMMAND with DISPLAY set to a private Xvfb server and returns its exit status.
# The server picks a free display number itself (-displayfd), so parallel tests and other
# X servers on the machine never collide; COMMAND starts only once the server answers a
# client (xdpyinfo), however slow the machine is. The server is always shut down.
# Exit 77 (skipped) when Xvfb or xdpyinfo is not installed; 1 when the server cannot start.
# XVFB_START_SECONDS (default 60) bounds the wait for the server.
set -u
for tool in Xvfb xdpyinfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed"
    exit 77
  fi
done
[ $# -ge 1 ] || { echo "usage: with_xvfb.sh COMMAND [ARG...]" >&2; exit 2; }

xvfb_dir=$(mktemp -d)
xvfb_pid=""
command_pid=""
stop_xvfb() {
  [ -z "$command_pid" ] || kill "$command_pid" 2>/dev/null
  if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    kill "$xvfb_pid" 2>/dev/null
    # Reap it, so its lock file and socket are gone before the next test starts one.
    for _ in $(seq 50); do kill -0 "$xvfb_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$xvfb_dir"
}
trap stop_xvfb EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

fail_start() {
  echo "FAILED: Xvfb did not start: $1"
  cat "$xvfb_dir/xvfb.log"
  exit 1
}

# -noreset: without it the server resets when its last client leaves, so the
# xdpyinfo probe below would leave the next client a server in the middle of a reset.
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 \
  3>"$xvfb_dir/display" >"$xvfb_dir/xvfb.log" 2>&1 &
xvfb_pid=$!

deadline=$((SECONDS + ${XVFB_START_SECONDS:-60}))
number=""
while [ -z "$number" ]; do
  kill -0 "$xvfb_pid" 2>/dev/null || fail_start "the server exited"
  [ "$SECONDS" -lt "$deadline" ] || fail_start "no display number within ${XVFB_START_SECONDS:-60} s"
  # The number is complete once its line ends.
  if grep -q '^[0-9][0-9]*$' "$xvfb_dir/display" 2>/dev/null; then
    number=$(head -n 1 "$xvfb_dir/display")
  else
    sleep 0.1
  fi
done
export DISPLAY=":$number"

until xdpyinfo >/dev/null 2>&1; do
  kill -0 "$xvfb_pid" 2>/dev/null || fail_start "the server on $DISPLAY exited"
  [ "$SECONDS" -lt "$deadline" ] || fail_start "$DISPLAY did not answer within ${XVFB_START_SECONDS:-60} s"
  sleep 0.1
done

# In the background, so a TERM from the test runner ends the command and the server at once.
"$@" &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=""
exit "$status"
