#!/usr/bin/env bash
# Builds zelvaro-d3d8replay as a Windows program with MinGW-w64, from the same
# sources as the native one: build_windows.sh [COMPILER] [OUT.exe]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
compiler=${1:-x86_64-w64-mingw32-g++}
out=${2:-zelvaro-d3d8replay-windows.exe}
exec "$compiler" -std=c++17 -O2 -Wall -Wextra -Werror -static -I"$here/../d3d8trace" \
  "$here/replay_main.cpp" "$here/d3d8_replayer.cpp" "$here/../d3d8trace/d3d8_trace_reader.cpp" \
  -o "$out"
