#!/usr/bin/env bash
# test_flashcheck.sh -- scripts/flashcheck.sh on the show: the designed wormhole fails the flash
# rules, the gentle show passes over its flashiest stretches (the wormhole and the core's burst), and
# a capture that breaks off is an error, never a pass. Small frames at 30 fps, to keep it short.
source "$(dirname "$0")/lib.sh"
no_devices

check="$(cd "$(dirname "$0")/../.." && pwd)/scripts/flashcheck.sh"
build=$(dirname "$SHOW_DIR")
command -v ffmpeg >/dev/null || { echo "SKIP: ffmpeg is not installed"; exit 0; }
[ -x "$build/flashcheck/bearings-flashcheck" ] || { fail "bearings-flashcheck was not built"; finish; exit 1; }

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

for stretch in "wormhole 84000 108000" "burst 440000 456000"; do
  read -r name from to <<<"$stretch"
  flashcheck "$name" --gentle --from "$from" --to "$to" --picture "$SCRATCH/$name.png"
  summary=$(grep '^summary:' "$SCRATCH/$name.txt")
  if [ "$(cat "$SCRATCH/$name.status")" -eq 0 ] && [[ $summary == *"general 0 s failing"*"red 0 s failing"* ]] &&
     [ -s "$SCRATCH/$name.png" ]; then
    pass "the gentle $name, $((from / 1000))-$((to / 1000)) s, passes: ${summary#summary: }"
  else
    fail "the gentle $name: status $(cat "$SCRATCH/$name.status"), $(cat "$SCRATCH/$name.txt")"
  fi
done

# An odd size the capture cannot encode: it stops at once, and the check must say it broke off.
flashcheck broken --size 255x191 --from 0 --to 1000
if [ "$(cat "$SCRATCH/broken.status")" -eq 3 ] && ! grep -q '^summary:' "$SCRATCH/broken.txt"; then
  pass "a capture that fails is reported as such (status 3), not as a pass"
else
  fail "a failed capture: status $(cat "$SCRATCH/broken.status"), $(cat "$SCRATCH/broken.txt")"
fi

finish
