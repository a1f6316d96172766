# What the full-screen saver draws: as the settings dialog and file say, with resources
# that fail to load, and through GDI pixel for pixel as the reference raster draws it.
. "$(dirname "$0")/lib.sh" "$@"

REG='[Software\\Wine\\Debug]
"RelayInclude"="winmm.PlaySoundA"'
OK=1000 CANCEL=1001 LOGO=1003 PICS=1004 SOUND=1005

# sound_cue: waits for the first sound cue (tick 310, seconds in) and prints its call.
sound_cue() {
  poll 30 '[[ -n "$(relay_calls PlaySoundA)" ]]'
  relay_calls PlaySoundA | head -n1 | sed -E 's/,0*[1-9a-f][0-9a-f]*,/,MODULE,/'  # a module, not 0
}

# dialog: "/c", and DIALOG once it is shown.
dialog() {
  saver_start /c
  DIALOG=$(field window "$(drv find '#32770' 'Hi There !' 20)")
}

# The boxes show the file; Cancel leaves it alone; OK writes every switch, and the
# next run shows neither logo nor pictures and plays the sound.
test_settings() {
  test_begin
  local file=$WINEPREFIX/drive_c/windows/VARNO.INI
  write_settings 0 1 0
  cp "$file" "$TEST_DIR/stored.ini"
  dialog
  expect "check boxes (logo pics sound) from the file" "1 0 0" "$(drv checks "$DIALOG" $LOGO $PICS $SOUND)"
  drv click "$DIALOG" $LOGO $PICS $SOUND $CANCEL >/dev/null
  expect "exit code after Cancel" 0 "$(saver_exit 20)"
  cmp -s "$file" "$TEST_DIR/stored.ini" || fail "Cancel changed the file: $(tr '\r\n' '  ' <"$file")"
  dialog
  drv click "$DIALOG" $LOGO $SOUND $OK >/dev/null
  expect "exit code after OK" 1 "$(saver_exit 20)"
  expect "file after OK" "[VARNO] Sound=1 Logo=0 Pics=0 " "$(tr -d '\r' <"$file" | tr '\n' ' ')"
  WINEDEBUG=+relay full_screen || return
  expect "sound cue" "PlaySoundA(00000089,MODULE,00042005)" "$(sound_cue)"
  expect "screen without logo and pictures" "800x600 0 0" "$(screen)"
  xdo key a
  expect "exit code after a key" 0 "$(saver_exit 20)"
}

# OK with a settings file that cannot be written (a folder of its name): a warning owned
# by the dialog names the file and the system's reason, the dialog stays and the file
# does not change; once the folder is gone, OK saves and ends with 1.
test_settings_not_saved() {
  test_begin
  local file=$WINEPREFIX/drive_c/windows/VARNO.INI box
  local store=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/VirtualStore/Windows/VARNO.INI
  mkdir -p "$file" "$store"  # the 64-bit build's second choice, the user's copy, fails too
  dialog
  drv click "$DIALOG" $SOUND >/dev/null
  drv click "$DIALOG" $OK >/dev/null &  # returns once the warning has closed
  box=$(drv find '#32770' VARNO 20)
  expect "warning's owner" "$DIALOG" "$(field owner "$box")"
  expect "warning" "The settings could not be saved to|C:\\windows\\VARNO.INI||Access denied." \
    "$(drv text "$(field window "$box")" 65535)"
  [[ -z "${GALLERY:-}" ]] || xwd -root -silent | /usr/bin/convert xwd:- "$GALLERY/settings-not-saved.png"
  drv click "$(field window "$box")" 1 >/dev/null
  expect "dialog after the warning" running "$(saver_exit 1)"
  [[ -d "$file" ]] || fail "the folder in the file's place changed"
  rmdir "$store"
  drv click "$DIALOG" $OK >/dev/null
  expect "exit code after OK" 1 "$(saver_exit 20)"
  expect "user's copy after OK" "[VARNO] Sound=1 Logo=1 Pics=1 " "$(tr -d '\r' <"$store" | tr '\n' ' ')"
}

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
  expect "sound cue" "PlaySoundA(00000089,MODULE,00042005)" "$(sound_cue)"
  [[ "$(screen)" =~ ^800x600\ [0-9]+\ [1-9] ]] || fail "no picture on the screen: $(screen)"
  expect "saver after the sound cue" running "$(saver_exit 0)"
  xdo key a
  expect "exit code after a key" 0 "$(saver_exit 20)"
}

# The same seed, client and ticks through GDI and on the reference raster give the same
# bytes: the start, the logo on its way, a reveal under the logo (so seed 3) and a later
# change of picture.
test_scene_pixels() {
  test_begin 640x480x24  # the full-screen client is 640 x 480
  local ticks="1 2 15 151 158 165 479" tick
  mkdir -p "$TEST_DIR/gdi" "$TEST_DIR/reference"
  drv scene 640 480 3 "$TEST_DIR/gdi" $ticks
  expect "exit code of the run through GDI" 0 $?
  wine_run 120 "$reference" "$source/assets" 640 480 3 "$TEST_DIR/reference" $ticks
  expect "exit code of the run on the reference raster" 0 $?
  for tick in $ticks; do  # ImageMagick counts the pixels that differ
    expect "pixels that differ at tick $tick" 0 \
      "$(/usr/bin/compare -metric AE "$TEST_DIR/"{gdi,reference}"/tick_$tick.ppm" null: 2>&1)"
  done
}

wine_main
