#!/usr/bin/env bash
# test.sh -- sets everything up, builds (program, assets, tools, tests) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

# What the build needs comes first; the tests' other packages (browser, emscripten, Wine, video
# tools: most of a fresh machine's download and unpacking) install while it compiles. Only where
# apt needs no password: a sudo prompt cannot be answered from the background.
scripts/setup.sh build
mkdir -p build
setup_pid=
# A failed build still lets apt finish rather than leaving it running behind this script.
trap '[ -z "$setup_pid" ] || wait "$setup_pid" 2>/dev/null || true' EXIT
if [ "$(id -u)" -eq 0 ] || sudo -n true 2>/dev/null; then
  scripts/setup.sh test >build/setup-test.log 2>&1 &
  setup_pid=$!
else
  scripts/setup.sh test
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build -j"$(nproc)"
if [ -n "$setup_pid" ]; then
  status=0
  wait "$setup_pid" || status=$?
  cat build/setup-test.log
  [ $status -eq 0 ] || exit $status
fi
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
