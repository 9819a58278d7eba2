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
  libgtest-dev
  xvfb xauth xdotool desktop-file-utils
  dpkg-dev lintian appstream man-db groff-base
  ffmpeg parallel
  clang libclang-rt-14-dev
  emscripten chromium
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done

# The browser tests drive Chromium from Node; npm may come with Node itself rather than Debian's package.
command -v npm >/dev/null || missing+=(npm)

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
