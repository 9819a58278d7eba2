#!/usr/bin/env bash
# test_no_devices.sh -- no display or no audio device: one clear line and status 1, no crash.
source "$(dirname "$0")/lib.sh"

show=$SHOW_DIR

# With no display SDL, left to choose, falls back to a driver that draws nowhere, which the show must
# refuse rather than play unseen; a desktop user's X11 with no display to reach fails as well. Each
# takes one of the window options, which must be accepted for it to get that far.
for named in "" x11; do
  options=$([ -n "$named" ] && echo --native || echo --window 800x600)
  OUT=$(cd "$show" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ${named:+SDL_VIDEODRIVER=$named} \
          timeout 60 ./bearings $options 2>/dev/null)
  STATUS=$?
  if { [ "$OUT" = "Failed to set video mode" ] || { [ -n "$named" ] && [ "$OUT" = "SDL_Init failed" ]; }; } &&
     [ "$STATUS" -eq 1 ]; then
    pass "no display, ${named:-no} driver named, $options: '$OUT', status 1"
  else
    fail "no display, ${named:-no} driver named, $options: got '$OUT' and status $STATUS"
  fi
done

start_display
OUT=$(cd "$show" && SDL_AUDIODRIVER=no-such-driver timeout 60 ./bearings 2>/dev/null)
STATUS=$?
if [ "$OUT" = "Mix_OpenAudio failed" ] && [ "$STATUS" -eq 1 ]; then
  pass "no audio device: '$OUT', status 1"
else
  fail "no audio device: got '$OUT' and status $STATUS"
fi

finish
