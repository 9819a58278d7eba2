# lib.sh -- shared helpers for the end-to-end tests: results, skips, virtual displays, a scratch
# folder, the show installed, exports decoded and programs' one-line answers.
set -u

SHOW_DIR=$(cd "$1" && pwd)
MEASURE=${2:-}  # framemeasure, which ctest passes after the show folder
failures=0
passes=0

pass() { passes=$((passes + 1)); echo "ok   - $*"; }
fail() { failures=$((failures + 1)); echo "FAIL - $*"; }

finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}

# A failure after which the rest of the script cannot run.
abort() {
  fail "$*"
  finish
  exit 1
}

# Skips the whole script unless every TOOL is installed.
need() {  # TOOL...
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null ||
      { echo "SKIP: $tool not installed (scripts/setup.sh installs it for the tests)"; exit 0; }
  done
}

SCRATCH=$(mktemp -d /tmp/bearings-e2e-XXXXXX)
XVFB_PIDS=()
trap 'kill "${XVFB_PIDS[@]}" 2>/dev/null; rm -rf "$SCRATCH"' EXIT
export SDL_AUDIODRIVER=dummy

# Starts an Xvfb at 1024x768x24 on a display number it finds free itself and, once it takes
# connections, points DISPLAY at it. The exit trap stops it.
start_display() {
  local fd number
  exec {fd}< <(exec Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>&1 >/dev/null 2>&1)
  XVFB_PIDS+=($!)
  read -r -t 30 number <&"$fd" || { echo "Xvfb did not start" >&2; exit 1; }
  exec {fd}<&-
  export DISPLAY=":$number"
}

# Runs COMMAND every tenth of a second until it succeeds, for at most SECONDS; fails if it never does.
wait_until() {  # SECONDS COMMAND...
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -le $deadline ] || return 1
    sleep 0.1
  done
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

# Runs COMMAND in the show folder: it must end with STATUS having printed, on both streams
# together, one line that matches the glob PATTERN. Passes or fails as WHAT, with what it printed.
says() {  # WHAT STATUS PATTERN COMMAND...
  local what=$1 want=$2 pattern=$3 out got
  shift 3
  out=$(cd "$SHOW_DIR" && "$@" 2>&1)
  got=$?
  if [ "$got" -eq "$want" ] && [ "$(grep -c '' <<<"$out")" -eq 1 ] && [[ $out == $pattern ]]; then
    pass "$what: '$out', status $got"
  else
    fail "$what: expected one line like '$pattern' and status $want, got status $got and '$out'"
  fi
}

# Checks that the frame at each of TIMES (ms) in folder A is within LIMIT levels (framemeasure's mean
# difference) of the one in folder B; passes or fails as WHAT, with the difference measured.
frames_within() {  # WHAT LIMIT A B TIMES...
  local what=$1 limit=$2 a=$3 b=$4 at name difference
  shift 4
  for at in "$@"; do
    name=$(printf 'frame-%06d.png' "$at")
    difference=$("$MEASURE" mean-diff "$a/$name" "$b/$name" 2>&1)
    if awk -v d="$difference" -v limit="$limit" 'BEGIN { exit !(d ~ /^[0-9.]+$/ && d <= limit) }'; then
      pass "$what at $at ms: within $difference levels"
    else
      fail "$what at $at ms: mean difference '$difference' levels (limit $limit)"
    fi
  done
}

# Installs the build as a package would, so that `bearings-capture` runs from PREFIX/bin.
install_show() {
  cmake --install "$(cd "$SHOW_DIR/.." && pwd)" --prefix "$1" >"$SCRATCH/install.log" 2>&1 ||
    { echo "cmake --install failed: $(tail -n 3 "$SCRATCH/install.log")" >&2; return 1; }
}

# Decoded frames and audio packets, one checksum a line, without the header.
framemd5() {
  ffmpeg -v error -i "$1" -map 0 -f framemd5 - 2>&1 | grep -v '^#'
}
