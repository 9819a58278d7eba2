#!/usr/bin/env bash
# test_windows.sh -- the Windows zip (scripts/windows.sh) under Wine on a virtual display: its file
# list and imports, the cross-built unit tests, frames against the native capture tool's, the start
# and Escape, and a missing or damaged asset. Skipped when the cross-compiler or Wine is missing.
source "$(dirname "$0")/lib.sh"

root=$(cd "$(dirname "$0")/../.." && pwd)
host=x86_64-w64-mingw32
need $host-g++ $host-objdump wine wineserver zip unzip xdotool ffmpeg
start_display
# The libraries as CI keeps them between runs, where scripts/windows.sh keeps them by default.
kept=${BEARINGS_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/bearings/windows-deps}

# Wine in a folder of its own, quiet, without the browser and .NET add-ons it would offer to fetch;
# ALSA's null device stands in for a sound card, which the show needs to start.
export WINEPREFIX="$SCRATCH/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME="$SCRATCH/home"
mkdir -p "$HOME"
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"
trap 'wineserver -k 2>/dev/null; kill "${XVFB_PIDS[@]}" 2>/dev/null; rm -rf "$SCRATCH"' EXIT

# Built once if CI kept none (the cold build of the libraries: minutes).
BEARINGS_WINDOWS_DEPS="$kept" "$root/scripts/windows.sh" --deps-only >"$SCRATCH/deps.log" 2>&1 ||
  abort "building the libraries failed: $(tail -20 "$SCRATCH/deps.log")"

# As the first command of a fresh checkout: no native build, an empty cache folder (the libraries
# are taken from the kept set rather than built again). A first run whose native configure fails
# leaves no half-made build behind, and the next run from the same empty start builds the zip.
out="$SCRATCH/out"
fresh() {  # [VARIABLE=VALUE...]: scripts/windows.sh as on a fresh checkout, the cache folder emptied
  rm -rf "$SCRATCH/cache" && mkdir "$SCRATCH/cache"
  env -u BEARINGS_WINDOWS_DEPS XDG_CACHE_HOME="$SCRATCH/cache" BEARINGS_WINDOWS_DEPS_FROM="$kept" \
    BEARINGS_NATIVE_DIR="$SCRATCH/native" BEARINGS_WINDOWS_DIR="$out" "$@" "$root/scripts/windows.sh" >"$SCRATCH/build.log" 2>&1
}
if ! fresh PKG_CONFIG_LIBDIR="$SCRATCH/no-pkgconfig" && [ ! -e "$SCRATCH/native" ] &&
   grep -q 'the native configure failed' "$SCRATCH/build.log"; then
  pass "a native configure that fails stops the run and leaves no build folder"
else
  fail "a failed native configure: $(tail -3 "$SCRATCH/build.log" | tr '\n' ' '); build folder left: $([ -e "$SCRATCH/native" ] && echo yes || echo no)"
fi
began=$(date +%s)
fresh && [ -f "$SCRATCH/cache/bearings/windows-deps/stamp" ] ||
  abort "scripts/windows.sh failed from no native build and an empty cache folder: $(tail -20 "$SCRATCH/build.log")"
pass "scripts/windows.sh builds the zip from no native build and an empty cache folder ($(( $(date +%s) - began )) s)"

# The zip: the two programs, the seven libraries they need, the assets, the README and a licence
# for every library, nothing else; and no program or library imports a DLL that is neither there nor
# part of Windows (the build's own check, which must also catch a missing and a stray DLL).
release="$SCRATCH/release"
mkdir -p "$release"
(cd "$release" && unzip -q "$out/bearings-win64.zip")
release="$release/bearings"
expected=$( { printf '%s\n' bearings.exe bearings-capture.exe README.txt \
                SDL.dll SDL_mixer.dll libogg-0.dll libvorbis-0.dll libvorbisfile-3.dll libpng16-16.dll zlib1.dll \
                licences/SDL.txt licences/SDL_mixer.txt licences/libogg.txt licences/libvorbis.txt \
                licences/libpng.txt licences/zlib.txt licences/mingw-w64-runtime.txt
              (cd "$SHOW_DIR" && ls -- *.png *.bmp *.obj music.ogg); } | sort)
