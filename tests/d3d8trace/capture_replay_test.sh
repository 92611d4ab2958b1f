#!/usr/bin/env bash
# The show's own frame, traced by the capture program and replayed on our
# layer, gives the picture the capture wrote: capture_replay_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$build/data"
"$build/zelvaro-capture" --fps 12 --frames 25 --trace-calls "$work/card.d8t" --out "$work/pictures" 2>/dev/null
"$build/zelvaro-d3d8trace" "$work/card.d8t" > "$work/card.txt"
grep -q '^frameBegin 24 ' "$work/card.txt" || { echo "the trace does not hold frame 24"; exit 1; }
[ "$(grep -c '^frameBegin' "$work/card.txt")" -eq 1 ] || { echo "the trace holds more than the last frame"; exit 1; }
SDL_VIDEODRIVER=offscreen "$build/zelvaro-d3d8replay" "$work/card.d8t" "$work/replayed.ppm"
line=$("$build/zelvaro-d3d8compare" "$work/replayed.ppm" "$work/pictures/frame_000024.png" 2>/dev/null)
echo "replayed against captured: $line"
case "$line" in
  "0.000 0.000 0.000 0.000 ok") ;;
  *) echo "the replayed frame differs from the captured one"; exit 1 ;;
esac
