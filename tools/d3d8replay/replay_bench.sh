#!/usr/bin/env bash
# Milliseconds per frame of our Direct3D 8 layer alone, scene by scene: one
# frame of every scene is traced with the capture program, then replayed N
# times by zelvaro-d3d8replay (no scene code runs, only the device calls).
#
#   tools/d3d8replay/replay_bench.sh [BUILD_DIR] [N] [TRACES]
#       (default: build, 200, BUILD_DIR/d3d8bench)
#
# Traces missing from the TRACES folder are made first (the ones of
# tools/d3d8compare/compare.sh, BUILD_DIR/d3d8compare/traces, serve as well).
# Not a test: it prints a table.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
times=${2:-200}
out=${3:-$build/d3d8bench}
frames="14:card@24 6:9.0 5:22.0 7:40.0 10:56.0 2:73.0 3:94.0 8:105.0 9:116.0 4:126.0 11:150.0 1:165.0 12:173.0 13:200.25"
mkdir -p "$out"
music=()
for pair in $frames; do
  time=${pair#*:}
  case "$time" in
    card@*)
      [ -f "$out/card_${time#card@}.d8t" ] ||
        (cd "$build/data" && "$build/zelvaro-capture" --fps 12 --frames $((${time#card@} + 1)) \
           --trace-calls "$out/card_${time#card@}.d8t") ;;
    *) [ -f "$out/$(printf 'calls_%.3f' "$time").d8t" ] || music+=("$time") ;;
  esac
done
if [ ${#music[@]} -gt 0 ]; then
  list=$(IFS=,; echo "${music[*]}")
  (cd "$build/data" && "$build/zelvaro-capture" --fps 12 --trace-at "$list" --trace-calls "$out")
fi

printf '%-6s %-8s %8s %8s %10s %10s\n' scene time draws "MB" "ms/frame" "cpu ms"

for pair in $frames; do
  time=${pair#*:}
  case "$time" in
    card@*) trace=$out/card_${time#card@}.d8t ;;
    *) trace=$out/$(printf 'calls_%.3f' "$time").d8t ;;
  esac
  draws=$("$build/zelvaro-d3d8trace" "$trace" | sed -n '/^frameBegin/,$p' | grep -c '^drawPrimitive' || true)
  megabytes=$(( $(stat -c %s "$trace") / 1000000 ))
  read -r ms cpu < <(SDL_VIDEODRIVER=offscreen "$build/zelvaro-d3d8replay" "$trace" "$out/last.ppm" \
                      --repeat "$times" | awk '{print $2, substr($6, 2)}')
  printf '%-6s %-8s %8s %8s %10s %10s\n' "${pair%%:*}" "$time" "$draws" "$megabytes" "$ms" "$cpu"
done