actual=$(cd "$release" && find . -type f | sed 's|^\./||' | sort)
if [ "$actual" = "$expected" ]; then
  pass "the zip holds exactly the programs, 7 libraries, $(echo "$actual" | grep -Ec '\.(png|bmp|obj|ogg)$') assets, README.txt and 7 licences"
else
  fail "zip contents differ: $(diff <(echo "$expected") <(echo "$actual") | grep '^[<>]' | tr '\n' ' ')"
fi
if check=$("$root/scripts/windows.sh" --check "$release" 2>&1); then
  pass "every import is a Windows library or in the zip, and every DLL in the zip is imported"
else
  fail "imports: $check"
fi
# The same check on a copy that lacks a library and has one nothing imports.
cp -r "$release" "$SCRATCH/broken"
rm "$SCRATCH/broken/libogg-0.dll"
cp "$SCRATCH/broken/zlib1.dll" "$SCRATCH/broken/stray.dll"
check=$("$root/scripts/windows.sh" --check "$SCRATCH/broken" 2>&1)
status=$?
if [ $status -ne 0 ] && [[ $check == *"libvorbis-0.dll imports libogg-0.dll, which is missing"* ]] &&
   [[ $check == *"stray.dll is imported by nothing"* ]]; then
  pass "the import check fails on a missing library and on a stray one"
else
  fail "import check on a broken folder: status $status, '$check'"
fi

wine wineboot -i >/dev/null 2>&1

