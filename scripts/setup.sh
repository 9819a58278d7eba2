#!/usr/bin/env bash
# setup.sh -- installs the Debian packages a task needs: `play` what building the program and its
# assets needs, `build` that and what compiling the tests needs, `test` (the default) all of that and
# everything the tests, the package and the other builds need. Idempotent: packages already present
# are skipped, and apt (and sudo) is not touched when nothing is missing.
set -euo pipefail

case "${1:-test}" in
  play) building=0 testing=0 ;;
  build) building=1 testing=0 ;;
  test) building=1 testing=1 ;;
  *) echo "usage: scripts/setup.sh [play|build|test]" >&2; exit 2 ;;
esac

# Building the program and generating its assets.
packages=(
  build-essential cmake pkg-config
  libsdl1.2-compat-dev libsdl-image1.2-dev libsdl-mixer1.2-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libvorbis-dev libogg-dev
  libcairo2-dev fonts-dejavu-core
)
# Compiling the tests and the sync harness's recorder.
build_packages=(libgtest-dev libpng-dev libpulse-dev)
# Running the tests; the Debian package, video export, the sync harness, the sanitizer and browser builds.
# libegl1: the capture tool draws through EGL when there is no display (SDL's off-screen driver
# loads it at run time, so nothing the build links names it).
test_packages=(
  libegl1 xvfb xauth xdotool desktop-file-utils
  dpkg-dev lintian appstream man-db groff-base
  ffmpeg parallel
  pulseaudio python3-numpy
  clang libclang-rt-14-dev
  emscripten chromium
)
# The Windows build and its tests under Wine; optional: without them those tests skip.
windows_packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 zip unzip)
# Exports on real engines, for their tests only (a one-node Slurm cluster, GNU parallel over ssh);
# optional: without them those tests skip.
engine_packages=(slurmctld slurmd slurm-client munge openssh-server openssh-client rsync)

# Prints those of the named packages that are not installed.
missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

missing=($(missing_of "${packages[@]}"))
optional_missing=()
engine_missing=()
[ $building -eq 0 ] || missing+=($(missing_of "${build_packages[@]}"))
if [ $testing -eq 1 ]; then
  missing+=($(missing_of "${test_packages[@]}"))
  # The browser tests drive Chromium from Node; npm may come with Node itself rather than Debian's package.
  command -v npm >/dev/null || missing+=(npm)
  optional_missing+=($(missing_of "${windows_packages[@]}"))
  engine_missing=($(missing_of "${engine_packages[@]}"))
fi

if [ ${#missing[@]} -eq 0 ] && [ ${#optional_missing[@]} -eq 0 ] && [ ${#engine_missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  # Optional packages alone are not worth a password prompt.
  if [ ${#missing[@]} -eq 0 ] && ! sudo -n true 2>/dev/null; then
    echo "setup: not installing the optional ${optional_missing[*]} ${engine_missing[*]} (needs sudo); the tests that use them skip"
    exit 0
  fi
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ${#optional_missing[@]} -gt 0 ]; then
  echo "setup: installing ${optional_missing[*]}"
  $SUDO apt-get install -y -q --no-install-recommends "${optional_missing[@]}" ||
    echo "setup: the cross-compiler or Wine could not be installed; the Windows build and its tests are skipped"
fi
if [ ${#engine_missing[@]} -gt 0 ]; then
  echo "setup: installing ${engine_missing[*]}"
  if $SUDO apt-get install -y -q --no-install-recommends "${engine_missing[@]}"; then
    # The tests start daemons of their own; the services these packages start for the whole
    # machine, an ssh server on port 22 among them, are turned off again.
    services=$(printf '%s\n' "${engine_missing[@]}" | sed -n 's/^openssh-server$/ssh/p; s/^\(munge\|slurmctld\|slurmd\)$/\1/p')
    [ -z "$services" ] || [ ! -d /run/systemd/system ] || $SUDO systemctl disable --now $services ||
      echo "setup: these services could not be turned off: $services"
  else
    echo "setup: Slurm, munge, the ssh server or rsync could not be installed; the tests of exports on a cluster and over ssh are skipped"
  fi
fi
