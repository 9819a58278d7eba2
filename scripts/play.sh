#!/usr/bin/env bash
# play.sh -- installs what building needs, builds the program and its assets, and plays the show.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh play
# The tests are not built here: their packages come with scripts/test.sh.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)" --target bearings assets
cd build/show
exec ./bearings
