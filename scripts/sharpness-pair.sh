#!/usr/bin/env bash
# sharpness-pair.sh -- the README's picture docs/sharp-at-2160.png: a title card's text and the
# wormhole's edge, 1024x768 scaled up to 2160 lines (left) beside the same frames drawn at 2880x2160.
# Run after a build; uses build/show and ffmpeg.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cd build/show
for size in 1024x768 2880x2160; do
  ./bearings-capture --fps 10 --at 6300 --size "$size" --out "$work/card-$size" >/dev/null
  ./bearings-capture --fps 10 --from 84000 --at 90000 --size "$size" --out "$work/wormhole-$size" >/dev/null
done

# Crops of 720x405 at 2160 lines: the card's title, the wormhole's rim against the dark.
pair() {  # NAME FRAME X Y
  ffmpeg -v error -y -i "$work/$1-1024x768/$2" -i "$work/$1-2880x2160/$2" -filter_complex \
    "[0]scale=2880:2160:flags=bicubic,crop=720:405:$3:$4[a];[1]crop=720:405:$3:$4[b];[a][b]hstack=inputs=2,pad=iw:ih+8:0:0:black" \
    "$work/$1.png"
}
pair card frame-006300.png 1080 960
pair wormhole frame-090000.png 700 800
ffmpeg -v error -y -i "$work/card.png" -i "$work/wormhole.png" -filter_complex vstack=inputs=2 "$root/docs/sharp-at-2160.png"
echo "wrote docs/sharp-at-2160.png"
