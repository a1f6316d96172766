#!/usr/bin/env bash
# Frames to look at, written as PNG into docs/frames/: the same three moments of seed 1
# on a 640 x 480 screen, pictures and logo on, drawn by the reference raster and taken
# from the screen (xwd -root) while the full-screen saver runs under Wine:
#   tick  15  the logo over black, at its first bounce
#   tick 395  the logo over the second picture
#   tick 486  the third reveal half way (step 8 of 15), the logo over its edge
# Each screenshot is also compared with the reference frame and the result printed.
#
#   tests/wine/scene/frames.sh [out=DIR] [name=value ...]    (after the win64 build)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
BUILD=$ROOT/build/win64
OUT=$ROOT/docs/frames
PAIRS=(source="$ROOT" gdi="$BUILD/scene_gdi.exe" reference="$BUILD/scene-reference/scene_reference"
       template="$BUILD/wineprefix" work="$BUILD/bench")
for pair in "$@"; do
  case $pair in
    out=*) OUT=${pair#out=} ;;
    *=*) PAIRS+=("$pair") ;;
    *) sed -n '2,12p' "$0"; exit 2 ;;
  esac
done

SCENE_NAME=scene_frames
. "$ROOT/tests/wine/scene/scene_lib.sh" "${PAIRS[@]}"
wine_prefix_ensure "$TEMPLATE" || scene_abort "cannot make the Wine prefix $TEMPLATE"
scene_begin
mkdir -p "$OUT"
CONVERT=/usr/bin/convert
# No dates in the files, so that making them again changes nothing.
PNG=(-strip -define png:exclude-chunks=date,time)
MOMENTS=(15 logo_over_black 395 logo_over_picture 486 reveal_half_way)
RUN=(--size 640x480 --seed 1 --settings 011)

reference 120 frames "${RUN[@]}" --ticks 15,395,486 --last 486 --out "$TEST_DIR" >/dev/null
set -- "${MOMENTS[@]}"
while (($#)); do
  tick=$1 name=$2
  shift 2
  frame=$(printf '%s/tick_%06u.ppm' "$TEST_DIR" "$tick")
  timeout -k 5 60 "$CONVERT" "$frame" "${PNG[@]}" "$OUT/reference_${name}.png"

  # The saver stops after the tick and keeps its window up until the screenshot is taken.
  hold=$TEST_DIR/hold_$tick
  mkdir -p "$TEST_DIR/gdi_$tick"
  gdi 120 frames "${RUN[@]}" --ticks "$tick" --last "$tick" --hold "$(windows_path "$hold")" \
    --out "$(windows_path "$TEST_DIR/gdi_$tick")" >"$TEST_DIR/gdi_$tick.log" 2>&1 &
  saver=$!
  for _ in $(seq 600); do [[ -e "$hold.ready" ]] && break; sleep 0.1; done
  [[ -e "$hold.ready" ]] || { kill "$saver"; scene_abort "the saver did not reach tick $tick"; }
  sleep 0.5
  timeout -k 5 30 xwd -root -silent -display "$DISPLAY" >"$TEST_DIR/screen_$tick.xwd"
  touch "$hold"
  wait "$saver" || scene_abort "the saver failed; see $TEST_DIR/gdi_$tick.log"
  timeout -k 5 60 "$CONVERT" "xwd:$TEST_DIR/screen_$tick.xwd" "${PNG[@]}" "$OUT/wine_${name}.png"

  if cmp -s <(timeout -k 5 60 "$CONVERT" "xwd:$TEST_DIR/screen_$tick.xwd" rgb:-) \
            <(timeout -k 5 60 "$CONVERT" "$frame" rgb:-); then
    same="the screen equals the reference frame"
  else
    same="the screen DIFFERS from the reference frame"
  fi
  echo "tick $tick: $OUT/reference_${name}.png, $OUT/wine_${name}.png: $same"
done
