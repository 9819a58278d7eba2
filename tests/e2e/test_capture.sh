#!/usr/bin/env bash
# test_capture.sh -- the capture tool writes the requested frames, 1024x768, named by show time, with
# no display or sound device; a frame's pixels depend only on its time, not on what else is captured,
# and match those drawn on an X display.
source "$(dirname "$0")/lib.sh"
no_devices

out="$SCRATCH/frames"
(cd "$SHOW_DIR" && timeout 600 ./bearings-capture --fps 10 --at 0 --at 14500 --out "$out" >/dev/null 2>&1)
status=$?
size=$(file "$out/frame-014500.png" 2>&1)
if [ "$status" -eq 0 ] && [ -f "$out/frame-000000.png" ] && [[ $size == *"1024 x 768"* ]] &&
   ! cmp -s "$out/frame-000000.png" "$out/frame-014500.png"; then
  pass "with no display or sound: --at 0 --at 14500 write frame-000000.png and frame-014500.png, 1024x768, and they differ"
else
  fail "capture: status $status, files: $(ls "$out" 2>/dev/null | tr '\n' ' '), $size," \
    "$(cmp -s "$out/frame-000000.png" "$out/frame-014500.png" && echo 'the two alike')"
fi

# 14450 lies between two frames at 10 fps: it takes the one before and must not disturb 14500. Frames
# need no music: this run's folder has every file but music.ogg.
mkdir "$SCRATCH/silent"
for f in "$SHOW_DIR"/*; do [ "$(basename "$f")" = music.ogg ] || ln -s "$f" "$SCRATCH/silent/"; done
NOTE=$(cd "$SCRATCH/silent" && timeout 600 ./bearings-capture --fps 10 --at 14450 --at 14500 --out "$SCRATCH/pair" 2>&1 >/dev/null)
if [ -f "$out/frame-014500.png" ] && cmp -s "$out/frame-014500.png" "$SCRATCH/pair/frame-014500.png"; then
  pass "the frame at 14500 ms is the same with or without an off-grid time before it, and without music.ogg"
else
  fail "frame 14500 ms with and without 14450 ms (and music.ogg) differ"
fi
if [ -f "$SCRATCH/pair/frame-014400.png" ] && [[ $NOTE == *"no frame at 14450 ms at 10 fps"*"frame-014400.png"* ]]; then
  pass "an off-grid time is written as the frame before it, and said so"
else
  fail "off-grid 14450 ms: files $(ls "$SCRATCH/pair" | tr '\n' ' '), said '$NOTE'"
fi

start_display
(cd "$SHOW_DIR" && timeout 600 ./bearings-capture --at 0 --out "$SCRATCH/xvfb" >/dev/null 2>&1)
if [ -f "$SCRATCH/xvfb/frame-000000.png" ] && cmp -s "$SCRATCH/xvfb/frame-000000.png" "$out/frame-000000.png"; then
  pass "the frame at 0 ms is the same off-screen and under Xvfb"
else
  fail "frame 0 off-screen and under Xvfb differ"
fi

says "capture --at nonsense" 2 "bearings-capture: --at needs a whole number*" ./bearings-capture --at nonsense

finish
