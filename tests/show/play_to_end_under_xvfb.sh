#!/usr/bin/env bash
# Plays the real program on a fresh Xvfb screen with SDL's dummy audio driver
# and expects it to end by itself, after its last scene, with exit code 0.
#   play_to_end_under_xvfb.sh PROGRAM DATA_DIR [SECONDS]
# SECONDS (default 900) is how long the show may take before it counts as
# hanging. Exit code 77 (skipped) when Xvfb is not installed.
set -u
program=$1
dir=$2
limit=${3:-900}
skip=77

command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed"; exit $skip; }
[ -x "$program" ] || { echo "no program $program"; exit 1; }
[ -d "$dir" ] || { echo "no data set in $dir"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$dir"
export SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11
timeout --kill-after=10 "$limit" xvfb-run -a -s "-screen 0 1024x768x24" \
  "$program" >"$work/out" 2>"$work/err"
code=$?
if [ "$code" -eq 124 ]; then
  echo "the show did not end by itself within $limit s"; cat "$work/err"; exit 1
fi
if [ "$code" -ne 0 ]; then
  echo "the show ended with exit code $code"; cat "$work/err"; exit 1
fi
echo "the show played to its end, exit code 0"
