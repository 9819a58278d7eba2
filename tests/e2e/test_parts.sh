#!/usr/bin/env bash
# test_parts.sh -- an export made in parts through GNU parallel and joined is the one-process export:
# the same frames and samples, seamless, the music in step; the join refuses a missing or an
# overlapping part, and a part that keeps failing is reported by name.
source "$(dirname "$0")/lib.sh"
no_devices
root=$(cd "$(dirname "$0")/../.." && pwd)
need parallel

# 81-87 s at 10 fps: across the cut from the wormhole's card to the scene at 84 s, in three parts
# of 2 s (seams at 83 s and 85 s).
from=81000 to=87000
timeout 800 "$root/scripts/export-parallel.sh" --parts 3 --jobs 2 --from $from --to $to --fps 10 --lossless \
  --work "$SCRATCH/parts" "$SCRATCH/joined.mp4" >"$SCRATCH/export.log" 2>&1
status=$?
(cd "$SHOW_DIR" && timeout 600 ./bearings-capture --video "$SCRATCH/one.mp4" --lossless --from $from --to $to --fps 10 >/dev/null 2>&1)
framemd5 "$SCRATCH/one.mp4" >"$SCRATCH/one.md5"
framemd5 "$SCRATCH/joined.mp4" >"$SCRATCH/joined.md5"
if [ "$status" -eq 0 ] && [ "$(grep -c '^0,' "$SCRATCH/one.md5")" -eq 60 ] && cmp -s "$SCRATCH/one.md5" "$SCRATCH/joined.md5"; then
  pass "3 parts through parallel -j 2, joined, decode to the one-process export's 60 frames and its samples"
else
  fail "joined export (status $status) differs from the one-process one: $(tail -n 3 "$SCRATCH/export.log"; diff "$SCRATCH/one.md5" "$SCRATCH/joined.md5" | head -n 4)"
fi

# Seamless: video timestamps step by exactly one frame throughout, each part starts on a key frame,
# and the music, sample for sample the one-process export's, is one stream from the first frame to
# the last: at each seam it is where that export has it.
probe() { ffprobe -v error -select_streams "$1" -show_entries "$2" -of csv=p=0 "$SCRATCH/joined.mp4"; }
steps=$(probe v:0 packet=pts | sort -n | awk 'NR > 1 { print $1 - last } { last = $1 }' | sort -u | tr '\n' ' ')
seam_keys=$(probe v:0 packet=pts,flags | sort -t, -k1n | awk -F, 'NR == 1 || NR == 21 || NR == 41 { printf "%s", substr($2, 1, 1) }')
audio=$(probe a:0 stream=start_time,duration)
video=$(probe v:0 stream=start_time,duration)
if [ "$(echo "$steps" | wc -w)" -eq 1 ] && [ "$seam_keys" = KKK ] && [ "$audio" = "$video" ] && [ "$video" = "0.000000,6.000000" ]; then
  pass "one frame step everywhere ($steps), key frames at both seams, music and picture 0-6 s together"
else
  fail "seams: steps '$steps', key frames '$seam_keys', audio '$audio', video '$video'"
fi

mkdir -p "$SCRATCH/gap" "$SCRATCH/overlap"
cp "$SCRATCH/parts/part-001.mp4" "$SCRATCH/parts/part-003.mp4" "$SCRATCH/gap/"
says "the join without its middle part" 1 "*missing part: nothing holds 83000-85000 ms*" \
  ./bearings-capture --join "$SCRATCH/gap.mp4" --parts "$SCRATCH/gap"
says "the join of parts that start after --from" 1 "*missing part: nothing holds 80000-81000 ms*" \
  ./bearings-capture --join "$SCRATCH/gap.mp4" --parts "$SCRATCH/parts" --from 80000 --to $to
[ ! -e "$SCRATCH/gap.mp4" ] || fail "a refused join left gap.mp4 behind"
cp "$SCRATCH/parts/"part-*.mp4 "$SCRATCH/overlap/"
(cd "$SHOW_DIR" && ./bearings-capture --part "$SCRATCH/overlap/extra.mp4" --lossless --from 84000 --to 84500 --fps 10 >/dev/null 2>&1)
says "the join of overlapping parts" 1 "*overlapping parts: part-002.mp4 (83000-85000 ms) and extra.mp4 (84000-84500 ms)*" \
  ./bearings-capture --join "$SCRATCH/overlap.mp4" --parts "$SCRATCH/overlap"

# A part that fails is run again once, then named; the others are not joined without it.
cat >"$SCRATCH/flaky" <<TEXT
#!/bin/sh
part=\$(echo "\$*" | grep -o 'part-[0-9]*')
echo try >>"$SCRATCH/tries-\$part"
case \$part in part-002) exit 3 ;; esac
cd "$SHOW_DIR" && exec ./bearings-capture "\$@"
TEXT
chmod +x "$SCRATCH/flaky"
OUT=$(timeout 600 "$root/scripts/export-parallel.sh" --parts 3 --jobs 2 --from 1000 --to 1600 --fps 10 \
  --capture "$SCRATCH/flaky" --work "$SCRATCH/flaky-parts" "$SCRATCH/flaky.mp4" 2>&1)
status=$?
if [ "$status" -eq 1 ] && [[ $OUT == *"part 002 (1200-1400 ms)"* ]] && [ "$(wc -l <"$SCRATCH/tries-part-002")" -eq 2 ] \
   && [ "$(wc -l <"$SCRATCH/tries-part-001")" -eq 1 ] && [ ! -e "$SCRATCH/flaky.mp4" ]; then
  pass "a part failing twice is reported by name and nothing is joined"
else
  fail "failing part: status $status, tries $(cat "$SCRATCH"/tries-* 2>/dev/null | wc -l), '$OUT'"
fi

finish
