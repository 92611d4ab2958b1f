#!/usr/bin/env bash
# Makes the gallery's pictures again: one capture run for the thirteen
# scenes at their music times, one short run for the title card, each frame
# scaled to 480 x 360 and written as sceneNN.jpg beside this script.
#   docs/gallery/make_gallery.sh [BUILD_DIR]     (default: build/)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT

# scene and music time, in the order the show plays them
stills=(6:9.0 5:22.0 7:40.0 10:56.0 2:73.0 3:94.0 8:105.0 9:116.0 4:126.0 11:150.0 1:165.0
        12:173.0 13:200.25)

times=$(printf '%s\n' "${stills[@]}" | cut -d: -f2 | paste -sd, -)
cd "$build/data"
# The capture names the file of each time: "music time 9.000 s: DIR/frame_000156.png".
"$build/zelvaro-capture" --fps 12 --at "$times" --out "$frames/show" 2> "$frames/log" ||
  { cat "$frames/log" >&2; exit 1; }
# The title card runs before the music: its frame 2 s in.
"$build/zelvaro-capture" --fps 12 --frames 25 --out "$frames/card" 2> /dev/null

shrink() {  # picture, scene number
  ffmpeg -v error -y -i "$1" -vf scale=480:360:flags=area -q:v 3 "$here/$(printf 'scene%02d.jpg' "$2")"
}
for still in "${stills[@]}"; do
  scene=${still%%:*}
  seconds=$(printf '%.3f' "${still#*:}")
  file=$(sed -n "s/^zelvaro-capture: music time $seconds s: //p" "$frames/log")
  [ -n "$file" ] || { echo "no picture at $seconds s" >&2; exit 1; }
  shrink "$file" "$scene"
done
shrink "$frames/card/frame_000024.png" 14
echo "gallery pictures written to $here"
