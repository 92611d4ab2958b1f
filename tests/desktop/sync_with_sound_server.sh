#!/usr/bin/env bash
# The picture in sync with what is heard, end to end: the real program on a
# fresh Xvfb screen plays into a real PulseAudio server (started here, with a
# null sink as its only output, in a private runtime folder); the sink's
# monitor is recorded with timestamps; the program writes its frame log
# (ZELVARO_FRAME_LOG). After SECONDS of music the show is ended with Escape,
# the servers are stopped and the analysis prints the offset of each frame's
# music time from what was heard, and fails outside |mean| <= 10 ms and
# worst <= 20 ms.
#   sync_with_sound_server.sh PROGRAM DATA_DIR RECORDER ANALYSIS [SECONDS]
# Exit code 77 (skipped) when Xvfb, xdotool or pulseaudio is not installed.
set -u
program=$1
dir=$2
recorder=$3
analysis=$4
seconds=${5:-60}
skip=77

for tool in xvfb-run xdotool pulseaudio pactl; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit $skip; }
done
[ -x "$program" ] || { echo "no program $program"; exit 1; }
[ -f "$dir/msx/zelvaro.mp3" ] || { echo "no data set in $dir"; exit 1; }

work=$(mktemp -d)
server_pid=
recorder_pid=
stop_all() {
  [ -n "$recorder_pid" ] && kill "$recorder_pid" 2>/dev/null && wait "$recorder_pid" 2>/dev/null
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  recorder_pid= server_pid=
}
trap 'stop_all; [ -n "${ZELVARO_KEEP_WORK:-}" ] && echo "work folder: $work" || rm -rf "$work"' EXIT

# The sound server: a null sink (the only output), the native protocol on a
# socket in the private runtime folder, never exiting while idle.
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset PULSE_SERVER PULSE_SINK
cat >"$work/server.pa" <<'PA'
load-module module-null-sink sink_name=zelvaro_sync rate=44100 channels=2 format=s16le
load-module module-native-protocol-unix
set-default-sink zelvaro_sync
PA
pulseaudio -n -F "$work/server.pa" --daemonize=no --system=false --exit-idle-time=-1 \
  --log-target=file:"$work/server.log" &
server_pid=$!
for _ in $(seq 1 100); do
  pactl info >/dev/null 2>&1 && break
  sleep 0.1
done
pactl info >/dev/null 2>&1 || { echo "the sound server did not start"; cat "$work/server.log"; exit 1; }

"$recorder" zelvaro_sync.monitor "$work/recording.raw" "$work/recording.times" 2>"$work/recorder.err" &
recorder_pid=$!

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
program=$1 work=$2 seconds=$3
ZELVARO_FRAME_LOG=$work/frames.log "$program" >"$work/out" 2>"$work/err" &
pid=$!
# Wait for the music to pass SECONDS (plus a little), then end the show.
deadline=$(( SECONDS + seconds + 120 ))
while [ "$SECONDS" -lt "$deadline" ]; do
  kill -0 "$pid" 2>/dev/null || break
  # The last complete line of the log (it is written in blocks).
  if tail -n 2 "$work/frames.log" 2>/dev/null | head -n 1 |
     awk -v s="$seconds" 'NF == 3 && $2 > s + 1 { found = 1 } END { exit !found }'; then break; fi
  sleep 0.1
done
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"; echo "the program ended early with code $?"; cat "$work/err"; exit 1
fi
xdotool key Escape
deadline=$(( SECONDS + 60 ))
while [ "$SECONDS" -lt "$deadline" ]; do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { echo "the program did not end after Escape"; kill "$pid"; exit 1; }
wait "$pid"
code=$?
[ "$code" -eq 0 ] || { echo "exit code $code after Escape"; cat "$work/err"; exit 1; }
SESSION
chmod +x "$work/session.sh"
cd "$dir"
env -u SDL_AUDIODRIVER -u SDL_VIDEODRIVER -u ZELVARO_VSYNC \
  xvfb-run -a -s "-screen 0 1024x768x24" "$work/session.sh" "$program" "$work" "$seconds" || {
    echo "the show did not play as expected"; exit 1; }
stop_all
if [ -s "$work/err" ]; then echo "the program said:"; cat "$work/err"; fi
"$analysis" "$dir/msx/zelvaro.mp3" "$work/recording.raw" "$work/recording.times" "$work/frames.log" "$seconds"
