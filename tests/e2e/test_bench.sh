#!/usr/bin/env bash
# test_bench.sh -- --bench prints the floor (the frame without its scene) and each entry's ratio to it.
source "$(dirname "$0")/lib.sh"
start_display

OUT=$(cd "$SHOW_DIR" && timeout 600 ./bearings-capture --bench --fps 10 --to 2000 2>/dev/null)
if echo "$OUT" | grep -Eq '^floor .*, 20 frames: median [0-9.]+ ms, p99 [0-9.]+ ms$' && echo "$OUT" | grep -Eq '/floor$' &&
   echo "$OUT" | grep -Eq '^0 +title board +20 +[0-9.]+ +[0-9.]+ +1\.00 +[0-9.]+$'; then
  pass "the floor line counts every frame drawn, and the table has a /floor column"
else
  fail "no floor line or no /floor column: '$OUT'"
fi

OUT=$(cd "$SHOW_DIR" && timeout 600 ./bearings-capture --bench --fps 10 --from 1000 --to 2000 2>/dev/null)
if echo "$OUT" | grep -Eq '^floor .*, 10 frames' && echo "$OUT" | grep -Eq '^skipped .*, 10 frames: median [0-9.]+ ms' \
   && echo "$OUT" | grep -Eq '^0 +title board +10 +[0-9.]+ +[0-9.]+ +[0-9.]+$'; then
  pass "frames before --from are run without pixels and timed apart, next to the drawn ones"
else
  fail "no skipped-frame table: '$OUT'"
fi

finish
