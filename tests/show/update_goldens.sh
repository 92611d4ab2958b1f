#!/usr/bin/env bash
# Regenerates the golden frames of the whole show (tests/show/golden/*.png)
# from a build's own capture: review the pictures before committing them.
#   tests/show/update_goldens.sh [BUILD_DIR] [FULL_SIZE_DIR]
# BUILD_DIR defaults to build/; FULL_SIZE_DIR, when given, also receives the
# 1024 x 768 frames (for a closer look, or the gallery).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target show_whole_show_test zelvaro-capture zelvaro_data
if [ -n "${2:-}" ]; then
  mkdir -p "$2"
  export ZELVARO_SHOW_FRAMES=$(cd "$2" && pwd)
fi
rm -f "$root"/tests/show/golden/*.png
ZELVARO_UPDATE_GOLDENS=1 "$build/tests/show/show_whole_show_test" --gtest_filter='EveryScene/GoldenFrames.*'
echo "golden frames written to $root/tests/show/golden"
