#!/usr/bin/env bash
# avsync.sh -- picture against sound as a viewer gets them: the real program under Xvfb playing to a
# PulseAudio null sink, the sink recorded with timestamps, every buffer swap stamped by a preloaded
# wrapper; prints per cut when it was heard and seen, the offset, their mean and spread, and the drift.
#
# usage: scripts/avsync.sh [--seconds N] [--busy N] [--calibrate] [--jump AT] [--program FILE] [--max-mean MS]
#                          [--max-cut MS] [--stall AT,SECONDS | --restart AT | --move AT] [--max-back S]
#                          [--keep DIR] [BUILD_DIR]
#   --seconds N   how long to play after the music starts (default 82: cuts at 0, 14, 28, 36, 76 s;
#                 a cut is measured when 5 s of play follow it)
#   --busy N      run N busy processes alongside (a loaded machine)
#   --stall AT,S  at AT s after the music started, suspend the sink for S s (a device that stalls)
#   --restart AT  at AT s, kill the sound server and start it again (a lost device that comes back)
#   --move AT     at AT s, move the program's stream to a second null sink (headphones plugged in)
#   --max-back S  with a fault: exit 1 unless every cut from S s after it ended is within a frame + 15 ms;
#                 the cuts before that are then left out of the other bounds
#   --calibrate   measure the calibration source instead: a flash and a click issued together
#   --jump AT     press Right AT seconds after the music starts (within 14-76 s) and measure the cuts
#                 from the entry it leads to: its first frame against the music started there, then on
#   --program F   play this build of the program instead (another version, for a before and after)
#   --keep DIR    keep the recording, the frame stamps and the logs there
#   --max-mean, --max-cut   bounds (ms) on the mean offset and on every cut; exit 1 beyond them
# Skips (exit 77, with a line saying why) where Xvfb, PulseAudio, numpy or the harness are missing.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=82 busy=0 calibrate=0 jump="" keep="" program_file="" bounds=() fault="" fault_at="" stall_for=""
while [ $# -gt 0 ]; do
  case "$1" in
    --stall) fault=stall fault_at=${2%,*} stall_for=${2#*,}; shift 2 ;;
    --restart|--move) fault=${1#--} fault_at=$2; shift 2 ;;
    --max-back) bounds+=("$1" "$2"); shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --busy) busy=$2; shift 2 ;;
    --calibrate) calibrate=1; shift ;;
    --jump) jump=$2; shift 2 ;;
    --program) program_file=$(realpath "$2"); shift 2 ;;
    --max-mean|--max-cut) bounds+=("$1" "$2"); shift 2 ;;
    --keep) keep=$2; shift 2 ;;
    -*) echo "avsync: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
build=$(cd "${1:-build}" && pwd)
show="$build/show" harness="$build/avsync"

skip() { echo "avsync: skipped: $*"; exit 77; }
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
command -v pulseaudio >/dev/null || skip "pulseaudio is not installed"
command -v ffmpeg >/dev/null || skip "ffmpeg is not installed"
[ -z "$jump" ] || command -v xdotool >/dev/null || skip "xdotool is not installed (for --jump)"
/usr/bin/python3 -c 'import numpy' 2>/dev/null || skip "python3-numpy is not installed"
[ -x "$harness/bearings-avsync-recorder" ] || skip "the harness was not built (libpulse-dev missing at configure time)"

