# lib.sh -- shared helpers for the end-to-end tests: a virtual display and scratch show folders.
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

# A show folder holding the program and the named subset of assets ("all" for every one).
make_show() {
  local dir="$SCRATCH/$1"
  shift
  mkdir -p "$dir"
  cp "$SHOW_DIR/bearings" "$dir/"
  if [ "${1:-}" = all ]; then
    (cd "$SHOW_DIR" && find . -maxdepth 1 -type f \( -name '*.png' -o -name '*.bmp' -o -name '*.obj' -o -name '*.ogg' \) -exec cp {} "$dir/" \;)
  else
    local f
    for f in "$@"; do cp "$SHOW_DIR/$f" "$dir/"; done
  fi
  echo "$dir"
}

# Runs the program in a folder; sets OUT (stdout) and STATUS.
run_program() {
  local dir=$1
  OUT=$(cd "$dir" && timeout 120 ./bearings 2>/dev/null)
  STATUS=$?
}

expect_failure() {
  local what=$1 expected=$2
  if [ "$OUT" = "$expected" ] && [ "$STATUS" -eq 1 ]; then
    pass "$what: '$expected', status 1"
  else
    fail "$what: expected '$expected' and status 1, got '$OUT' and status $STATUS"
  fi
}

finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
