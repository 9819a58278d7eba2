#!/usr/bin/env bash
# setup.sh -- installs every Debian package that building, generating assets and testing need.
# Idempotent: packages already present are skipped, and apt is not touched when nothing is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl1.2-compat-dev libsdl-image1.2-dev libsdl-mixer1.2-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libvorbis-dev libogg-dev
  libcairo2-dev fonts-dejavu-core
  libgtest-dev libpng-dev
  xvfb xauth xdotool desktop-file-utils
  dpkg-dev lintian appstream man-db groff-base
  ffmpeg parallel
  pulseaudio libpulse-dev python3-numpy
  clang libclang-rt-14-dev
  emscripten chromium
)
# The Windows build and its tests under Wine; optional: without them those tests skip.
windows_packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 zip unzip)
# Exports on real engines, for their tests only (a one-node Slurm cluster, GNU parallel over ssh);
# optional: without them those tests skip.
engine_packages=(slurmctld slurmd slurm-client munge openssh-server openssh-client rsync)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done

windows_missing=()
for p in "${windows_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || windows_missing+=("$p")
done
engine_missing=()
for p in "${engine_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || engine_missing+=("$p")
done

# The browser tests drive Chromium from Node; npm may come with Node itself rather than Debian's package.
command -v npm >/dev/null || missing+=(npm)

if [ ${#missing[@]} -eq 0 ] && [ ${#windows_missing[@]} -eq 0 ] && [ ${#engine_missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ${#windows_missing[@]} -gt 0 ]; then
  echo "setup: installing ${windows_missing[*]}"
  $SUDO apt-get install -y -q --no-install-recommends "${windows_missing[@]}" ||
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
