#!/usr/bin/env bash
# bench_slurm.sh -- prints what the README's Slurm recipe costs on the one-node cluster of the
# tests: starting and stopping the cluster, and a stretch exported as 1, 2, 4... array tasks of
# two CPUs each, from the first sbatch to the joined file, with its size and key frames.
# usage: bench_slurm.sh SHOW_DIR [FROM TO [TASKS...]]   (default 120000 180000 1 2 4, at 60 fps)
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/cluster.sh"
no_devices
trap 'stop_slurm; rm -rf "$SCRATCH"' EXIT
trap 'exit 1' INT TERM HUP
from=${2:-120000} to=${3:-180000} tasks=("${@:4}")
[ ${#tasks[@]} -gt 0 ] || tasks=(1 2 4)

seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

install_show "$SCRATCH/prefix" || exit 1
export PATH="$SCRATCH/prefix/bin:$PATH"
echo "machine: $(nproc) cores, load $(load)"
start=$EPOCHREALTIME
start_slurm || exit 1
echo "cluster started in $(seconds_since "$start") s"

for n in "${tasks[@]}"; do
  read_recipe "$n" "$from" "$to" 60 ""
  start=$EPOCHREALTIME
  run_recipe "$SCRATCH/run-$n"
  wait_jobs "$array" 7200 && wait_jobs "$join" 600
  wall=$(seconds_since "$start")
  video="$SCRATCH/run-$n/bearings.mp4"
  keys=$(ffprobe -v error -select_streams v:0 -show_entries packet=flags -of csv=p=0 "$video" | grep -c '^K')
  echo "$n task(s) of $(((to - from) / n)) ms: ${wall} s from sbatch to the joined file;" \
       "$(stat -c %s "$video" 2>/dev/null | awk '{ printf "%.2f MB", $1 / 1e6 }'), $keys key frames; load $(load)"
  rm -rf "$SCRATCH/run-$n"
done

start=$EPOCHREALTIME
stop_slurm
echo "cluster stopped in $(seconds_since "$start") s"
