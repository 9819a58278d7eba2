#!/usr/bin/env bash
# test_viewer.sh -- the viewer's keys in the live show under Xvfb: keys pressed while it loads are
# obeyed at its first frame, a pause holds a jump's frame, and the entry starts reached with Right,
# Left and Home look as the capture tool draws them; --start names an entry; a window resized while
# the storm plays keeps its point sizes; without --gentle the photosensitivity warning comes first
# and a key starts the show, which quits cleanly when terminated. Skips without xdotool or ffmpeg.
source "$(dirname "$0")/lib.sh"
need xdotool ffmpeg Xvfb

# The capture tool's frames at the entry starts the keys lead to, and a second before each.
# Gentle on both sides: the plain show puts its warning up first, which drops keys pressed while loading.
(cd "$SHOW_DIR" && SDL_AUDIODRIVER=dummy timeout 900 ./bearings-capture --gentle --fps 2 --at 0 --at 299000 --at 300000 --at 331000 \
  --at 332000 --out "$SCRATCH/capture" >/dev/null 2>&1)
reference() { printf '%s/capture/frame-%06d.png' "$SCRATCH" "$1"; }

start_display
shot="$SCRATCH/shot.png"
grab() { ffmpeg -v error -y -f x11grab -video_size 1024x768 -i "$DISPLAY" -frames:v 1 "$shot" 2>/dev/null; }
press() { xdotool key "$@" 2>/dev/null; }  # to the focus: the show's window, alone on the display
# Waits until the screen is within 2.5 levels of the capture at MS, or of a picture (the grain
# differs: it takes one random value a frame), for at most 240 s; says how close it came.
wait_for() {  # MS | PICTURE
  local diff picture=$1
  [[ $1 == *.png ]] || picture=$(reference "$1")
  closest=
  for _ in $(seq 1 240); do
    grab || { sleep 1; continue; }
    diff=$("$MEASURE" mean-diff "$shot" "$picture")
    closest=$diff
    awk "BEGIN { exit !($diff < 2.5) }" && return 0
    sleep 1
  done
  return 1
}
# A paused frame at an entry's start is that start, not a moment of the entry before it.
not_before() {  # MS BEFORE_MS
  local before
  before=$("$MEASURE" mean-diff "$shot" "$(reference "$2")")
  awk "BEGIN { exit !($before > $closest + 2) }"
}

(cd "$SHOW_DIR" && SDL_AUDIODRIVER=dummy exec timeout 900 ./bearings --gentle --window 1024x768 --start 305 >"$SCRATCH/show.out" 2>&1) &
show=$!
# Keys reach the window once it is mapped (before that they go to the display's root).
timeout 300 xdotool search --sync --onlyvisible --class '^bearings$' >/dev/null 2>&1
sleep 1
# Pressed while the show loads: Space pauses at its first frame (305 s, in the border: a start
# further in costs its frames), and Right jumps from there to the storm's card.
press space Right
if wait_for 332000 && not_before 332000 331000; then
  pass "started at 305 s, Space and Right pressed while loading: paused at the storm card's start ($closest levels)"
else
  fail "Space and Right from 305 s: closest to the storm card's start '$closest' levels"
