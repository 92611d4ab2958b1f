#!/usr/bin/env bash
# Replays the show's frames through our Direct3D 8 layer and through Wine's,
# and writes a report of the differences.
#
#   tools/d3d8compare/compare.sh [--build DIR] [--out DIR] [--frames "S:T ..."]
#                                [--fps N] [--size 640] [--force-render-state S=V]
#                                [--reuse-traces] [--check]
#
# --frames lists scene:time pairs; the time is a music time in seconds, or
# "card@F" for frame F of the title card (before the music). The default is
# three frames of every scene. For each frame the capture program writes a call
# trace; zelvaro-d3d8replay replays it natively and, built with MinGW-w64, under
# Wine (headless, on Xvfb, with a private WINEPREFIX in DIR/wine). The report,
# in --out (default BUILD/d3d8compare): report.txt (one line per frame: scene,
# time, mean absolute difference of red, green and blue, % of pixels off by
# more than 40, verdict), strips/*.png (ours, Wine's, difference x 8) and
# index.html. With --check the exit code is 1 when a frame is beyond the
# golden frames' tolerance (mean > 2 in a channel, or more than 1 % off by > 40),
# and 77 when Wine, the Windows replayer or Xvfb is missing.
# --size 640 traces the 640 x 480 build's frames (fewer pixels: quicker).
# --force-render-state S=V replays both sides with that render state pinned
# (DIFFERENCES.md: Wine ignores D3DRS_WRAP0, state 128); --reuse-traces keeps
# the traces of an earlier run with the same frames.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build
out=
fps=12
size=()
check=0
reuse=0
forced=()
frames="14:card@1 14:card@24 14:card@40
6:1.0 6:9.0 6:193.0  5:16.5 5:22.0 5:28.0  7:33.0 7:40.0 7:46.0
10:50.5 10:56.0 10:62.5  2:65.0 2:73.0 2:78.0  3:82.0 3:88.5 3:94.0
8:99.0 8:105.0 8:110.0  9:116.0 9:131.0 9:134.0  4:121.0 4:126.0 4:140.0
11:145.0 11:150.0 11:156.0  1:161.0 1:165.0 1:180.0  12:169.0 12:173.0 12:188.0
13:200.25 13:201.0 13:201.75"
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --out) out=$2; shift 2 ;;
    --frames) frames=$2; shift 2 ;;
    --fps) fps=$2; shift 2 ;;
    --size) size=(--size "$2"); shift 2 ;;
    --check) check=1; shift ;;
    --reuse-traces) reuse=1; shift ;;
    --force-render-state) forced+=(--force-render-state "$2"); shift 2 ;;
    *) sed -n '2,28p' "$0" >&2; exit 2 ;;
  esac
done
out=${out:-$build/d3d8compare}
mkdir -p "$out"
out=$(cd "$out" && pwd)
for program in zelvaro-capture zelvaro-d3d8replay zelvaro-d3d8compare; do
  if [ ! -x "$build/$program" ]; then
    echo "compare.sh: $build/$program is missing (build the tools first)" >&2
    exit 1
  fi
done
wine=${WINE:-$(command -v wine64 || true)}
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
missing=
[ -x "$wine" ] || missing="Wine (Debian package wine64)"
[ -x "$build/zelvaro-d3d8replay-windows.exe" ] || missing="$build/zelvaro-d3d8replay-windows.exe (MinGW-w64: g++-mingw-w64-x86-64)"
command -v Xvfb >/dev/null || missing="Xvfb (Debian package xvfb)"
if [ -n "$missing" ]; then
  echo "compare.sh: $missing is missing" >&2
  exit 77
fi

[ "$reuse" -eq 1 ] || rm -rf "$out/traces"
rm -rf "$out/ours" "$out/wine" "$out/strips"
mkdir -p "$out/traces" "$out/ours" "$out/wine" "$out/strips"

