# The scene draws through GDI under Wine exactly what the reference raster draws: the
# same seed and client size, frame for frame, byte for byte. Every tick is compared by
# a hash of the client's pixels and the chosen ticks as whole frames: the first two,
# the first bounce (tick 15 for seed 1 on 640 x 480), every step of the first reveal
# (151 to 165) and the third change of picture (479), on a 32-bit display (Xvfb depth
# 24) and on a 16-bit one. A difference prints its first pixels and leaves diff images
# in the case's directory.
SCENE_NAME=scene_agreement
. "$(dirname "$0")/scene_lib.sh" "$@"

FAILED=0
COMPARE=$SOURCE/tests/wine/scene/compare_frames.py

# run_both DIR TICKS LAST ARGUMENTS...: both programs draw the same run into DIR.
run_both() {
  local dir=$1 ticks=$2 last=$3
  shift 3
  mkdir -p "$dir/gdi" "$dir/reference"
  if ! gdi 120 frames "$@" --ticks "$ticks" --last "$last" \
       --out "$(windows_path "$dir/gdi")" >"$dir/gdi.log" 2>&1; then
    echo "      the GDI program failed:"
    sed 's/^/      | /' "$dir/gdi.log" | head -20
    return 1
  fi
  if ! reference 120 frames "$@" --ticks "$ticks" --last "$last" \
       --out "$dir/reference" >"$dir/reference.log" 2>&1; then
    echo "      the reference program failed:"
    sed 's/^/      | /' "$dir/reference.log" | head -20
    return 1
  fi
}

# agree TITLE NAME TICKS LAST ARGUMENTS...: NAME is the case's directory under $TEST_DIR.
agree() {
  local title=$1 dir=$TEST_DIR/$2 ticks=$3 last=$4 rc=0
  shift 4
  if ! run_both "$dir" "$ticks" "$last" "$@"; then
    echo "FAIL  $title"
    FAILED=$((FAILED + 1))
    return
  fi
  python3 "$COMPARE" "$dir/gdi" "$dir/reference" "$dir/diff" >"$dir/compare.log" 2>&1 || rc=$?
  if ((rc == 3)); then
    # A tick without a frame differs: draw that tick as a frame on both sides.
    local first
    first=$(sed -n 's/.*first difference at tick \([0-9]*\).*/\1/p' "$dir/compare.log")
    if [[ -n "$first" ]] && run_both "$dir/tick_$first" "$first" "$first" "$@"; then
      python3 "$COMPARE" "$dir/tick_$first/gdi" "$dir/tick_$first/reference" \
        "$dir/diff" >>"$dir/compare.log" 2>&1
    fi
  fi
  if ((rc == 0)); then
    echo "ok    $title:$(tail -n1 "$dir/compare.log" | sed 's/: 0 ticks differ/, all identical/')"
  else
    echo "FAIL  $title"
    sed 's/^/    /' "$dir/compare.log"
    FAILED=$((FAILED + 1))
    KEEP_PREFIX=1
  fi
}

scene_begin
FIRST_RUN="1,2,15,151-165,479"
agree "full screen 640x480, seed 1" full_seed1 "$FIRST_RUN" 500 \
  --size 640x480 --seed 1 --settings 011
agree "preview 152x112, seed 1" preview_seed1 "$FIRST_RUN" 500 \
  --size 152x112 --preview --seed 1 --settings 011
# tickCount set to 4294967240 after tick 200: a reveal from tick 211 (tickCount
# 4294967250), the wrap to 0 at tick 270 and the next reveal from tick 271.
agree "full screen 640x480, seed 1, tickCount across 2^32" wrap_seed1 \
  "211,218,225,226,270,271,278,285,300" 300 \
  --size 640x480 --seed 1 --settings 011 --count-after 200=4294967240
agree "full screen 640x480, seed 1733533200" full_seed1733533200 "2,151,158,165,500" 500 \
  --size 640x480 --seed 1733533200 --settings 011
agree "full screen 640x480, seed 1, pictures off" full_seed1_no_pictures "2,15,300" 300 \
  --size 640x480 --seed 1 --settings 010

# A 16-bit display holds every colour as 5-6-5; AND and OR still work bit for bit, so
# the reference, given the images as that display converts them, must match it too.
scene_display 640x480x16
agree "full screen 640x480 on a 16-bit display, seed 1" full_seed1_16bit "$FIRST_RUN" 500 \
  --size 640x480 --seed 1 --settings 011 --display-bits 16

if ((FAILED)); then
  echo "$SCENE_NAME: $FAILED case(s) differ; see $TEST_DIR"
  exit 1
fi
echo "$SCENE_NAME: GDI under Wine and the reference raster agree"
exit 0
