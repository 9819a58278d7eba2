#!/usr/bin/env bash
# test_sizes.sh -- the show at other sizes: 2048x1536 averaged 2x2 comes close to 1024x768, the bars
# of a 16:9 frame stay black, supersampling is that average and smooths stair-steps, and the
# program's and the capture tool's size options refuse what they cannot use.
source "$(dirname "$0")/lib.sh"
no_devices

# Frames at 2 fps from the start of the entry holding each time, so every run draws the same frames.
capture() {  # FOLDER FROM_MS AT_MS [OPTIONS...]
  local folder=$1 from=$2 at=$3
  shift 3
  (cd "$SHOW_DIR" && timeout 600 ./bearings-capture --fps 2 --from "$from" --at "$at" --out "$SCRATCH/$folder" "$@" >/dev/null 2>&1)
}
frame() { printf '%s/%s/frame-%06d.png' "$SCRATCH" "$1" "$2"; }

# A card, the wormhole, the forest and the storm: points, lines, tree branches and text.
for stop in "card 14000 14500" "wormhole 84000 90000" "forest 212000 230000" "storm 340000 350000"; do
  set -- $stop
  capture "small-$1" "$2" "$3"
  capture "large-$1" "$2" "$3" --size 2048x1536
  diff=$("$MEASURE" mean-diff "$(frame "small-$1" "$3")" "$(frame "large-$1" "$3")" 2)
  if [ -n "$diff" ] && awk "BEGIN { exit !($diff < 2.5) }"; then
    pass "$1 at $3 ms: 2048x1536 averaged 2x2 is within $diff levels of 1024x768 (under 2.5)"
  else
    fail "$1 at $3 ms: 2048x1536 averaged 2x2 differs from 1024x768 by '$diff' levels"
  fi
done

# Supersampling draws 2048x1536 and averages it: exactly the large frame, shrunk.
capture super 84000 90000 --supersample 2
same=$("$MEASURE" mean-diff "$(frame super 90000)" "$(frame large-wormhole 90000)" 2)
if [ "$same" = "0.000" ]; then
  pass "--supersample 2 is the 2048x1536 frame averaged 2x2"
else
  fail "--supersample 2 differs from the averaged 2048x1536 frame by '$same'"
fi
hard=$("$MEASURE" hard-steps "$(frame small-wormhole 90000)")
soft=$("$MEASURE" hard-steps "$(frame super 90000)")
if [ -n "$hard" ] && [ -n "$soft" ] && awk "BEGIN { exit !($soft < 0.7 * $hard) }"; then
  pass "supersampling cuts the wormhole's hard steps from $hard to $soft per 1000 pixel pairs"
else
  fail "hard steps per 1000 pairs: '$hard' drawn directly, '$soft' supersampled"
fi

# 16:9: the 4:3 picture in the middle 1440 columns; the card's clear colour and the glow stay inside.
capture wide 14000 14500 --size 1920x1080
brightest=$("$MEASURE" outside "$(frame wide 14500)" 240 0 1440 1080)
edge=$("$MEASURE" outside "$(frame wide 14500)" 241 0 1438 1080)
if [ "$brightest" = "0" ] && [ "${edge:-0}" -gt 0 ] && file "$(frame wide 14500)" | grep -q '1920 x 1080'; then
  pass "1920x1080: the bars are black to the picture's edge"
else
  fail "1920x1080: brightest bar pixel '$brightest', picture edge '$edge'"
fi

# What cannot be drawn or read: one line and a status.
says "a size beyond the GL's limits" 1 "*larger than this OpenGL can draw*" \
  ./bearings-capture --size 16400x16 --at 0 --out "$SCRATCH/huge"
# Above 768 lines the larger drawings are read: one missing is named like any other asset.
mkdir "$SCRATCH/no-2x"
for f in "$SHOW_DIR"/*; do [ "$(basename "$f")" = wormholeboard-2x.png ] || ln -s "$f" "$SCRATCH/no-2x/"; done
says "a missing larger card at 2048x1536" 1 "Unable to load: wormholeboard-2x.png" \
  env -C "$SCRATCH/no-2x" ./bearings-capture --size 2048x1536 --at 0 --out "$SCRATCH/no-2x-frames"

for bad in "--size 1920" "--size 0x0" "--supersample 5" "--supersample two" "--size 1921x1080 --video $SCRATCH/odd.mp4"; do
  says "capture $bad" 2 "bearings-capture: *" ./bearings-capture $bad --at 0
done

OUT=$(cd "$SHOW_DIR" && ./bearings --help 2>&1)
STATUS=$?
[ "$STATUS" -eq 0 ] && [[ $OUT == usage:* ]] && pass "bearings --help: usage, status 0" || fail "--help: status $STATUS, '$OUT'"
OUT=$(cd "$SHOW_DIR" && ./bearings --version 2>&1)
STATUS=$?
[ "$STATUS" -eq 0 ] && [[ $OUT =~ ^bearings\ [0-9]+\.[0-9]+\.[0-9]+$ ]] && pass "bearings --version: '$OUT', status 0" ||
  fail "--version: status $STATUS, '$OUT'"
for bad in "--fast" "--window" "--window 800by600" "--native --window 800x600"; do
  says "bearings $bad" 2 "bearings: *" ./bearings $bad
done

finish