# --- call traces: the music times in one run of the show, the title card's frames one run each ---
names=()
music=()
for pair in $frames; do
  time=${pair#*:}
  case "$time" in
    card@*)
      frame=${time#card@}
      names+=("card_$frame")
      [ "$reuse" -eq 1 ] && [ -f "$out/traces/card_$frame.d8t" ] && continue
      (cd "$build/data" && "$build/zelvaro-capture" "${size[@]}" --fps "$fps" --frames $((frame + 1)) \
        --trace-calls "$out/traces/card_$frame.d8t")
      ;;
    *)
      name=$(printf 'calls_%.3f' "$time")
      names+=("$name")
      [ "$reuse" -eq 1 ] && [ -f "$out/traces/$name.d8t" ] && continue
      music+=("$time")
      ;;
  esac
done
if [ ${#music[@]} -gt 0 ]; then
  list=$(IFS=,; echo "${music[*]}")
  (cd "$build/data" && "$build/zelvaro-capture" "${size[@]}" --fps "$fps" --trace-at "$list" --trace-calls "$out/traces")
fi

# --- replays: ours ---
arguments=()
for name in "${names[@]}"; do arguments+=("$out/traces/$name.d8t" "$out/ours/$name.ppm"); done
SDL_VIDEODRIVER=offscreen "$build/zelvaro-d3d8replay" "${forced[@]}" "${arguments[@]}"

# --- replays: Wine, headless ---
xvfb_pid=
cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then "${wine%/*}/wineserver" -k 2>/dev/null || wineserver -k 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
exec 5< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null & echo "pid $!"; wait)
read -r _ xvfb_pid <&5
read -r display <&5
export DISPLAY=:$display
export WINEPREFIX=$build/wine/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  echo "compare.sh: making the Wine prefix $WINEPREFIX (once)" >&2
  "$wine" wineboot -i >/dev/null 2>&1 || true
fi
windows_path() { echo "Z:${1//\//\\}"; }
arguments=()
for name in "${names[@]}"; do
  arguments+=("$(windows_path "$out/traces/$name.d8t")" "$(windows_path "$out/wine/$name.ppm")")
done
"$wine" "$build/zelvaro-d3d8replay-windows.exe" "${forced[@]}" "${arguments[@]}" 2>&1 | grep -v '^[0-9a-f]*:fixme:' >&2 || true

# --- the report ---
beyond=0
{
  echo "# scene time mean-red mean-green mean-blue %off>40 verdict"
  i=0
  for pair in $frames; do
    name=${names[$i]}; i=$((i + 1))
    if [ ! -f "$out/wine/$name.ppm" ] || [ ! -f "$out/ours/$name.ppm" ]; then
      echo "${pair%%:*} ${pair#*:} - - - - missing"
      beyond=1
      continue
    fi
    line=$("$build/zelvaro-d3d8compare" "$out/ours/$name.ppm" "$out/wine/$name.ppm" "$out/strips/$name.png")
    echo "${pair%%:*} ${pair#*:} $line"
    case "$line" in *beyond) beyond=1 ;; esac
  done
} > "$out/report.txt"
cat "$out/report.txt"

{
  echo "<!doctype html><meta charset=utf-8><title>Our Direct3D 8 and Wine's</title>"
  echo "<style>body{font-family:sans-serif;background:#222;color:#ddd}img{width:100%}"
  echo "td,th{padding:2px 8px;text-align:right}.beyond{color:#f66}</style>"
  echo "<h1>The show's frames: our Direct3D 8 (left), Wine's (middle), difference &times; 8 (right)</h1>"
  echo "<table><tr><th>scene<th>time<th>red<th>green<th>blue<th>% off &gt; 40<th>"
  grep -v '^#' "$out/report.txt" | while read -r scene time r g b off verdict; do
    echo "<tr class=$verdict><td>$scene<td><a href=\"#$time\">$time</a><td>$r<td>$g<td>$b<td>$off<td>$verdict"
  done
  echo "</table>"
  i=0
  for pair in $frames; do
    name=${names[$i]}; i=$((i + 1))
    echo "<h2 id=\"${pair#*:}\">scene ${pair%%:*}, ${pair#*:}</h2><img src=\"strips/$name.png\" loading=lazy>"
  done
} > "$out/index.html"
echo "compare.sh: report in $out/report.txt and $out/index.html" >&2
[ "$check" -eq 0 ] || [ "$beyond" -eq 0 ]
