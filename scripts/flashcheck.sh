#!/usr/bin/env bash
# flashcheck.sh -- captures the show, or a stretch of it, and holds every frame against the
# photosensitive flash rules (general and red flashes); prints the failing stretches and a summary,
# and can draw the risk picture.
set -euo pipefail

usage() {
  cat <<'TEXT'
usage: scripts/flashcheck.sh [options]
  --gentle         check the gentle show (bearings --gentle)
  --from MS        the stretch's start in show time (default 0)
  --to MS          its end (default the show's end, 490000)
  --fps N          frames per second of the capture (default 30)
  --size WxH       capture size, 4:3 (default 512x384; the rules scale with the picture)
  --picture FILE   the risk picture (PNG): a row per running-order entry, a cell per second
  --title TEXT     its title line (the summary goes under it)
  --build DIR      the build folder (default build)
Exits 0 when nothing fails, 1 when a rule fails, 2 on a usage error, 3 when the capture or the
analysis broke off.
TEXT
}

cd "$(dirname "$0")/.."
gentle="" from=0 to=490000 fps=30 size=512x384 picture="" title="" build=build
while [ $# -gt 0 ]; do
  case $1 in
    --from|--to|--fps|--size|--picture|--title|--build)
      [ $# -ge 2 ] || { echo "flashcheck: $1 needs a value" >&2; exit 2; }
      declare "${1#--}=$2"
      shift 2 ;;
    --gentle) gentle=--gentle; shift ;;
    --help) usage; exit 0 ;;
    *) echo "flashcheck: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
done
show=$(cd "$build/show" && pwd)
checker=$(cd "$build/flashcheck" && pwd)/bearings-flashcheck
[ -x "$show/bearings-capture" ] && [ -x "$checker" ] || { echo "flashcheck: build the show first (cmake --build $build)" >&2; exit 3; }
for tool in ffmpeg mkfifo; do
  command -v $tool >/dev/null || { echo "flashcheck: $tool is needed" >&2; exit 3; }
done
[ -z "$picture" ] || picture=$(realpath -m "$picture")

work=$(mktemp -d /tmp/bearings-flashcheck-XXXXXX)
trap 'rm -rf "$work"' EXIT
# The capture tool's lossless video, streamed to the decoder through a pipe: the tool's ffmpeg
# writes Matroska (named by the link) to its standard output. No file of the frames is written.
ln -s /dev/stdout "$work/frames.mkv"
set +e
(cd "$show" && exec ./bearings-capture --video "$work/frames.mkv" --lossless --fps "$fps" --size "$size" \
  --from "$from" --to "$to" $gentle 2>"$work/capture.log") |
  ffmpeg -v error -nostdin -i pipe:0 -map 0:v:0 -fps_mode passthrough -f rawvideo -pix_fmt rgb24 - |
  "$checker" --size "$size" --fps "$fps" --from "$from" --to "$to" ${picture:+--picture "$picture"} \
    ${title:+--title "$title"}
statuses=("${PIPESTATUS[@]}")
set -e
if [ "${statuses[0]}" -ne 0 ]; then
  cat "$work/capture.log" >&2
  echo "flashcheck: the capture failed" >&2
  exit 3
fi
exit "${statuses[2]}"
