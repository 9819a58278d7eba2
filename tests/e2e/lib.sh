# lib.sh -- shared helpers for the end-to-end tests: results, a virtual display and a scratch folder.
set -u

SHOW_DIR=$(cd "$1" && pwd)
failures=0
passes=0

pass() { passes=$((passes + 1)); echo "ok   - $*"; }
fail() { failures=$((failures + 1)); echo "FAIL - $*"; }

# Starts one Xvfb for the whole script at 1024x768x24 and points DISPLAY at it.
start_display() {
  local n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
      done
      trap 'kill $XVFB_PID 2>/dev/null; rm -rf "$SCRATCH"' EXIT
      return 0
    fi
  done
  echo "no free display number" >&2
  exit 1
}

SCRATCH=$(mktemp -d /tmp/bearings-e2e-XXXXXX)
trap 'rm -rf "$SCRATCH"' EXIT
export SDL_AUDIODRIVER=dummy

finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}

# Presses Escape once a second until the program PID ends (30 s at most); sets status to its exit
# status and succeeds when that is 0 and it printed nothing to OUTPUT.
escape_ends() {  # PID OUTPUT
  for _ in $(seq 1 30); do
    kill -0 "$1" 2>/dev/null || break
    xdotool key Escape 2>/dev/null
    sleep 1
  done
  wait "$1"
  status=$?
  [ "$status" -eq 0 ] && [ ! -s "$2" ]
}

# From here on the script's programs see no display, no named video driver and no sound device.
no_devices() {
  unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER SDL_AUDIODRIVER
}
