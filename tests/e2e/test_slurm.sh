#!/usr/bin/env bash
# test_slurm.sh -- the README's Slurm recipe, read out of README.md and run as it stands on a
# one-node cluster started here: the array of parts and the join behind it make the one-process
# export; a failed task holds the join back, the README's command names it, and its rerun completes
# the export.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/cluster.sh"
no_devices
root=$(cd "$(dirname "$0")/../.." && pwd)
need munged mungekey slurmctld slurmd sbatch squeue
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: the one-node cluster needs root (slurmd starts each job as its user)"
  exit 0
fi
trap 'stop_slurm; rm -rf "$SCRATCH"' EXIT
trap 'exit 1' INT TERM HUP

# 81-87 s at 10 fps and a quarter of the size, three parts with seams at 83 and 85 s, across the
# cut at 84 s.
from=81000 to=87000
read_recipe 3 $from $to 10 "--lossless --size 512x384" ||
  abort "the README's Slurm recipe has changed shape: script '$part_script', submit '$submit', names '$names', rerun '$rerun'"
rerun=$(echo "$rerun" | sed 's/--array=N /--array=1 /')

prefix="$SCRATCH/prefix"
install_show "$prefix" || abort "the show could not be installed"
export PATH="$prefix/bin:$PATH"
(cd "$SHOW_DIR" && timeout 600 ./bearings-capture --video "$SCRATCH/one.mp4" --lossless --size 512x384 \
  --from $from --to $to --fps 10 >/dev/null 2>&1)
framemd5 "$SCRATCH/one.mp4" >"$SCRATCH/one.md5"

start_slurm || abort "no cluster"

run_recipe "$SCRATCH/run"
wait_jobs "$array" 300 && wait_jobs "$join" 120
framemd5 "$SCRATCH/run/bearings.mp4" >"$SCRATCH/run.md5"
if [ "$(grep -c '^0,' "$SCRATCH/one.md5")" -eq 60 ] && cmp -s "$SCRATCH/one.md5" "$SCRATCH/run.md5"; then
  pass "3 array tasks and the join after them decode to the one-process export's 60 frames and its samples"
else
  fail "the joined export differs from the one-process one: $(squeue -j "$array,$join" -t all -o '%i %T %r' | tr '\n' ' ')$(cat "$SCRATCH"/run/parts/log-*.txt "$SCRATCH"/run/slurm-*.out 2>/dev/null | tail -n 4)"
fi

# Task 1 fails, as if bearings-capture could not run on its node.
mkdir -p "$SCRATCH/failing"
cat >"$SCRATCH/failing/bearings-capture" <<TEXT
#!/bin/sh
case "\$*" in *part-002.mp4*) echo "bearings-capture: made to fail" >&2; exit 1 ;; esac
exec "$prefix/bin/bearings-capture" "\$@"
TEXT
chmod +x "$SCRATCH/failing/bearings-capture"
PATH="$SCRATCH/failing:$PATH" run_recipe "$SCRATCH/failed"
wait_jobs "$array" 300 && wait_jobs "$join" 60
OUT=$(cd "$SCRATCH/failed" && eval "$names")
held=$(squeue -h -j "$join" -o '%T %r')
if [[ $OUT == *"${array}_1 FAILED"* && $OUT == *"${array}_0 COMPLETED"* && $OUT == *"${array}_2 COMPLETED"* ]] \
   && [ "$held" = "PENDING DependencyNeverSatisfied" ] && [ ! -e "$SCRATCH/failed/bearings.mp4" ] \
   && grep -q 'made to fail' "$SCRATCH/failed/parts/log-1.txt"; then
  pass "a failed task holds the join back ($held), its log says why, and the README's command names it: $(echo "$OUT" | grep FAILED)"
else
  fail "failed task: join '$held', named '$OUT', joined file $(ls "$SCRATCH/failed/bearings.mp4" 2>&1)"
fi

# The README's rerun of that task, and the join behind it.
cd "$SCRATCH/failed" && eval "$rerun" && cd "$root"
wait_jobs "$again" 120 && wait_jobs "$join" 120
framemd5 "$SCRATCH/failed/bearings.mp4" >"$SCRATCH/failed.md5"
if cmp -s "$SCRATCH/one.md5" "$SCRATCH/failed.md5"; then
  pass "the failed task run again and the join behind it complete the export"
else
  fail "rerun: $(squeue -j "$again,$join" -t all -o '%i %T %r' | tr '\n' ' ')"
fi

finish
