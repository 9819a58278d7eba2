#!/usr/bin/env bash
# test_flashcheck.sh -- scripts/flashcheck.sh on the show: the designed wormhole fails the flash
# rules, the gentle wormhole (the flashiest stretch, and the one gentle passes by the least) passes,
# and a capture that breaks off is an error, never a pass. Small frames at 30 fps, to keep it short.
# The whole gentle show is checked as a benchmark is (the README's figures): reaching the core's
# burst at 30 fps alone costs half a minute of running frames.
source "$(dirname "$0")/lib.sh"
no_devices

check="$(cd "$(dirname "$0")/../.." && pwd)/scripts/flashcheck.sh"
build=$(dirname "$SHOW_DIR")
need ffmpeg
[ -x "$build/flashcheck/bearings-flashcheck" ] || abort "bearings-flashcheck was not built"

flashcheck() {  # NAME ARGS...: runs the check, output in SCRATCH/NAME.txt, status in SCRATCH/NAME.status
  local name=$1
  shift
  timeout 600 "$check" --build "$build" --size 256x192 --fps 30 "$@" >"$SCRATCH/$name.txt" 2>&1
  echo $? >"$SCRATCH/$name.status"
}

flashcheck designed --from 90000 --to 93000
if [ "$(cat "$SCRATCH/designed.status")" -eq 1 ] && grep -Eq '^general +9[0-9.]+-9[0-9.]+ s' "$SCRATCH/designed.txt"; then
  pass "the designed wormhole fails the general rule: $(grep '^general' "$SCRATCH/designed.txt" | head -n 1 | tr -s ' ')"
else
  fail "the designed wormhole, 90-93 s: status $(cat "$SCRATCH/designed.status"), $(cat "$SCRATCH/designed.txt")"
fi

flashcheck gentle --gentle --from 84000 --to 108000 --picture "$SCRATCH/gentle.png"
summary=$(grep '^summary:' "$SCRATCH/gentle.txt")
if [ "$(cat "$SCRATCH/gentle.status")" -eq 0 ] && [[ $summary == *"general 0 s failing"*"red 0 s failing"* ]] &&
   [ -s "$SCRATCH/gentle.png" ]; then
  pass "the gentle wormhole, 84-108 s, passes: ${summary#summary: }"
else
  fail "the gentle wormhole: status $(cat "$SCRATCH/gentle.status"), $(cat "$SCRATCH/gentle.txt")"
fi

# An odd size the capture cannot encode: it stops at once, and the check must say it broke off.
flashcheck broken --size 255x191 --from 0 --to 1000
if [ "$(cat "$SCRATCH/broken.status")" -eq 3 ] && ! grep -q '^summary:' "$SCRATCH/broken.txt"; then
  pass "a capture that fails is reported as such (status 3), not as a pass"
else
  fail "a failed capture: status $(cat "$SCRATCH/broken.status"), $(cat "$SCRATCH/broken.txt")"
fi

finish
