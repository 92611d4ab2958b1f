#!/bin/bash
# Reproduces the fence race of Mesa's llvmpipe (Debian 12, Mesa 22.3): a
# rasterizer thread unlocks a fence the main thread has already freed, and the
# heap is corrupted (a crash in the C library's allocator, at random).
#
# The window is nanoseconds wide; a shim preloaded into the capture program
# (broadcast_delay_shim.c, built here) widens it by sleeping in the rasterizer
# threads' pthread_cond_broadcast. The same runs with LP_NUM_THREADS=0
# (rasterizing on the main thread) are clean and give the same pictures.
#
#   tools/stress/llvmpipe_fence_race.sh [BUILD_DIR [RUNS [MUSIC_TIME [FPS]]]]
#
# Runs `zelvaro-capture --fps FPS --at MUSIC_TIME` (default 30 and 150, the
# run in which the crash was first met) RUNS times (default 3) with the shim and
# the driver's default threads, then RUNS times with the shim and
# LP_NUM_THREADS=0, and prints how many runs crashed. Exit status 0 when the
# threaded runs crashed and the single-threaded ones did not (reproduced).
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
runs=${2:-3}
at=${3:-150}
fps=${4:-30}
capture="$build/zelvaro-capture"
[ -x "$capture" ] || { echo "no $capture: build the project first" >&2; exit 2; }
[ -d "$build/data" ] || { echo "no $build/data: build the data set first" >&2; exit 2; }

work=$(mktemp -d /tmp/zelvaro-fence-race-XXXXXX)
trap 'rm -rf "$work"' EXIT
cc -O2 -shared -fPIC -o "$work/shim.so" "$here/broadcast_delay_shim.c" -ldl -lpthread ||
    { echo "cannot build the shim (is a C compiler installed?)" >&2; exit 2; }

# One batch of runs; prints the number of crashed runs.
batch() {
    local threads=$1 crashed=0 i status
    for ((i = 1; i <= runs; i++)); do
        rm -rf "$work/out"
        (cd "$build/data" && env $threads LD_PRELOAD="$work/shim.so" \
            "$capture" --fps "$fps" --at "$at" --out "$work/out" > /dev/null 2> "$work/err")
        status=$?
        if [ $status -ge 128 ]; then
            crashed=$((crashed + 1))
            echo "  run $i: killed by signal $((status - 128))" >&2
        elif [ $status -ne 0 ]; then
            echo "  run $i: failed (exit $status): $(tail -1 "$work/err")" >&2
        else
            md5sum "$work"/out/*.png | cut -d' ' -f1 >> "$work/sums-${threads:-default}"
        fi
    done
    echo "$crashed"
}

echo "$runs runs with the rasterizer threads (driver default):"
threaded=$(batch "")
echo "  crashed: $threaded of $runs"
echo "$runs runs with LP_NUM_THREADS=0:"
single=$(batch "LP_NUM_THREADS=0")
echo "  crashed: $single of $runs"
if [ -s "$work/sums-LP_NUM_THREADS=0" ]; then
    echo "  distinct pictures among the clean single-threaded runs: $(sort -u "$work/sums-LP_NUM_THREADS=0" | wc -l)"
fi
[ "$threaded" -gt 0 ] && [ "$single" -eq 0 ]
