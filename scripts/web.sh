#!/usr/bin/env bash
# web.sh -- builds the show for web browsers into build-web/ (page, script, WebAssembly, assets);
# with --serve [PORT] it then serves that folder on 127.0.0.1 (default port 8000).
# --assets DIR takes the assets from a show folder as they are instead of building them.
#
# Needs Debian's emscripten (scripts/setup.sh installs it) and the native build, which generates
# the assets the page packs; that build runs first when its assets are missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${BEARINGS_WEB_DIR:-$root/build-web}
native=${BEARINGS_NATIVE_DIR:-$root/build}
serve=0
port=8000
assets_dir=
while [ $# -gt 0 ]; do
  case "$1" in
    --serve) serve=1; if [[ "${2:-}" =~ ^[0-9]+$ ]]; then port=$2; shift; fi ;;
    --assets) [ $# -ge 2 ] || { echo "web.sh: --assets needs a folder" >&2; exit 2; }; assets_dir=$(cd "$2" && pwd); shift ;;
    -h|--help) sed -n '2,7p' "$0"; exit 0 ;;
    *) echo "web.sh: unknown option '$1'" >&2; exit 2 ;;
  esac
  shift
done

command -v emcc >/dev/null || { echo "web.sh: emcc not found (apt-get install emscripten, or scripts/setup.sh)" >&2; exit 1; }
# Debian's emscripten finds its JavaScript optimiser's modules only there.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

if [ -z "$assets_dir" ]; then
  if [ ! -f "$native/show/music.ogg" ] || [ ! -f "$native/show/assets.stamp" ]; then
    echo "web.sh: building natively first for the assets"
    cmake -S "$root" -B "$native" >/dev/null
  fi
  cmake --build "$native" -j2 --target assets
  assets_dir=$native/show
fi

mkdir -p "$out/obj"
flags=(-std=c++17 -O2 -fexceptions -Wall -Wextra -I"$root/include/core" -I"$root/include" -I"$root/web")

# The show's sources as the native program builds them (the core, and all of src/ but its main),
# and the web platform's own; each object is rebuilt when its source or a header it includes has
# changed.
sources=("$root"/src/core/*.cpp)
for f in "$root"/src/*.cpp; do [ "$(basename "$f")" = main.cpp ] || sources+=("$f"); done
sources+=("$root"/web/*.cpp)

stale() {  # object, source
  local object=$1 deps=${1%.o}.d
  [ -f "$object" ] && [ -f "$deps" ] || return 0
  local dep
  for dep in $(sed -e 's/\\$//' -e 's/^[^:]*://' "$deps"); do
    [ "$dep" -nt "$object" ] && return 0
  done
  return 1
}
objects=()
todo=()
for src in "${sources[@]}"; do
  rel=${src#"$root"/}
  object="$out/obj/${rel//\//_}"
  object=${object%.cpp}.o
  objects+=("$object")
  stale "$object" "$src" && todo+=("$src"$'\t'"$object")
done
began=$(date +%s)
if [ ${#todo[@]} -gt 0 ]; then
  echo "web.sh: compiling ${#todo[@]} of ${#sources[@]} sources"
  export WEB_FLAGS="${flags[*]}"
  printf '%s\n' "${todo[@]}" | tr '\t' '\n' | xargs -n 2 -P 2 bash -c \
    'emcc $WEB_FLAGS -c "$1" -o "$2" -MMD -MF "${2%.o}.d" || exit 255' compile || true
  for line in "${todo[@]}"; do [ -f "${line#*$'\t'}" ] || { echo "web.sh: compile failed" >&2; exit 1; }; done
fi

# The assets beside the program natively are the files of the page's virtual working folder.
assets=()
for f in "$assets_dir"/*.png "$assets_dir"/*.bmp "$assets_dir"/*.obj "$assets_dir"/music.ogg; do
  assets+=(--preload-file "$f@$(basename "$f")")
done
echo "web.sh: linking"
emcc "${objects[@]}" -o "$out/bearings.js" -O2 -fexceptions \
  -sLEGACY_GL_EMULATION=1 -sGL_MAX_TEMP_BUFFER_SIZE=4194304 -sSTB_IMAGE=1 -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=65536 \
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=134217728 -sENVIRONMENT=web ${BEARINGS_WEB_LINK_FLAGS:-} \
  "${assets[@]}"
cp "$root/web/index.html" "$out/index.html"
echo "web.sh: built $out in $(( $(date +%s) - began )) s: $(du -ch "$out"/bearings.{js,wasm,data} "$out/index.html" | tail -1 | cut -f1) to download"

if [ $serve -eq 1 ]; then
  echo "web.sh: open http://127.0.0.1:$port/ (Ctrl+C stops the server)"
  exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out"
fi