work=$(mktemp -d /tmp/bearings-avsync-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  if [ -n "$keep" ]; then mkdir -p "$keep" && cp "$work"/*.txt "$work"/*.log "$work"/rec*.raw "$work"/rec*.times "$keep"/ 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A sound server of our own, private to this run: a null sink as the only device, and a second one
# for a stream to be moved to.
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
start_server() {
  pulseaudio --daemonize=no -n --exit-idle-time=-1 --use-pid-file=no --disallow-module-loading=no \
    --load="module-null-sink sink_name=avsync rate=44100" --load="module-null-sink sink_name=avsync2 rate=44100" \
    --load="module-native-protocol-unix" >>"$work/pulse.log" 2>&1 &
  server_pid=$!
  pids+=("$server_pid")
  for _ in $(seq 1 50); do [ -S "$XDG_RUNTIME_DIR/pulse/native" ] && break; sleep 0.1; done
  [ -S "$XDG_RUNTIME_DIR/pulse/native" ]
}
start_server || skip "pulseaudio did not start: $(tail -1 "$work/pulse.log")"
export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"

for n in $(seq 150 199); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
pids+=("$xvfb_pid")
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display

# Each recording is one stretch of one sink's monitor: the first sink's from the start, the second
# sink's with a move, and the first sink's again once a restarted server is up.
recordings=0
record() {
  recordings=$((recordings + 1))
  local name=rec; [ "$recordings" -gt 1 ] && name=rec$recordings
  "$harness/bearings-avsync-recorder" "$1" "$work/$name.raw" "$work/$name.times" 2>>"$work/recorder.log" &
  pids+=($!)
}
record avsync.monitor
[ "$fault" = move ] && record avsync2.monitor
for _ in $(seq 1 "$busy"); do
  (while :; do :; done) &
  pids+=($!)
done

unset SDL_AUDIODRIVER SDL_VIDEODRIVER
if [ "$calibrate" -eq 1 ]; then
  program=("$harness/bearings-avsync-calibrate" "$seconds")
else
  program=("${program_file:-./bearings}")
  # The gentle show: the same clock and cuts, without the photosensitivity warning, whose page
  # before the loading screen would stand in the opening cut's picture from before (builds from
  # before the warning have no such option).
  (cd "$show" && "${program[0]}" --help 2>&1 | grep -q -- --gentle) && program+=(--gentle)
fi
(cd "$show" && AVSYNC_FRAMES="$work/frames.txt" LD_PRELOAD="$harness/libbearings-avsync-swapstamp.so" \
  exec "${program[@]}") >"$work/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")

# The monotonic time (s), as the recorder and the swap stamper read it.
stamp() { /usr/bin/python3 -c 'import time; print(f"{time.monotonic():.4f}")'; }

# Brings on the fault and writes when it began and ended to faults.txt.
bring_fault() {
  local began ended
  case "$fault" in
    stall)
      began=$(stamp); pactl suspend-sink avsync 1
      sleep "$stall_for"
      pactl suspend-sink avsync 0; ended=$(stamp)
      echo "stall $began $ended $stall_for" >"$work/faults.txt" ;;
    restart)
      began=$(stamp); kill "$server_pid"; wait "$server_pid" 2>/dev/null
      rm -f "$XDG_RUNTIME_DIR/pulse/native"
      start_server; ended=$(stamp)
      record avsync.monitor
      echo "restart $began $ended" >"$work/faults.txt" ;;
    move)
      local stream; stream=$(pactl list short sink-inputs | cut -f1 | head -1)
      began=$(stamp); pactl move-sink-input "$stream" avsync2; ended=$(stamp)
      echo "move $began $ended" >"$work/faults.txt" ;;
  esac
}

# Play on until the music has sounded for the requested time (counted from the first loud read),
# bringing on the fault or pressing the jump at its time.
started="" faulted="" jumped=""
micros() { echo "${EPOCHREALTIME/./}"; }
fault_us=$(awk -v at="${fault_at:-0}" 'BEGIN { printf "%d", at * 1000000 }')
for _ in $(seq 1 $(( (seconds + 120) * 5 ))); do
  kill -0 "$program_pid" 2>/dev/null || break
  if [ -z "$started" ] && [ -s "$work/rec.raw" ] && tail -c 17640 "$work/rec.raw" | /usr/bin/python3 -c '
import sys, numpy as np
a = np.frombuffer(sys.stdin.buffer.read(), dtype=np.int16)
sys.exit(0 if len(a) and np.abs(a).max() > 64 else 1)'; then
    started=$(micros)
  fi
  if [ -n "$started" ] && [ -n "$fault" ] && [ -z "$faulted" ] && [ $(( $(micros) - started )) -ge "$fault_us" ]; then
    bring_fault
    faulted=1
  fi
  if [ -n "$jump" ] && [ -n "$started" ] && [ -z "$jumped" ] && [ $(( $(micros) - started )) -ge $(( jump * 1000000 )) ]; then
    xdotool key Right
    jumped=yes
  fi
  if [ -n "$started" ] && [ $(( $(micros) - started )) -ge $(( seconds * 1000000 )) ]; then break; fi
  sleep 0.2
done
kill "$program_pid" 2>/dev/null
# The rest but the display and the sound server, which the program may still be closing.
for pid in "${pids[@]}"; do [ "$pid" = "$server_pid" ] || [ "$pid" = "$xvfb_pid" ] || kill "$pid" 2>/dev/null; done
sleep 0.3
[ -n "$started" ] || { cat "$work/program.log"; echo "avsync: no sound reached the sink"; exit 1; }

echo "avsync: $([ "$calibrate" -eq 1 ] && echo "calibration source" || echo "bearings"), $busy busy process(es), $seconds s${fault:+, $fault at $fault_at s${stall_for:+ for $stall_for s}}"
grep '^bearings:' "$work/program.log"
ffmpeg -v error -y -i "$show/music.ogg" -f s16le -ac 1 -ar 44100 "$work/music.raw"
# The cuts with at least 5 s of the play after them, which finding them needs.
cuts=$(printf '%s\n' 0 14000 28000 36000 76000 | awk -v end="$seconds" '$1 <= (end - 5) * 1000' | paste -sd,)
extra=()
[ "$calibrate" -eq 1 ] && extra=(--clicks)
if [ -n "$jump" ]; then
  # Right leads to the first of these cuts after the key; it and the later ones are measured.
  target=$(tr , '\n' <<<"$cuts" | awk -v at="$jump" '$1 > at * 1000 {print; exit}')
  [ -n "$target" ] || { echo "avsync: --jump $jump: no cut after it to measure"; exit 2; }
  cuts=$(tr , '\n' <<<"$cuts" | awk -v t="$target" '$1 >= t' | paste -sd,)
  extra+=(--resumed-at "$target")
  echo "avsync: Right pressed $jump s into the music, to the entry at $((target / 1000)) s"
fi
/usr/bin/python3 tools/avsync/analyse.py "$work" "$work/music.raw" "$cuts" "${extra[@]}" "${bounds[@]}"
