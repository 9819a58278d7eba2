#!/usr/bin/env bash
# test_web.sh -- the browser build in headless Chromium: frames match the native capture tool's,
# and a click starts the show with its music. Skipped when emscripten, Chromium or npm is missing.
source "$(dirname "$0")/lib.sh"

root=$(cd "$(dirname "$0")/../.." && pwd)
for tool in emcc chromium node npm; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool not installed (scripts/setup.sh installs it); the browser build is not tested"
    exit 0
  fi
done
if ! (cd "$root/tests/web" && npm ci --no-audit --no-fund --silent >/dev/null 2>&1); then
  echo "SKIP: npm could not install playwright-core; the browser build is not tested"
  exit 0
fi
start_display

# The web build beside the native one it takes its assets from, rebuilt only where sources changed.
web_dir="$SHOW_DIR/../web"
if BEARINGS_WEB_DIR="$web_dir" "$root/scripts/web.sh" --assets "$SHOW_DIR" >"$SCRATCH/build.log" 2>&1; then
  pass "scripts/web.sh builds the page"
else
  tail -20 "$SCRATCH/build.log"
  fail "scripts/web.sh failed"
  finish
  exit
fi

# A card, the wormhole (polygons, wide lines, smooth points, the teddy), the planet (the lit,
# textured sphere) and the cloud figure (sprites drawn from arrays), each the frame a full play
# shows, reached in both programs by running the frames before it without their pixels: the card
# at 10 fps, the scenes at 2 (the page plays every frame from 0, so each costs its time times the rate).
limit=2
for request in "10 14500" "2 86000" "2 118000" "2 174000"; do
  read -r fps at <<<"$request"
  (cd "$SHOW_DIR" && timeout 300 ./bearings-capture --fps "$fps" --at "$at" --out "$SCRATCH/native-$fps" >/dev/null 2>&1)
  if result=$(cd "$root/tests/web" && timeout 300 node frames.mjs "$web_dir" "$SCRATCH/native-$fps" "$fps" "$limit" "$at" 2>&1); then
    pass "$result (at $fps fps)"
  else
    fail "frame $at ms at $fps fps: $result"
  fi
done

if result=$(cd "$root/tests/web" && timeout 300 node play.mjs "$web_dir" 2>&1); then
  pass "click to play: $(echo "$result" | grep -c '^ok') checks"
else
  fail "click to play: $result"
fi
echo "$result"
finish