# The cross-built unit tests, one Wine process per test program, beside the zip's libraries (the
# sound's tests import SDL and SDL_mixer).
mkdir -p "$SCRATCH/unit"
cp "$release"/*.dll "$SCRATCH/unit/"
for exe in "$out"/cmake/*-tests.exe; do
  name=$(basename "$exe")
  cp "$exe" "$SCRATCH/unit/"
  if result=$(cd "$SCRATCH/unit" && timeout 300 wine "./$name" 2>&1) && echo "$result" | grep -q '^\[  PASSED  \]'; then
    pass "$name under Wine: $(echo "$result" | grep '^\[  PASSED  \]' | tr -s ' ')"
  else
    fail "$name under Wine: $(echo "$result" | grep -E 'FAILED|error' | head -5 | tr '\n' ' ')"
  fi
done

# Frames: a card, the wormhole, the planet and the cloud figure at 2 fps, each reached by both
# capture tools in one run through skipped frames, the Windows one drawing through Wine's GL.
times="14500 86000 118000 174000"
(cd "$SHOW_DIR" && timeout 300 ./bearings-capture --fps 2 $(printf -- '--at %s ' $times) --out "$SCRATCH/native" >/dev/null 2>&1)
(cd "$release" && timeout 600 wine ./bearings-capture.exe --fps 2 $(printf -- '--at %s ' $times) --out frames >/dev/null 2>&1)
frames_within "the frame under Wine against the native one" 1.0 "$SCRATCH/native" "$release/frames" $times

# The show itself: its window shows the loading screen, then the first card (a screenshot within 5
# levels of the native capture's picture of the card at one of its moments); Escape ends it, status 0.
small() { ffmpeg -v error -i "$1" -vf scale=128:96:flags=area -f rawvideo -pix_fmt rgb24 -; }
(cd "$SHOW_DIR" && timeout 300 ./bearings-capture --fps 2 $(printf -- '--at %s ' $(seq 0 500 14000)) --out "$SCRATCH/card" >/dev/null 2>&1)
for f in "$SCRATCH"/card/*.png; do small "$f"; done >"$SCRATCH/card.rgb"
nearest_card() {  # screenshot.png -> the smallest mean difference, in levels, to any card frame
  small "$1" | python3 -c '
import sys
shot = sys.stdin.buffer.read()
cards = open(sys.argv[1], "rb").read()
n = len(shot)
print(f"{min(sum(abs(x - y) for x, y in zip(shot, cards[i:i + n])) / n for i in range(0, len(cards), n)):.2f}")' "$SCRATCH/card.rgb"
}
(cd "$release" && exec timeout 300 wine ./bearings.exe >"$SCRATCH/show.out" 2>/dev/null) &
pid=$!
seen_loading=no seen_card=no distance=
for _ in $(seq 1 240); do
  kill -0 "$pid" 2>/dev/null || break
  ffmpeg -v error -f x11grab -video_size 1024x768 -i "$DISPLAY" -frames:v 1 -y "$SCRATCH/shot.png" 2>/dev/null || continue
  distance=$(nearest_card "$SCRATCH/shot.png")
  if python3 -c "import sys; sys.exit(0 if $distance < 5 else 1)"; then
    seen_card=yes
    break
  fi
  # Anything lit before the card is the loading screen: the desktop behind the window is black.
  [ "$(ffmpeg -v error -i "$SCRATCH/shot.png" -vf scale=1:1 -f rawvideo -pix_fmt gray - | od -An -tu1 | tr -d ' ')" -gt 0 ] && seen_loading=yes
  sleep 0.5
done
for _ in $(seq 1 20); do
  kill -0 "$pid" 2>/dev/null || break
  xdotool search --onlyvisible --name . windowfocus --sync key Escape 2>/dev/null
  sleep 1
done
wait "$pid"
status=$?
if [ $seen_card = yes ] && [ "$status" -eq 0 ] && [ ! -s "$SCRATCH/show.out" ]; then
  pass "bearings.exe shows $([ $seen_loading = yes ] && echo 'the loading screen, then ')the first card (within $distance levels); Escape ends it with status 0"
else
  fail "start and Escape: card seen: $seen_card (nearest $distance levels), status $status, output '$(cat "$SCRATCH/show.out")'"
fi

# A missing and a damaged asset: the native program's one line, on the console (a Windows line, so
# ending in a carriage return and a line feed), and status 1.
for case in "music.ogg missing:Failed to load music" "loading.png cut:Unable to load: loading.png"; do
  read -r file how <<<"${case%%:*}"
  line=${case#*:}
  dir="$SCRATCH/$how-$file"
  cp -r "$release" "$dir"
  rm -f "$dir/$file"
  [ "$how" = missing ] || head -c $(( $(stat -c %s "$release/$file") / 2 )) "$release/$file" >"$dir/$file"
  (cd "$dir" && timeout 120 wine ./bearings.exe >"$dir.out" 2>/dev/null)
  status=$?
  if [ "$(cat "$dir.out")" = "$line"$'\r' ] && [ "$status" -eq 1 ] && [ ! -e "$dir/stdout.txt" ]; then
    pass "$file $how: '$line' on the console, status 1"
  else
    fail "$file $how: expected '$line' and status 1, got '$(tr -d '\r' <"$dir.out")' and status $status$([ -e "$dir/stdout.txt" ] && echo ', and a stdout.txt')"
  fi
done

# The export modes pipe into ffmpeg through a POSIX shell; on Windows each refuses in one line
# rather than drawing frames for nothing.
for mode in "--video show.mp4:video export is not in the Windows build" "--part p.mp4:exports in parts are not" \
            "--join show.mp4 --parts .:joining parts is not in the Windows build"; do
  args=${mode%%:*}; words=${mode#*:}
  # shellcheck disable=SC2086 # the options are words
  (cd "$release" && timeout 120 wine ./bearings-capture.exe --fps 10 --from 0 --to 1000 $args >/dev/null 2>"$SCRATCH/refusal")
  status=$?
  if [ $status -eq 1 ] && grep -q "$words" "$SCRATCH/refusal" && [ -z "$(find "$release" -name '*.mp4')" ]; then
    pass "bearings-capture.exe ${args%% *}: refused with status 1"
  else
    fail "bearings-capture.exe $args: status $status, '$(tr -d '\r' <"$SCRATCH/refusal" | head -3)'"
  fi
done
finish
