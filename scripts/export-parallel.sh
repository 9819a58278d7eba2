#!/usr/bin/env bash
# export-parallel.sh -- exports the show, or a stretch of it, in parts run as independent jobs
# through GNU parallel (on this machine or over ssh on several), then joins the parts.
set -euo pipefail

usage() {
  cat <<'TEXT'
usage: scripts/export-parallel.sh [options] OUTPUT.mp4
  --parts N        how many parts to cut the stretch into (default 4)
  --from MS        the stretch's start in show time (default 0)
  --to MS          its end (default the show's end, 490000)
  --fps N          frames per second (default 60)
  --lossless       H.264 at -qp 0, to check a join against a one-process export
  --jobs N         parts run at once on each machine (parallel's -j; default: one per core)
  --sshlogin LIST  machines to run parts on, as GNU parallel takes them (-S): each needs GNU
                   parallel, rsync and the show installed (bearings-capture on its PATH); the
                   parts come back over rsync
  --work DIR       folder for the parts and the job log (default: a new one in $TMPDIR or
                   /tmp, removed after the join, kept when anything fails)
  --capture CMD    how a job starts the capture tool (default: this checkout's build, else
                   bearings-capture from the PATH; with --sshlogin, bearings-capture)
A part that fails is run once more, then reported by name; nothing is joined then.
TEXT
}

parts=4 from=0 to=490000 fps=60 lossless="" jobs="" sshlogin="" work="" capture="" output=""
while [ $# -gt 0 ]; do
  case $1 in
    --parts|--from|--to|--fps|--jobs|--sshlogin|--work|--capture)
      [ $# -ge 2 ] || { echo "export-parallel: $1 needs a value" >&2; exit 2; }
      declare "${1#--}=$2"
      shift 2 ;;
    --lossless) lossless=--lossless; shift ;;
    --help) usage; exit 0 ;;
    -*) echo "export-parallel: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) [ -z "$output" ] || { echo "export-parallel: one output file only" >&2; exit 2; }
       output=$1; shift ;;
  esac
done
[ -n "$output" ] || { usage >&2; exit 2; }
for number in "$parts" "$from" "$to" "$fps" ${jobs:+"$jobs"}; do
  [[ $number =~ ^[0-9]+$ ]] || { echo "export-parallel: '$number' is not a whole number" >&2; exit 2; }
done
[ "$parts" -ge 1 ] && [ "$to" -gt "$from" ] || { echo "export-parallel: need --parts >= 1 and --to after --from" >&2; exit 2; }
command -v parallel >/dev/null || { echo "export-parallel: GNU parallel not found (scripts/setup.sh installs it)" >&2; exit 1; }

case $output in /*) ;; *) output=$PWD/$output ;; esac
build_show=$(cd "$(dirname "$0")/.." && pwd)/build/show
if [ -z "$capture" ]; then
  if [ -z "$sshlogin" ] && [ -x "$build_show/bearings-capture" ]; then
    capture="cd '$build_show' && ./bearings-capture"
  else
    capture=bearings-capture
  fi
fi
made_work=""
if [ -z "$work" ]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/bearings-parts-XXXXXX")
  made_work=yes
else
  mkdir -p "$work"
  work=$(cd "$work" && pwd)
fi
rm -f "$work"/part-*.mp4

# Part i holds [from + i*length/N, from + (i+1)*length/N): stretches that meet share no frame.
list="$work/parts.txt"
: >"$list"
for ((i = 0; i < parts; i++)); do
  printf '%03d %d %d\n' "$((i + 1))" "$((from + (to - from) * i / parts))" "$((from + (to - from) * (i + 1) / parts))" >>"$list"
done

runner=(parallel --will-cite --colsep ' ' --retries 2 --joblog "$work/jobs.log" --tagstring 'part {1}')
[ -n "$jobs" ] && runner+=(-j "$jobs")
# On another machine a part is made in a folder of its own that parallel creates and removes
# (--wd ...), so nothing is left there, and comes back over rsync; on this one (":") it is
# written into the work folder directly.
[ -n "$sshlogin" ] && runner+=(--sshlogin "$sshlogin" --wd ... --return "$work/./part-{1}.mp4" --cleanup)
part_file="\"\$([ \"\$PARALLEL_SSHLOGIN\" = : ] && echo '$work/')part-{1}.mp4\""
echo "export-parallel: $parts parts of $from-$to ms at $fps fps in $work"
set +e
"${runner[@]}" "$capture --part $part_file --from {2} --to {3} --fps $fps $lossless" :::: "$list"
set -e

# The job log has one line per part, for its last try, numbered as the list is.
failed=$(awk -F'\t' 'FNR == NR { if (FNR > 1 && ($7 != 0 || $8 != 0)) host[$1] = $2; next }
                     FNR in host { printf "part %s (%d-%d ms) on %s\n", $1, $2, $3, host[FNR] == ":" ? "this machine" : host[FNR] }' \
  "$work/jobs.log" FS=' ' "$list")
if [ -n "$failed" ]; then
  echo "export-parallel: failed twice, nothing joined; log and parts kept in $work:" >&2
  echo "$failed" | sed 's/^/  /' >&2
  exit 1
fi

join=(--join "$output" --parts "$work" --from "$from" --to "$to")
if [ -z "$sshlogin" ] && [ "$capture" = "cd '$build_show' && ./bearings-capture" ]; then
  joined() { (cd "$build_show" && ./bearings-capture "${join[@]}"); }
else
  joined() { bash -c "$capture \"\$@\"" join "${join[@]}"; }
fi
if ! joined; then
  echo "export-parallel: the join failed; log and parts kept in $work" >&2
  exit 1
fi
# The parts are in the joined file now; a folder the user named is theirs to keep.
[ -z "$made_work" ] || rm -rf "$work"
echo "export-parallel: wrote $output"
