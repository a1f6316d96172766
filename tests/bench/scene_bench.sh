#!/usr/bin/env bash
# What the scene costs, on the reference raster and through GDI under Wine, side by
# side: one tick while the logo moves, one reveal step, one change of picture, each in
# microseconds and as a share of the 5 ms tick period, and the bytes a tick moves
# against a plain memcpy of the same bytes on this machine (the floor). It prints the
# figures next to their targets and judges nothing: a busy machine only makes them
# worse.
#
#   tests/bench/scene_bench.sh [--soak] [--cycles N] [name=value ...]
#
# --soak runs the long soak instead: 1,000,000 ticks on the reference raster and
# 100,000 through GDI under Wine, pictures, logo and sound on, across a wrap of
# tickCount past 2^32, printing what each process holds at the start and the end.
#
# Build first: cmake --preset win64 && cmake --build --preset win64 (it makes
# scene_gdi.exe and, with the native compiler, scene-reference/scene_reference).
# name=value overrides the paths: gdi, reference, template (a Wine prefix, made when
# missing), work (where runs leave their files).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$ROOT/build/win64

MODE=bench
CYCLES=40
PAIRS=(source="$ROOT" gdi="$BUILD/scene_gdi.exe" reference="$BUILD/scene-reference/scene_reference"
       template="$BUILD/wineprefix" work="$BUILD/bench")
while (($#)); do
  case $1 in
    --soak) MODE=soak ;;
    --cycles) CYCLES=$2; shift ;;
    *=*) PAIRS+=("$1") ;;
    *) sed -n '2,19p' "$0"; exit 2 ;;
  esac
  shift
done

SCENE_NAME=scene_$MODE
. "$ROOT/tests/wine/scene/scene_lib.sh" "${PAIRS[@]}"
wine_prefix_ensure "$TEMPLATE" || scene_abort "cannot make the Wine prefix $TEMPLATE"
scene_begin

RUN=(--size 640x480 --seed 1)
machine() {
  local cpu load
  cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  echo "Machine: $cpu, $(nproc) cores, load average $load; $("$WINE64" --version) (wine64)," \
       "Xvfb $SCREEN"
}

if [[ $MODE == soak ]]; then
  echo "Scene soak: seed 1, full screen 640 x 480, pictures, logo and sound on"
  machine
  echo
  echo "== reference raster: 1,000,000 ticks (native, -O3, no sanitizers)"
  rc=0
  reference 7200 soak "${RUN[@]}" --settings 111 --ticks-total 1000000 --wrap --check || rc=$?
  echo
  echo "== GDI under Wine: 100,000 ticks"
  gdi 1800 soak "${RUN[@]}" --settings 111 --ticks-total 100000 --wrap --check || rc=$?
  exit "$rc"
fi

declare -A R G
read_figures() {  # ARRAY-NAME: "name value" lines on stdin
  local -n into=$1
  local name value
  while read -r name value; do
    [[ "$name" == *.* ]] && into[$name]=$value
  done
}
reference 1200 bench "${RUN[@]}" --settings 011 --cycles "$CYCLES" >"$TEST_DIR/reference.txt"
gdi 1200 bench "${RUN[@]}" --settings 011 --cycles "$CYCLES" >"$TEST_DIR/gdi.txt"
read_figures R <"$TEST_DIR/reference.txt"
read_figures G <"$TEST_DIR/gdi.txt"
[[ -n "${R[moving.median_us]:-}" && -n "${G[moving.median_us]:-}" ]] ||
  scene_abort "no figures; see $TEST_DIR/reference.txt and gdi.txt"

PERIOD=5000
BANDWIDTH=${R[floor.bytes_per_us]}  # bytes per microsecond of a warm memcpy
calc() { awk "BEGIN { printf \"$1\", $2 }"; }
cost() {  # ARRAY KIND: "median us (mean) share"
  local -n f=$1
  printf '%s us (%s) %s %%' "$(calc %.1f "${f[$2.median_us]}")" "$(calc %.1f "${f[$2.mean_us]}")" \
    "$(calc %.2f "100 * ${f[$2.median_us]} / $PERIOD")"
}
floor_us() { calc %.1f "${R[$1.bytes]} / $BANDWIDTH"; }
ratio() {  # ARRAY KIND
  local -n f=$1
  calc %.1f "${f[$2.median_us]} / (${R[$2.bytes]} / $BANDWIDTH)"
}
verdict() {  # VALUE LIMIT
  awk "BEGIN { exit !($1 < $2) }" && echo "meets" || echo "misses"
}

echo "Scene cost per tick: seed 1, full screen 640 x 480, pictures and logo on, sound off"
machine
echo "Ticks: $CYCLES cycles of 164 on each side (${R[moving.count]} moving, ${R[reveal.count]}" \
     "reveal steps, ${R[change.count]} changes of picture); median (mean) per tick, and share of"
echo "the 5 ms tick period. Each tick includes the logo's move; the floor is a memcpy of the"
echo "tick's bytes (blocks as asked for, 4 bytes a pixel) at the speed measured for the moving"
echo "tick's own blocks: ${R[floor.bytes]} bytes in ${R[floor.blocks]} blocks in" \
     "${R[floor.us]} us ($(calc %.1f "$BANDWIDTH / 1000") GB/s)."
echo
printf '%-30s %-30s %-30s %s\n' "" "reference raster" "GDI under Wine" "target"
for kind in moving reveal change; do
  case $kind in
    moving) title="tick, logo moving" target="< 2 % (100 us)" ;;
    reveal) title="tick with reveal step 2-15" target="" ;;
    change) title="tick with change of picture" target="" ;;
  esac
  printf '%-30s %-30s %-30s %s\n' "$title" "$(cost R $kind)" "$(cost G $kind)" "$target"
  if [[ $kind != moving ]]; then
    printf '%-30s %-30s %-30s\n' "  less a moving tick" \
      "$(calc %.1f "${R[$kind.median_us]} - ${R[moving.median_us]}") us" \
      "$(calc %.1f "${G[$kind.median_us]} - ${G[moving.median_us]}") us"
  fi
  [[ "${R[$kind.bytes]}" == "${G[$kind.bytes]}" ]] ||
    echo "  (the two sides moved different bytes: ${R[$kind.bytes]} and ${G[$kind.bytes]})"
  printf '%-30s %-30s\n' "  bytes moved, memcpy floor" "${R[$kind.bytes]} B, $(floor_us $kind) us"
  printf '%-30s %-30s %-30s %s\n' "  against the floor" "$(ratio R $kind) x" "$(ratio G $kind) x" \
    "$([[ $kind == moving ]] && echo "<= 5 x" || true)"
done
echo
echo "GDI, between ticks (dispatching what is queued; Wine sends the pixels to X here):" \
     "median ${G[pump.median_us]} us, mean ${G[pump.mean_us]} us; whole loop" \
     "${G[loop.us_per_tick]} us a tick"
echo
gdi_moving=${G[moving.median_us]}
echo "Moving tick through GDI: $(calc %.2f "100 * $gdi_moving / $PERIOD") % of the period" \
     "($(verdict "$gdi_moving" $((PERIOD * 2 / 100))) < 2 %)," \
     "$(ratio G moving) x the floor ($(verdict "$(ratio G moving)" 5.0001) <= 5 x)."
echo "Moving tick on the reference raster: $(calc %.2f "100 * ${R[moving.median_us]} / $PERIOD") %" \
     "of the period, $(ratio R moving) x the floor (the reference is written for clarity, not speed)."
