#!/usr/bin/env bash
# test_no_devices.sh -- no display or no audio device: one clear line and status 1, no crash.
source "$(dirname "$0")/lib.sh"

show=$SHOW_DIR

# SDL falls back to an off-screen driver when nothing is named; a desktop user's X11 with no
# display to reach is the case that must fail cleanly.
OUT=$(cd "$show" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 timeout 60 ./bearings 2>/dev/null)
STATUS=$?
if { [ "$OUT" = "Failed to set video mode" ] || [ "$OUT" = "SDL_Init failed" ]; } && [ "$STATUS" -eq 1 ]; then
  pass "no display: '$OUT', status 1"
else
  fail "no display: got '$OUT' and status $STATUS"
fi

start_display
OUT=$(cd "$show" && SDL_AUDIODRIVER=no-such-driver timeout 60 ./bearings 2>/dev/null)
STATUS=$?
if [ "$OUT" = "Mix_OpenAudio failed" ] && [ "$STATUS" -eq 1 ]; then
  pass "no audio device: '$OUT', status 1"
else
  fail "no audio device: got '$OUT' and status $STATUS"
fi

finish
