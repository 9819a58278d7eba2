#!/usr/bin/env bash
# test_seek.sh -- a frame is the same whether the run draws every frame before it (a full play),
# only runs them to reach it (--at), or starts its stretch later (--from): at times across the whole
# show, and while the seaweed's and the core's simulations are running.
source "$(dirname "$0")/lib.sh"
no_devices

# One time in every kind of entry, and two late in simulations that step with the frames: the
# seaweed's springs (405 s) and the core's shards after the burst (446 s).
times="0 15000 50000 90000 130000 190000 250000 310000 350000 390000 430000 480000 405000 446000"
at_options=$(for t in $times; do echo --at "$t"; done)

run() {
  local out=$1
  shift
  (cd "$SHOW_DIR" && timeout 800 ./bearings-capture --fps 1 "$@" --out "$SCRATCH/$out" >/dev/null 2>&1)
}

# The reference: every frame drawn in full, as before seeking existed. At 1 frame a second, on
# whose grid the times above lie: seeking skips frames as at any rate, and 480 frames drawn in full
# cost a tenth of the 4800 at 10.
run full --no-seek $at_options
run seek $at_options
run from250 --from 250000 $(for t in $times; do [ "$t" -ge 250000 ] && echo --at "$t"; done)
run from446 --from 446000 --at 446000

# A frame missing on either side counts as different.
differ=""
for t in $times; do
  name=$(printf 'frame-%06d.png' "$t")
  cmp -s "$SCRATCH/full/$name" "$SCRATCH/seek/$name" || differ+=" $t (--at)"
  [ "$t" -lt 250000 ] || cmp -s "$SCRATCH/full/$name" "$SCRATCH/from250/$name" || differ+=" $t (--from 250000)"
done
cmp -s "$SCRATCH/full/frame-446000.png" "$SCRATCH/from446/frame-446000.png" || differ+=" 446000 (--from 446000)"
if [ -z "$differ" ]; then
  pass "--at, --from 250000 and --from 446000 give the full play's frames at all $(echo $times | wc -w) times"
else
  fail "frames that differ from the full play's, or are missing:$differ"
fi

finish
