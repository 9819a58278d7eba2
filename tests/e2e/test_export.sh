#!/usr/bin/env bash
# test_export.sh -- video export (H.264/MP4 with the music, frame 0 on sample 0), reproducible, its
# failures, and the contact sheet; all with no display or sound device.
source "$(dirname "$0")/lib.sh"
no_devices

cd "$SHOW_DIR"
video="$SCRATCH/stretch.mp4"
timeout 600 ./bearings-capture --video "$video" --from 14000 --to 15000 >/dev/null 2>&1
status=$?
probe=$(ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,r_frame_rate,start_time,duration,nb_frames \
  -of compact=nokey=0 "$video" 2>&1)
if [ "$status" -eq 0 ] && echo "$probe" | grep -q 'codec_name=h264|codec_type=video' \
   && echo "$probe" | grep -q 'width=1024|height=768' && echo "$probe" | grep -q 'r_frame_rate=60/1' \
   && echo "$probe" | grep -q 'nb_frames=60' && echo "$probe" | grep 'codec_type=audio' | grep -q 'start_time=0.000000' \
   && echo "$probe" | grep 'codec_type=video' | grep -q 'start_time=0.000000'; then
  pass "a one-second stretch is 60 frames of 1024x768 H.264 at 60 fps, with the music muxed in from the first frame"
else
  fail "streams: status $status, $probe"
fi

# Across the cut from the wormhole's card to the scene, at 84 s.
for run in first again; do
  timeout 600 ./bearings-capture --video "$SCRATCH/$run.mp4" --from 82000 --to 86000 --fps 10 >/dev/null 2>&1
  framemd5 "$SCRATCH/$run.mp4" >"$SCRATCH/$run.md5"
done
if [ "$(grep -c '^0,' "$SCRATCH/first.md5")" -eq 40 ] && cmp -s "$SCRATCH/first.md5" "$SCRATCH/again.md5"; then
  pass "two exports of 82-86 s decode to the same 40 frames and samples"
else
  fail "exports of 82-86 s differ or are empty: $(diff "$SCRATCH/first.md5" "$SCRATCH/again.md5" | head -n 3)"
fi

says "without ffmpeg" 1 "*ffmpeg not found*" env PATH=/nonexistent ./bearings-capture --video "$SCRATCH/none.mp4" --to 100
says "a failing ffmpeg" 1 "*ffmpeg*" ./bearings-capture --video /nonexistent-folder/x.mp4 --to 100

sheet="$SCRATCH/sheet.png"
timeout 900 ./bearings-capture --contact-sheet "$sheet" --fps 1 >/dev/null 2>&1
status=$?
if [ "$status" -eq 0 ] && file "$sheet" | grep -q '1856 x 692'; then
  pass "the contact sheet holds a thumbnail for every entry"
else
  fail "contact sheet: status $status, $(file "$sheet" 2>&1)"
fi

finish
