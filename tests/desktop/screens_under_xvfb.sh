#!/usr/bin/env bash
# A program on a fresh Xvfb screen of a given size, looked at as a person
# would see it (a screenshot of the X screen), then ended with a real key.
#   screens_under_xvfb.sh card PROGRAM CHECK WIDTH HEIGHT SCREEN KEY
#       the test card (desktop_test_card) of an emulated WIDTH x HEIGHT screen
#       on an X screen of SCREEN (e.g. 1920x1080)
#   screens_under_xvfb.sh show PROGRAM CHECK WIDTH HEIGHT SCREEN KEY DATA_DIR
#       the show (zelvaro, zelvaro-640) four seconds into its music
#   screens_under_xvfb.sh show-no-sound PROGRAM CHECK WIDTH HEIGHT SCREEN KEY DATA_DIR
#       the same without a sound device, as on a machine without a sound card
#       or server (SDL_AUDIODRIVER and XDG_RUNTIME_DIR not set), up to its
#       first frames: standard error holds at most one line per problem, each
#       the program's own
#   screens_under_xvfb.sh window PROGRAM CHECK WIDTH HEIGHT SCREEN KEY
#       the test card played in a window (ZELVARO_WINDOW=1): first the
#       emulated screen's size, then resized to 800 x 400
# Every mode expects exit code 0 after KEY (Escape or F12) and the X screen's
# mode (xrandr) the same before and after; CHECK (desktop_screen_check) judges
# the screenshot. ZELVARO_KEEP_WORK=1 keeps the screenshots.
# Exit code 77 (skipped) when Xvfb, xdotool, xrandr or ffmpeg is missing, or
# when the show runs too slowly on this machine to reach its music.
set -u
mode=$1 program=$2 check=$3 width=$4 height=$5 screen=$6 key=$7
dir=${8:-}
skip=77
for tool in xvfb-run xdotool xrandr ffmpeg; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit $skip; }
done

work=$(mktemp -d)
trap '[ -n "${ZELVARO_KEEP_WORK:-}" ] && echo "work folder: $work" || rm -rf "$work"' EXIT

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
mode=$1 program=$2 check=$3 width=$4 height=$5 screen=$6 key=$7 work=$8
grab() {  # OUT.png
  ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -video_size "$screen" -i "$DISPLAY" -frames:v 1 "$1"
}
xrandr --current | grep '\*' >"$work/mode-before"
case "$mode" in
  card) title="Test Card"; "$program" "$width" "$height" 120 >"$work/out" 2>"$work/err" & ;;
  window) title="Test Card"; ZELVARO_WINDOW=1 "$program" "$width" "$height" 120 >"$work/out" 2>"$work/err" & ;;
  show|show-no-sound)
    title="New Miravel Demo"
    if [ "$mode" = show-no-sound ]; then unset SDL_AUDIODRIVER XDG_RUNTIME_DIR; fi
    ZELVARO_FRAME_LOG=$work/frames.log "$program" >"$work/out" 2>"$work/err" & ;;
esac
pid=$!
if ! window=$(timeout 60 xdotool search --sync --onlyvisible --name "$title" | head -n 1); then
  echo "no window appeared"; cat "$work/err"; kill "$pid" 2>/dev/null; exit 1
fi
status=0
case "$mode" in
  card)
    sleep 1
    grab "$work/screen.png"
    "$check" "$work/screen.png" "$width" "$height" card || status=1
    ;;
  show-no-sound)
    # The audio starts before the first frame; its messages are out by then.
    deadline=$((SECONDS + 120))
    while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$pid" 2>/dev/null; do
      [ -f "$work/frames.log" ] && [ "$(wc -l <"$work/frames.log")" -ge 2 ] && break
      sleep 0.2
    done
    ;;
  show)
    # Four seconds into the music the picture fills the screen.
    deadline=$((SECONDS + 120))
    while [ "$SECONDS" -lt "$deadline" ]; do
      kill -0 "$pid" 2>/dev/null || break
      tail -n 2 "$work/frames.log" 2>/dev/null | head -n 1 |
        awk 'NF == 3 && $2 > 4 { found = 1 } END { exit !found }' && break
      sleep 0.1
    done
    grab "$work/screen.png"
    if tail -n 2 "$work/frames.log" 2>/dev/null | head -n 1 | awk 'NF == 3 && $2 > 4 { found = 1 } END { exit !found }'; then
      "$check" "$work/screen.png" "$width" "$height" show || status=1
    else
      # Frames longer than 0.1 s do not advance the title card: on a software
      # renderer a very large screen can hold the show there.
      echo "the music did not reach 4 s within 120 s ($(wc -l <"$work/frames.log") frames): too slow to look at"
      status=77
    fi
    ;;
  window)
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$window")"
    if [ "$WIDTH" -ne "$width" ] || [ "$HEIGHT" -ne "$height" ]; then
      echo "the window is $WIDTH x $HEIGHT, not the emulated screen's $width x $height"; status=1
    fi
    xdotool windowsize "$window" 800 400
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$window")"
    grab "$work/screen.png"
    if [ "$WIDTH" -ne 800 ] || [ "$HEIGHT" -ne 400 ]; then
      echo "the window was not resized: $WIDTH x $HEIGHT"; status=1
    fi
    "$check" "$work/screen.png" "$width" "$height" card "$X" "$Y" "$WIDTH" "$HEIGHT" || status=1
    ;;
esac
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"; echo "the program ended before the key press with code $?"; cat "$work/err"; exit 1
fi
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key "$key"
deadline=$((SECONDS + 60))
while [ "$SECONDS" -lt "$deadline" ]; do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "the program did not end after $key"; kill "$pid"; exit 1; fi
wait "$pid"
code=$?
if [ "$code" -ne 0 ]; then echo "exit code $code after $key"; cat "$work/err"; exit 1; fi
echo "$key ended it with exit code 0"
xrandr --current | grep '\*' >"$work/mode-after"
if ! cmp -s "$work/mode-before" "$work/mode-after"; then
  echo "the X screen's mode changed:"; cat "$work/mode-before" "$work/mode-after"; exit 1
fi
echo "the X screen's mode is the same before and after: $(tr -s ' ' <"$work/mode-after")"
if [ "$mode" = show-no-sound ]; then
  if grep -qv '^zelvaro: ' "$work/err" || [ "$(sort "$work/err" | uniq -d | wc -l)" -ne 0 ]; then
    echo "standard error holds more than the program's own lines:"; cat "$work/err"; status=1
  else
    echo "standard error: $(wc -l <"$work/err") line(s), the program's own"; cat "$work/err"
  fi
fi
exit $status
SESSION
chmod +x "$work/session.sh"
if [ -n "$dir" ]; then cd "$dir" || exit 1; fi
env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
  xvfb-run -a -s "-screen 0 ${screen}x24" "$work/session.sh" "$mode" "$program" "$check" "$width" "$height" \
  "$screen" "$key" "$work"
