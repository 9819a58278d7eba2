#!/usr/bin/env bash
# test_web.sh -- the browser build in headless Chromium: frames match the native capture tool's,
# and a click starts the show with its music. Skipped when emscripten, Chromium or npm is missing.
source "$(dirname "$0")/lib.sh"

root=$(cd "$(dirname "$0")/../.." && pwd)
need emcc chromium node npm
if ! (cd "$root/tests/web" && npm ci --no-audit --no-fund --silent >/dev/null 2>&1); then
  echo "SKIP: npm could not install playwright-core; the browser build is not tested"
  exit 0
fi
start_display

# The web build beside the native one it takes its assets from, rebuilt only where sources changed.
web_dir="$SHOW_DIR/../web"
BEARINGS_WEB_DIR="$web_dir" "$root/scripts/web.sh" --assets "$SHOW_DIR" >"$SCRATCH/build.log" 2>&1 ||
  abort "scripts/web.sh failed: $(tail -20 "$SCRATCH/build.log")"
pass "scripts/web.sh builds the page"

# A card, the wormhole (polygons, wide lines, smooth points, the teddy), the planet (the lit,
# textured sphere) and the cloud figure (sprites drawn from arrays), each the frame a full play
# shows: one play in each program at 2 fps that runs the frames between without their pixels.
times="14500 86000 118000 174000"
(cd "$SHOW_DIR" && timeout 300 ./bearings-capture --fps 2 $(printf -- '--at %s ' $times) --out "$SCRATCH/native" >/dev/null 2>&1)
if result=$(cd "$root/tests/web" && timeout 600 node frames.mjs "$web_dir" "$SCRATCH/page" 2 $times 2>&1); then
  echo "page: $result"
  frames_within "the page's frame against the capture tool's" 2 "$SCRATCH/page" "$SCRATCH/native" $times
else
  fail "the page's frames: $result"
fi

if result=$(cd "$root/tests/web" && timeout 300 node play.mjs "$web_dir" 2>&1); then
  pass "click to play: $(echo "$result" | grep -c '^ok') checks"
else
  fail "click to play: $result"
fi
echo "$result"
finish
