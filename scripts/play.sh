#!/usr/bin/env bash
# play.sh -- sets everything up, builds the program and its assets, and plays the show.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target bearings assets
cd build/show
exec ./bearings
