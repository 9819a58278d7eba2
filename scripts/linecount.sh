#!/usr/bin/env bash
# linecount.sh -- test lines against code lines: non-blank lines that are not only a comment, in the
# files git tracks; everything under tests/ counts as test, every other source (the page with its
# script included), script (the installed launcher's template too) and CMake file as code.
set -euo pipefail
cd "$(dirname "$0")/.."

count() { git ls-files -- "$@" | grep -E '\.(c|cc|cpp|h|hpp|py|sh|sh\.in|cmake|js|mjs|html)$|(^|/)(run|CMakeLists\.txt)$' | xargs -r cat | grep -cvE '^\s*((//|#(!| |$)).*)?$'; }
code=$(count src include tools scripts cmake web windows CMakeLists.txt .ci)
tests=$(count tests)
echo "test lines: $tests, code lines: $code, ratio: $(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.2f", t / c }')"