fi
# Resized while playing, the storm keeps its point sizes: the frame it pauses on matches the same
# moment drawn after a fresh start at the new size, which a step back and forth gives (the step back
# starts the entry again). Left at one pixel, its points would be a sixth as wide.
press Right
sleep 2
window=$(xwininfo -root -tree 2>/dev/null | awk '/"bearings"/ {print $1; exit}')
press space
xdotool windowsize "$window" 800 450 2>/dev/null
sleep 2
press space
grab_window() {  # FILE: the window's picture once the chapter line has faded
  local left top
  sleep 4
  read -r left top < <(xwininfo -id "$window" 2>/dev/null | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {print x, $NF}')
  ffmpeg -v error -y -f x11grab -video_size 800x450 -i "$DISPLAY+${left:-0},${top:-0}" -frames:v 1 "$1" 2>/dev/null
}
grab_window "$SCRATCH/resized.png"
press comma period
grab_window "$SCRATCH/fresh.png"
# Points at one pixel darken the picture by about 2 levels; the grain alone moves it by hundredths.
ffmpeg -v error -y -f lavfi -i color=black:s=800x450 -frames:v 1 "$SCRATCH/black.png"
kept=$("$MEASURE" mean-diff "$SCRATCH/resized.png" "$SCRATCH/fresh.png")
resized=$("$MEASURE" mean-diff "$SCRATCH/resized.png" "$SCRATCH/black.png")
fresh=$("$MEASURE" mean-diff "$SCRATCH/fresh.png" "$SCRATCH/black.png")
if [ -n "$kept" ] && awk "BEGIN { d = $resized - $fresh; exit !($kept < 2.5 && d < 0.5 && d > -0.5 && $fresh > 20) }"; then
  pass "the storm resized to 800x450 while playing is within $kept levels of a fresh start at that size (mean $resized against $fresh)"
else
  fail "the storm resized while playing: '$kept' levels from a fresh start, mean '$resized' against '$fresh'"
fi
# The 4:3 picture at 600x450 between black bars.
bars=$("$MEASURE" outside "$SCRATCH/resized.png" 100 0 600 450)
edge=$("$MEASURE" outside "$SCRATCH/resized.png" 101 0 598 450)
if [ "$bars" = 0 ] && [ "${edge:-0}" -gt 0 ]; then
  pass "the resized window shows the picture at 600x450 between black bars"
else
  fail "the resized window: brightest bar pixel '$bars', picture edge '$edge'"
fi
xdotool windowsize "$window" 1024 768 2>/dev/null
sleep 2
# Left twice, paused: back to the storm's card, then the border's start, its streams not yet under way.
press Left Left
if wait_for 300000 && not_before 300000 299000; then
  pass "Left twice while paused: the border's start ($closest levels)"
else
  fail "Left to the border's start: closest '$closest' levels"
fi
# Home: the title card, as at the show's first frame.
press Home
if wait_for 0; then
  pass "Home: the show's first frame ($closest levels)"
else
  fail "Home: closest to the first frame '$closest' levels"
fi
# Space plays on and Escape ends the show as before.
press space
sleep 2
if escape_ends "$show" "$SCRATCH/show.out"; then
  pass "Space resumes and Escape ends the show, status 0, nothing printed"
else
  fail "resume and Escape: status $status, output '$(cat "$SCRATCH/show.out")'"
fi

# Without --gentle the warning comes up after loading, before the music.
ffmpeg -v error -y -i "$SHOW_DIR/flashwarning.png" -vf scale=1024:768 "$SCRATCH/warning.png"
(cd "$SHOW_DIR" && SDL_AUDIODRIVER=dummy exec timeout 900 ./bearings --window 1024x768 >"$SCRATCH/plain.out" 2>&1) &
show=$!
if wait_for "$SCRATCH/warning.png"; then
  pass "the plain show puts up its photosensitivity warning first ($closest levels from the page)"
else
  fail "no warning page: closest '$closest' levels"
fi
# After a key on it the show plays (where, depends on the machine's speed): Space and Home then hold
# its first card.
press space
sleep 2
press space Home
if wait_for 0; then
  pass "after a key on the warning the show plays: Space and Home hold its first card ($closest levels)"
else
  fail "after a key on the warning: closest to the first card '$closest' levels"
fi
kill "$show"
wait "$show"
status=$?
if [ "$status" -eq 0 ] && [ ! -s "$SCRATCH/plain.out" ]; then
  pass "terminated, the show quits cleanly: status 0, nothing printed"
else
  fail "terminated: status $status, output '$(cat "$SCRATCH/plain.out")'"
fi

finish
