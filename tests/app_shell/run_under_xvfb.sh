#!/usr/bin/env bash
# Runs a zelvaro program as a person would and checks how it ends.
#   run_under_xvfb.sh escape|f12 PROGRAM [DIR]  on a fresh Xvfb screen: wait for
#       the window, a real key press after 2 s, expect exit code 0.
#   run_under_xvfb.sh no-display PROGRAM [DIR]  without any display: expect
#       exit code 1 and one line "zelvaro: cannot open a window: ..." on stderr.
# DIR is where the program runs (its data set) when it exists.
# Exit code 77 (skipped) when Xvfb or xdotool is not installed.
set -u
mode=$1
program=$2
dir=${3:-}
skip=77

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "$dir" ] && [ -d "$dir" ]; then cd "$dir"; else cd "$work"; fi
export SDL_AUDIODRIVER=dummy

case "$mode" in
  no-display)
    # As over a plain remote login: no display and no driver named.
    timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u SDL_AUDIODRIVER \
      "$program" >"$work/out" 2>"$work/err"
    code=$?
    if [ "$code" -ne 1 ]; then
      echo "expected exit code 1 without a display, got $code"; cat "$work/err"; exit 1
    fi
    if [ "$(wc -l <"$work/err")" -ne 1 ] || ! grep -q '^zelvaro: cannot open a window: .' "$work/err"; then
      echo "expected one line 'zelvaro: cannot open a window: ...', got:"; cat "$work/err"; exit 1
    fi
    cat "$work/err"
    exit 0
    ;;
  escape) key=Escape ;;
  f12) key=F12 ;;
  *) echo "usage: $0 escape|f12|no-display PROGRAM [DIR]" >&2; exit 2 ;;
esac

command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed"; exit $skip; }
command -v xdotool >/dev/null || { echo "xdotool is not installed"; exit $skip; }

# Inside the X session: start the program, wait for its window, press the key.
cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
program=$1 key=$2 work=$3
export SDL_VIDEODRIVER=x11
"$program" >"$work/out" 2>"$work/err" &
pid=$!
if ! window=$(timeout 60 xdotool search --sync --onlyvisible --name "New Miravel Demo" | head -n 1); then
  echo "no window appeared"; cat "$work/err"; kill "$pid" 2>/dev/null; exit 1
fi
sleep 2
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"; echo "the program ended before the key press with code $?"; cat "$work/err"; exit 1
fi
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key "$key"
for _ in $(seq 1 600); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the program did not end after $key"; kill "$pid"; wait "$pid"; exit 1
fi
wait "$pid"
code=$?
if [ "$code" -ne 0 ]; then echo "exit code $code after $key"; cat "$work/err"; exit 1; fi
echo "$key closed the window, exit code 0"
SESSION
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$work/session.sh" "$program" "$key" "$work"
