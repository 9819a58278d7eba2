#!/usr/bin/env bash
# windows.sh -- builds the show for 64-bit Windows into build-windows/bearings-win64.zip: both
# programs, exactly the DLLs they import, the assets the native build generates, README.txt and the
# licence texts of every bundled library.
#
# The libraries are built from Debian's source archive (apt-get source, through a private apt
# configuration: the system's own sources are not touched) with Debian's mingw-w64 cross-compiler,
# once; later runs find them in ~/.cache/bearings/windows-deps/ (BEARINGS_WINDOWS_DEPS), or copy a
# kept set built the same way (BEARINGS_WINDOWS_DEPS_FROM), and take seconds. The assets come from
# the native build in build/ (BEARINGS_NATIVE_DIR), configured here if there is none yet.
# scripts/setup.sh installs the cross-compiler and Wine. --deps-only stops after the libraries;
# --check DIR only checks the imports of the programs and DLLs in a release folder.
set -euo pipefail
shopt -s nullglob

root=$(cd "$(dirname "$0")/.." && pwd)
out=${BEARINGS_WINDOWS_DIR:-$root/build-windows}
native=${BEARINGS_NATIVE_DIR:-$root/build}
host=x86_64-w64-mingw32
deps_only=0
check_dir=
case "${1:-}" in
  --deps-only) deps_only=1 ;;
  --check) [ $# -ge 2 ] || { echo "windows.sh: --check needs a folder" >&2; exit 2; }; check_dir=$2 ;;
  -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
  "") ;;
  *) echo "windows.sh: unknown option '$1'" >&2; exit 2 ;;
esac

# Libraries every Windows installation has; anything else a program imports must be in the zip.
system_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll imm32.dll winmm.dll msvcrt.dll opengl32.dll glu32.dll "

imports() {  # the DLLs a PE file names in its import table, lower case
  $host-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'
}

