#!/usr/bin/env bash
# test_keys.sh -- with every asset the show plays; Ctrl+F, F and other keys keep it going, Escape
# ends it with status 0.
source "$(dirname "$0")/lib.sh"
start_display

show=$SHOW_DIR
(cd "$show" && exec timeout 300 ./bearings >"$SCRATCH/stdout" 2>/dev/null) &
pid=$!

# The keys queue up while the timeline loads and are handled by the first frames.
if ! xdotool search --sync --onlyvisible --limit 1 --name '' >/dev/null 2>&1; then
  sleep 5
fi
sleep 2
xdotool key ctrl+f f a space Return ctrl+f 2>/dev/null

# Give the timeline time to load and the show time to handle those keys in its first frames.
for _ in $(seq 1 20); do
  sleep 1
  kill -0 "$pid" 2>/dev/null || break
done
if kill -0 "$pid" 2>/dev/null; then
  pass "Ctrl+F, F and other keys do not end the show"
else
  wait "$pid"
  fail "the show ended before Escape (status $?, output '$(cat "$SCRATCH/stdout")')"
fi

xdotool key Escape 2>/dev/null
for _ in $(seq 1 60); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 1
done
wait "$pid"
status=$?
if [ "$status" -eq 0 ] && [ ! -s "$SCRATCH/stdout" ]; then
  pass "Escape ends the show with status 0 and prints nothing"
else
  fail "Escape: status $status, output '$(cat "$SCRATCH/stdout")'"
fi

finish
