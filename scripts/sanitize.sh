#!/usr/bin/env bash
# sanitize.sh -- builds with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, plays the
# whole show through the capture tool at 10 fps, starts and quits the program with a leak check and
# runs the bad-asset matrix, under Xvfb; any sanitizer report fails the run.
#
#   scripts/sanitize.sh [BUILD_FOLDER]      (default: build-sanitize)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build-sanitize}

scripts/setup.sh

# Every report is fatal, with a stack. Leaks are checked at exit; the only ones suppressed are memory
# that system libraries keep (see the file for each entry and why it cannot be ours).
asan_options="halt_on_error=1:abort_on_error=0:exitcode=86:check_initialization_order=1"
export ASAN_OPTIONS="$asan_options:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=86"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
export SDL_AUDIODRIVER=dummy

# The asset generators and the soundtrack renderer run during the build, sanitized as well.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBEARINGS_SANITIZE=ON -DBUILD_TESTING=OFF
cmake --build "$build" -j"$(nproc)"
show=$(cd "$build/show" && pwd)

scratch=$(mktemp -d /tmp/bearings-sanitize-XXXXXX)
xvfb_pid=""
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display of our own; Xvfb picks a free number and tells it, so parallel runs cannot collide.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$scratch/display" ] && break
  sleep 0.1
done
[ -s "$scratch/display" ] || { echo "sanitize: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$scratch/display")"

# Fails when a run's status is not 0 or its error stream holds a sanitizer report.
check() {
  local what=$1 status=$2 log=$3
  if [ "$status" -ne 0 ] || grep -Eq 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: [A-Za-z]*Sanitizer' "$log"; then
    echo "sanitize: $what failed (status $status); its error output:" >&2
    cat "$log" >&2
    exit 1
  fi
  echo "sanitize: $what: clean"
}

# The whole show, every frame drawn in full by llvmpipe (--no-seek). Leaks are left to the run below: a leak's stack needs the slow
# unwinder (the system libraries have no frame pointers), which deadlocks against llvmpipe's JIT.
start=$SECONDS
mkdir "$scratch/frames"
set +e
(cd "$show" && ASAN_OPTIONS="$asan_options:detect_leaks=0" timeout 5400 ./bearings-capture --fps 10 --no-seek --at 489900 --out "$scratch/frames") \
  >"$scratch/capture.out" 2>"$scratch/capture.err"
status=$?
set -e
check "the whole show at 10 fps ($((SECONDS - start)) s)" "$status" "$scratch/capture.err"
[ -s "$scratch/frames/frame-489900.png" ] || { echo "sanitize: the last frame was not written" >&2; exit 1; }

# The program itself, with the leak check: start-up (every asset, scene and texture), the main loop's
# first frames, Escape and the shutdown sequence. Mesa's softpipe has no JIT, so full stacks are safe
# (they let SDL_SetVideoMode's surface be told from ours). The GL driver is preloaded so that it stays
# loaded to the end: unloaded at exit, its caches would lose their roots and read as leaks.
mesa_modules=$(ls /usr/lib/*/libGLX_mesa.so.0 /usr/lib/*/dri/swrast_dri.so 2>/dev/null | tr '\n' ' ')
start=$SECONDS
(cd "$show" && LD_PRELOAD="$mesa_modules" GALLIUM_DRIVER=softpipe DRAW_USE_LLVM=0 \
   ASAN_OPTIONS="$asan_options:detect_leaks=1:fast_unwind_on_malloc=0:verify_asan_link_order=0" \
   exec timeout 1800 ./bearings >"$scratch/play.out" 2>"$scratch/play.err") &
pid=$!
while kill -0 "$pid" 2>/dev/null; do
  sleep 2
  xdotool key Escape 2>/dev/null || true
done
set +e
wait "$pid"
status=$?
set -e
check "start, Escape and shutdown with the leak check ($((SECONDS - start)) s)" "$status" "$scratch/play.err"
if [ -s "$scratch/play.out" ]; then
  echo "sanitize: the program printed '$(cat "$scratch/play.out")'" >&2
  exit 1
fi

# The whole bad-asset matrix on the sanitized program (the test command runs a sample of it): every
# removed or cut asset, and no report. Leaks are the run above's to find (with fast stacks SDL's own
# surface could not be told from ours).
start=$SECONDS
set +e
BEARINGS_BAD_ASSETS=all ASAN_OPTIONS="$asan_options:detect_leaks=0" bash tests/e2e/test_bad_assets.sh "$show" >"$scratch/matrix.log" 2>&1
status=$?
set -e
if [ "$status" -ne 0 ]; then
  echo "sanitize: the bad-asset matrix failed:" >&2
  grep -v '^ok' "$scratch/matrix.log" >&2
  exit 1
fi
echo "sanitize: $(grep '^bad assets:' "$scratch/matrix.log") ($((SECONDS - start)) s)"
