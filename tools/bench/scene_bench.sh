#!/usr/bin/env bash
# The standing benchmark of the show: every scene's frame cost at both sizes,
# measured by the capture programs' frame profiler (--profile) on the virtual
# clock, and expressed in "layers": the cost of one full-screen textured,
# blended 1024 x 768 quad drawn in plain OpenGL, measured in the same
# processes at every change of scene. Frames per second move with the
# machine's load; layers much less, so compare runs and machines by layers.
# The show keeps 30 frames per second at 1024 x 768 where a scene costs at
# most 14.5 layers (33.3 ms over the 2.29 ms a layer took on a quiet run).
#   tools/bench/scene_bench.sh [--report] [BUILD_DIR] [FPS]
# BUILD_DIR defaults to build/ (it needs zelvaro-capture, zelvaro-capture-640
# and data/); FPS is frames per second of show time (default 30; fewer frames
# make a quicker run with the same per-frame figures). The full profiles are
# kept in BUILD_DIR/bench/profile-1024.txt and profile-640.txt; --report
# prints the table of the profiles kept there without running the show.
set -euo pipefail
report_only=0
if [ "${1:-}" = --report ]; then report_only=1; shift; fi
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
fps=${2:-30}
goal=14.5
for program in zelvaro-capture zelvaro-capture-640; do
  [ -x "$build/$program" ] || { echo "scene_bench.sh: no $build/$program; build it first" >&2; exit 1; }
done
[ -d "$build/data/msx" ] || { echo "scene_bench.sh: no data set in $build/data" >&2; exit 1; }

mkdir -p "$build/bench"
if [ "$report_only" = 0 ]; then
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)   cores: $(nproc)   show time at $fps frames per second"
cd "$build/data"
for size in 1024 640; do
  program=zelvaro-capture; [ "$size" = 640 ] && program=zelvaro-capture-640
  profile=$build/bench/profile-$size.txt
  start=$EPOCHREALTIME
  "$build/$program" --fps "$fps" --profile >"$profile" 2>"$build/bench/errors-$size.txt" || {
    echo "scene_bench.sh: $program failed:" >&2; cat "$build/bench/errors-$size.txt" >&2; exit 1; }
  echo "$size: whole show in $(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }') s of wall time"
  grep -E '^# (layer|launch)' "$profile" | sed "s/^# /$size: /"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
fi
for size in 1024 640; do
  [ -s "$build/bench/profile-$size.txt" ] || { echo "scene_bench.sh: no profile in $build/bench" >&2; exit 1; }
done

# The profile's columns (README, "Reading the frame profile"): 1 scene,
# 3 mean, 4 median, 5 worst, 7 scene CPU, 23 fill, 25 layers, 26 CPU layers.
rows() { grep -v '^#' "$build/bench/profile-$1.txt" | sort -k1,1; }
join <(rows 1024) <(rows 640) | sort -n |
  awk -v goal="$goal" '
    BEGIN {
      printf "%-6s %7s %7s %7s %8s %7s %7s %7s %7s %7s\n", "scene", "fps", "fps", "fill", "worst", "worst/",
             "CPU ms", "layers", "CPU", "layers";
      printf "%-6s %7s %7s %7s %8s %7s %7s %7s %7s %7s\n", "", "1024", "640", "1024", "ms 1024", "median",
             "scene", "1024", "layers", "640";
    }
    { # after the scene, n fields of 1024 x 768, then the same n of 640 x 480
      n = (NF - 1) / 2;
      printf "%-6d %7.1f %7.1f %7.2f %8.1f %7.2f %7.2f %7.1f %7.1f %7.1f  %s\n", $1, 1000 / $3, 1000 / $(3 + n), $23,
             $5, $5 / $4, $7, $25, $26, $(25 + n), $25 <= goal ? "" : "over " goal;
      if ($25 > most) most = $25;
    }
    END { printf "\nmost costly scene at 1024 x 768: %.1f layers (goal: at most %s)\n", most, goal }'