# Checks a release folder: every import is a system library or a DLL in the folder, and every DLL
# in the folder is imported by something there.
check_imports() {
  local dir=$1 file dll ok=0 used=" "
  for file in "$dir"/*.exe "$dir"/*.dll; do
    for dll in $(imports "$file"); do
      used+="$dll "
      case "$system_dlls" in *" $dll "*) continue ;; esac
      ls "$dir" | tr 'A-Z' 'a-z' | grep -qx "$dll" || { echo "windows.sh: $(basename "$file") imports $dll, which is missing" >&2; ok=1; }
    done
  done
  for file in "$dir"/*.dll; do
    dll=$(basename "$file" | tr 'A-Z' 'a-z')
    case "$used" in *" $dll "*) ;; *) echo "windows.sh: $dll is imported by nothing" >&2; ok=1 ;; esac
  done
  return $ok
}

if [ -n "$check_dir" ]; then
  check_imports "$check_dir"
  exit
fi

for tool in $host-gcc $host-g++ $host-objdump dpkg-source zip; do
  command -v "$tool" >/dev/null || { echo "windows.sh: $tool not found (scripts/setup.sh installs it)" >&2; exit 1; }
done

# The source packages, pinned. Bookworm's, except where the archive does not serve bookworm's
# security update: zlib then comes from trixie. libpng's security update is served neither for
# bookworm nor for trixie, so it is bookworm's last point release.
sources=(
  "zlib 1:1.3.dfsg+really1.3.1-1 trixie"
  "libpng1.6 1.6.39-2+deb12u5 bookworm"
  "libogg 1.3.5-3 bookworm"
  "libvorbis 1.3.7-1 bookworm"
  "libsdl1.2 1.2.15+dfsg2-8 bookworm"
  "sdl-mixer1.2 1.2.12-17 bookworm"
)
recipe=2  # bump when the way the libraries are built changes, so the cache is rebuilt
# Outside the build folder, so that a fresh checkout on the same machine (CI's) finds them too.
deps=${BEARINGS_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/bearings/windows-deps}
stamp="recipe $recipe; $($host-gcc -dumpversion); ${sources[*]}"
jobs=${BEARINGS_JOBS:-2}
began=$(date +%s)

# Downloads and unpacks the pinned source packages into $src, through an apt configuration of its own.
fetch_sources() {
  local apt=$out/apt
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d" "$src"
  cat > "$apt/sources.list" <<EOF
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian-security bookworm-security main
deb-src http://deb.debian.org/debian trixie main
EOF
  cat > "$apt/apt.conf" <<EOF
Dir::Etc::sourcelist "$apt/sources.list";
Dir::Etc::sourceparts "$apt/sources.list.d";
Dir::State::lists "$apt/lists";
Dir::Cache "$apt/cache";
APT::Sandbox::User "root";
EOF
  export APT_CONFIG=$apt/apt.conf
  echo "windows.sh: fetching the source packages"
  apt-get update -qq
  rm -rf "${src:?}"/*
  local entry name version
  for entry in "${sources[@]}"; do
    read -r name version _ <<<"$entry"
    (cd "$src" && apt-get source -qq --download-only "$name=$version" >/dev/null)
    (cd "$src" && dpkg-source -x ./"${name}_${version#*:}.dsc" "$name" >/dev/null)
  done
  unset APT_CONFIG
}

# Cross-compiles the libraries from $src into $prefix, each step's output in $log.
compile_libraries() {
  export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=
  # libtool would convert paths through Wine, starting it in the user's own Wine folder: not needed
  # for a build that only cross-compiles.
  export lt_cv_to_host_file_cmd=func_convert_file_noop lt_cv_to_tool_file_cmd=func_convert_file_noop
  export WINEPREFIX=$out/wine-build WINEDEBUG=-all
  local cross=(--host=$host --prefix="$prefix" --enable-shared --disable-static)
  local flags=(CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib -static-libgcc" CFLAGS="-O2")
  step() { echo "windows.sh: building $1"; }
  failed() { echo "windows.sh: building $1 failed; see $log" >&2; exit 1; }

  step zlib  # its Windows makefiles are not in Debian's source, so the library is compiled directly
  (cd "$src/zlib" && for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees uncompr zutil; do
     $host-gcc -O2 -c $c.c -o $c.o || exit 1; done &&
   $host-gcc -shared -static-libgcc -o zlib1.dll ./*.o -Wl,--out-implib,libz.dll.a &&
   mkdir -p "$prefix/bin" "$prefix/lib" "$prefix/include" &&
   cp zlib1.dll "$prefix/bin/" && cp libz.dll.a "$prefix/lib/" && cp zlib.h zconf.h "$prefix/include/") >>"$log" 2>&1 || failed zlib

  step libpng
  (cd "$src/libpng1.6" && ./configure "${cross[@]}" "${flags[@]}" && make -j"$jobs" && make install) >>"$log" 2>&1 || failed libpng
  step libogg
  (cd "$src/libogg" && ./configure "${cross[@]}" "${flags[@]}" && make -j"$jobs" && make install) >>"$log" 2>&1 || failed libogg
  step libvorbis
  (cd "$src/libvorbis" && ./configure "${cross[@]}" "${flags[@]}" --with-ogg="$prefix" --disable-docs --disable-examples \
     && make -j"$jobs" && make install) >>"$log" 2>&1 || failed libvorbis
  # SDL's own Windows drivers (GDI and DirectX video, waveOut and DirectSound audio); its console
  # entry point leaves standard output on the console rather than in a stdout.txt.
  step "SDL 1.2"
  (cd "$src/libsdl1.2" && ./configure "${cross[@]}" "${flags[@]}" --disable-stdio-redirect --disable-video-x11 \
     && make -j"$jobs" && make install) >>"$log" 2>&1 || failed "SDL 1.2"
  # The mixer with Ogg Vorbis linked in (not loaded at run time, so the import tables name it) and
  # nothing the show does not play; the library alone, without its example players.
  step "SDL_mixer 1.2"
  (cd "$src/sdl-mixer1.2" && ./configure "${cross[@]}" "${flags[@]}" --with-sdl-prefix="$prefix" \
     --enable-music-ogg --disable-music-ogg-shared --disable-music-mod --disable-music-midi \
     --disable-music-mp3 --disable-music-flac --disable-smpegtest --disable-sdltest \
     && make -j"$jobs" build/libSDL_mixer.la && make install-hdrs install-lib) >>"$log" 2>&1 || failed "SDL_mixer 1.2"
}

# Every bundled library's licence, named after its source package, and the versions built.
collect_licences() {
  mkdir -p "$prefix/licences"
  cp "$src/zlib/LICENSE" "$prefix/licences/zlib.txt"
  cp "$src/libpng1.6/LICENSE" "$prefix/licences/libpng.txt"
  cp "$src/libogg/COPYING" "$prefix/licences/libogg.txt"
  cp "$src/libvorbis/COPYING" "$prefix/licences/libvorbis.txt"
  cp "$src/libsdl1.2/COPYING" "$prefix/licences/SDL.txt"
  cp "$src/sdl-mixer1.2/COPYING" "$prefix/licences/SDL_mixer.txt"
  printf '%s\n' "${sources[@]}" > "$prefix/versions.txt"
}

# Builds the libraries into the folder $1. A subshell: the cross-compiling environment (pkg-config
# pointed at the Windows prefix above all) must not reach the native configure that may follow.
build_deps() (
  prefix=$1 src=$out/src log=$out/deps-build.log
  : > "$log"
  fetch_sources
  compile_libraries
  collect_licences
)

# The libraries are shared by every checkout on the machine. A run holds a shared lock on them while
# it reads them; they are built aside and moved in under the exclusive lock, so that two runs at once
# neither build into the same folder nor read a half-built one. BEARINGS_WINDOWS_DEPS_FROM may name a
# kept copy (CI's cache), taken instead of building when it was built the same way.
ensure_deps() {
  mkdir -p "$(dirname "$deps")"
  exec 9>"$deps.lock"
  flock -s 9
  [ "$(cat "$deps/stamp" 2>/dev/null)" != "$stamp" ] || return 0
  flock -x 9  # not atomic: another run may have built them meanwhile
  if [ "$(cat "$deps/stamp" 2>/dev/null)" != "$stamp" ]; then
    local kept=${BEARINGS_WINDOWS_DEPS_FROM:-} aside=$deps.new from
    rm -rf "$aside"
    if [ -n "$kept" ] && [ "$(cat "$kept/stamp" 2>/dev/null)" = "$stamp" ]; then
      echo "windows.sh: copying the libraries from $kept"
      cp -a "$kept" "$aside"
      from=$(cd "$kept" && pwd)
    else
      build_deps "$aside"
      from=$aside
    fi
    # The prefix is written into libtool, pkg-config and sdl-config files: they name where it now lives.
    { grep -rlIZ -F -- "$from" "$aside" || true; } | xargs -0 -r sed -i "s|$from|$deps|g"
    echo "$stamp" > "$aside/stamp"
    rm -rf "$deps.old"
    [ ! -e "$deps" ] || mv "$deps" "$deps.old"
    mv "$aside" "$deps"
    rm -rf "$deps.old"
    echo "windows.sh: libraries ready in $(( $(date +%s) - began )) s"
  fi
  flock -s 9
}

mkdir -p "$out"
ensure_deps
[ $deps_only -eq 1 ] && exit 0

# The assets, as the native build generates them.
assets=$native/show
if [ ! -f "$assets/music.ogg" ] || [ ! -f "$assets/assets.stamp" ]; then
  echo "windows.sh: building natively first for the assets"
  existed=$([ -e "$native" ] && echo yes || echo no)
  configured=$([ -e "$native/CMakeCache.txt" ] && echo yes || echo no)
  if ! cmake -S "$root" -B "$native" >"$out/native-configure.log" 2>&1; then
    # A half-made configure would fail the next run in other ways: what this one made goes.
    if [ $existed = no ]; then rm -rf "$native"
    elif [ $configured = no ]; then rm -rf "$native/CMakeCache.txt" "$native/CMakeFiles"
    fi
    tail -5 "$out/native-configure.log" >&2
    echo "windows.sh: the native configure failed (the whole log: $out/native-configure.log)" >&2
    exit 1
  fi
fi
cmake --build "$native" -j"$jobs" --target assets >/dev/null

echo "windows.sh: cross-compiling the show"
# Optimised as the native build is, without the debug information it adds: the zip's programs are
# stripped, and it took a fifth of the compile time.
cmake -S "$root" -B "$out/cmake" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DBEARINGS_WINDOWS_DEPS="$deps" -DBEARINGS_WINDOWS_SHOW_DIR="Z:$assets" >/dev/null
# Only the compiler's complaints are shown; a failed build stops here, with its log.
if ! cmake --build "$out/cmake" -j"$jobs" -- --no-print-directory >"$out/build.log" 2>&1; then
  grep -E 'error|Error' "$out/build.log" | head -20 >&2
  echo "windows.sh: the Windows build failed (the whole log: $out/build.log)" >&2
  exit 1
fi
grep -E 'warning:' "$out/build.log" || true

release=$out/bearings
rm -rf "$release" "$out/bearings-win64.zip"
mkdir -p "$release/licences"
for exe in bearings bearings-capture; do
  $host-strip -o "$release/$exe.exe" "$out/cmake/$exe.exe"
done
# The DLLs the programs import, and those these import, from the libraries built above.
todo=("$release"/*.exe)
while [ ${#todo[@]} -gt 0 ]; do
  file=${todo[0]}; todo=("${todo[@]:1}")
  for dll in $(imports "$file"); do
    case "$system_dlls" in *" $dll "*) continue ;; esac
    [ -n "$(find "$release" -maxdepth 1 -iname "$dll")" ] && continue
    found=$(find "$deps/bin" -maxdepth 1 -iname "$dll" | head -1)
    [ -n "$found" ] || continue  # reported by the check below
    $host-strip -o "$release/$(basename "$found")" "$found"
    todo+=("$release/$(basename "$found")")
  done
done
check_imports "$release" || exit 1

for f in "$assets"/*.png "$assets"/*.bmp "$assets"/*.obj "$assets"/music.ogg; do cp "$f" "$release/"; done
cp "$deps"/licences/*.txt "$release/licences/"
cp /usr/share/doc/mingw-w64-common/copyright "$release/licences/mingw-w64-runtime.txt"
sed "s/\$/\r/" "$root/windows/README.txt" >"$release/README.txt"  # Windows line ends
(cd "$out" && zip -qr -X bearings-win64.zip bearings)
echo "windows.sh: built $out/bearings-win64.zip ($(du -k "$out/bearings-win64.zip" | cut -f1) KB) in $(( $(date +%s) - began )) s"
