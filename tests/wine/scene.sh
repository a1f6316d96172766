# What the full-screen saver draws: with resources that fail to load, and through GDI pixel
# for pixel as the reference raster draws it. Values: as in lib.sh; reference is reference.cpp's.
. "$(dirname "$0")/lib.sh" "name source work template saver driver reference" "$@"

REG=$SOUND_TRACE

# A copy without the sound's resource type and with the logo's bitmaps unloadable
# still draws its pictures and passes its sound cue; a key ends it with 0.
test_broken_resources() {
  test_begin
  python3 - "$source/tools" "$APP/VARNO.scr" <<'PYTHON' || fail "cannot patch the copy"
import sys
sys.path.insert(0, sys.argv[1])
from check_formats import read_resources
data = bytearray(open(sys.argv[2], "rb").read())
found = {(kind, name): r for (kind, name, _), r in read_resources(bytes(data)).items()}
wave, logo, mask = found["WAVE", 137], found[2, 104], found[2, 130]
data[wave.type_name_offset + 8:wave.type_name_offset + 10] = b"X\0"  # "WAVE", counted UTF-16: "WAVX"
for bitmap in logo, mask:  # the header size, 40, becomes 0
    data[bitmap.offset:bitmap.offset + 4] = bytes(4)
open(sys.argv[2], "wb").write(data)
PYTHON
  write_settings 1 1 1
  WINEDEBUG=+relay full_screen || return
  expect_sound_cue
  [[ "$(screen)" =~ ^800x600\ [0-9]+\ [1-9] ]] || fail "no picture on the screen: $(screen)"
  expect "saver after the sound cue" running "$(saver_exit 0)"
  key_ends
}

# The same seed, client and ticks through GDI and on the reference raster give the same
# bytes: the start, the logo on its way, a reveal under the logo (so seed 3) and a later
# change of picture.
test_scene_pixels() {
  test_begin 640x480x24  # the full-screen client is 640 x 480
  local ticks=(1 2 15 151 158 165 479) tick
  mkdir -p "$TEST_DIR/gdi" "$TEST_DIR/reference"
  drv scene 640 480 3 "$TEST_DIR/gdi" "${ticks[@]}"
  expect "exit code of the run through GDI" 0 $?
  wine_run 120 "$reference" "$source/assets" 640 480 3 "$TEST_DIR/reference" "${ticks[@]}"
  expect "exit code of the run on the reference raster" 0 $?
  for tick in "${ticks[@]}"; do  # ImageMagick counts the pixels that differ
    expect "pixels that differ at tick $tick" 0 \
      "$(compare -metric AE "$TEST_DIR/"{gdi,reference}"/tick_$tick.ppm" null: 2>&1)"
  done
}

wine_main
