#!/usr/bin/env bash
# package.sh -- a release build with Debian's hardening flags, packaged as build/bearings_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
# Its own build folder, so that the test build in build/ keeps its flags and stays incremental.
# CMake reads CFLAGS/CXXFLAGS/LDFLAGS but not CPPFLAGS, so the preprocessor flags ride along.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build-package -j"$(nproc)"
(cd build-package && cpack -G DEB)

mkdir -p build
for package in build-package/bearings_*_amd64.deb; do
  mv "$package" build/
  echo "package.sh: build/$(basename "$package")"
done
