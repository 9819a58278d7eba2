#!/usr/bin/env bash
# test_capture.sh -- the capture tool writes the requested frames, 1024x768, named by show time,
# and the same request gives the same pixels twice.
source "$(dirname "$0")/lib.sh"
start_display

out="$SCRATCH/frames"
(cd "$SHOW_DIR" && timeout 600 ./bearings-capture --at 0 --at 14500 --out "$out" >/dev/null 2>&1)
status=$?
if [ "$status" -eq 0 ] && [ -f "$out/frame-000000.png" ] && [ -f "$out/frame-014500.png" ]; then
  pass "--at 0 --at 14500 writes frame-000000.png and frame-014500.png"
else
  fail "capture: status $status, files: $(ls "$out" 2>/dev/null | tr '\n' ' ')"
fi
if file "$out/frame-014500.png" 2>/dev/null | grep -q '1024 x 768'; then
  pass "frames are 1024x768"
else
  fail "frame size: $(file "$out/frame-014500.png" 2>&1)"
fi

# The same command twice, at a low frame rate to keep the run short.
(cd "$SHOW_DIR" && timeout 600 ./bearings-capture --fps 10 --at 14500 --out "$SCRATCH/first" >/dev/null 2>&1)
(cd "$SHOW_DIR" && timeout 600 ./bearings-capture --fps 10 --at 14500 --out "$SCRATCH/again" >/dev/null 2>&1)
if [ -f "$SCRATCH/first/frame-014500.png" ] && cmp -s "$SCRATCH/first/frame-014500.png" "$SCRATCH/again/frame-014500.png"; then
  pass "the same show time gives the same frame"
else
  fail "two captures of 14500 ms differ"
fi
if ! cmp -s "$out/frame-000000.png" "$out/frame-014500.png"; then
  pass "the title card and the presenting card differ"
else
  fail "frames at 0 and 14500 ms are identical"
fi

OUT=$(cd "$SHOW_DIR" && ./bearings-capture --at nonsense 2>&1)
if [ $? -eq 2 ] && echo "$OUT" | grep -q 'needs a whole number'; then
  pass "a bad option is refused with status 2"
else
  fail "bad option: '$OUT'"
fi

finish
