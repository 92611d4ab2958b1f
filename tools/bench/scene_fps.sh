#!/usr/bin/env bash
# Frames per second of every scene at both sizes, measured through the
# capture programs: the whole show is played once per size at a fixed
# 30 frames per second of show time, and the wall time between consecutive
# trace lines is added up per scene (a frame counts for the scene it drew).
#   tools/bench/scene_fps.sh [BUILD_DIR] [FPS]
# BUILD_DIR defaults to build/ (it needs zelvaro-capture, zelvaro-capture-640
# and data/). The numbers depend on the machine's load: note `uptime`.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
fps=${2:-30}
for program in zelvaro-capture zelvaro-capture-640; do
  [ -x "$build/$program" ] || { echo "scene_fps.sh: no $build/$program; build it first" >&2; exit 1; }
done
[ -d "$build/data/msx" ] || { echo "scene_fps.sh: no data set in $build/data" >&2; exit 1; }
command -v stdbuf >/dev/null || { echo "scene_fps.sh: stdbuf (coreutils) is needed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Reads the trace from standard input; writes "scene seconds frames" per scene.
time_frames() {
  local previous=${EPOCHREALTIME/./} line scene now
  declare -A micros=() frames=()
  while read -r line; do
    now=${EPOCHREALTIME/./}
    scene=${line##* }
    micros[$scene]=$(( ${micros[$scene]:-0} + now - previous ))
    frames[$scene]=$(( ${frames[$scene]:-0} + 1 ))
    previous=$now
  done
  for scene in "${!frames[@]}"; do
    echo "$scene $(( micros[$scene] / 1000000 )).$(printf '%06d' $(( micros[$scene] % 1000000 ))) ${frames[$scene]}"
  done
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)   cores: $(nproc)"
cd "$build/data"
for size in 1024 640; do
  program=zelvaro-capture; [ "$size" = 640 ] && program=zelvaro-capture-640
  start=$EPOCHREALTIME
  # Line-buffered, so that each frame's line arrives when the frame is done.
  stdbuf -oL "$build/$program" --fps "$fps" --trace 2>"$work/err.$size" | time_frames >"$work/times.$size"
  echo "$size: whole show in $(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }') s of wall time"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
join <(sort -k1,1 "$work/times.1024") <(sort -k1,1 "$work/times.640") | sort -n |
  awk 'BEGIN { printf "%-6s %8s %10s %10s %8s %10s %10s\n", "scene", "frames", "ms/frame", "fps", "frames", "ms/frame", "fps";
               printf "%-6s %30s %30s\n", "", "---------- 1024 x 768 ------", "---------- 640 x 480 -------" }
       { printf "%-6d %8d %10.1f %10.1f %8d %10.1f %10.1f\n", $1, $3, 1000 * $2 / $3, $3 / $2, $5, 1000 * $4 / $5, $5 / $4 }'
