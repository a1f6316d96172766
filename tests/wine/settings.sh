# The settings dialog: the round trip through VARNO.INI, which the next run obeys, and a
# file that cannot be written. Values: as in lib.sh.
. "$(dirname "$0")/lib.sh" "name source work template saver driver" "$@"

REG=$SOUND_TRACE
# The dialog's controls, as the resource header numbers them: OK, CANCEL, LOGO_BOX, ...
eval "$(sed -n 's/^#define ID_\([A-Z_]*\) \([0-9]*\).*/\1=\2/p' "$source/assets/resource_ids.h")"

# dialog: "/c", and DIALOG once it is shown.
dialog() {
  saver_start /c
  DIALOG=$(field window "$(drv find '#32770' "$DIALOG_TITLE" 20)")
}

# The boxes show the file; Cancel leaves it alone; OK writes every switch, and the
# next run shows neither logo nor pictures and plays the sound.
test_settings() {
  test_begin
  local file=$WINEPREFIX/drive_c/windows/VARNO.INI
  write_settings 0 1 0
  cp "$file" "$TEST_DIR/stored.ini"
  dialog
  expect "check boxes (logo pics sound) from the file" "1 0 0" "$(drv checks "$DIALOG" $LOGO_BOX $PICTURES_BOX $SOUND_BOX)"
  drv click "$DIALOG" $LOGO_BOX $PICTURES_BOX $SOUND_BOX $CANCEL >/dev/null
  expect "exit code after Cancel" 0 "$(saver_exit 20)"
  cmp -s "$file" "$TEST_DIR/stored.ini" || fail "Cancel changed the file: $(tr '\r\n' '  ' <"$file")"
  dialog
  drv click "$DIALOG" $LOGO_BOX $SOUND_BOX $OK >/dev/null
  expect "exit code after OK" 1 "$(saver_exit 20)"
  expect "file after OK" "[VARNO] Sound=1 Logo=0 Pics=0 " "$(tr -d '\r' <"$file" | tr '\n' ' ')"
  WINEDEBUG=+relay full_screen || return
  expect_sound_cue
  expect "screen without logo and pictures" "800x600 0 0" "$(screen)"
  xdo key a
  expect "exit code after a key" 0 "$(saver_exit 20)"
}

# OK with a settings file that cannot be written (a folder of its name): a warning owned
# by the dialog names the file and the system's reason, the dialog stays and the file
# does not change. The 64-bit build's second choice, the user's copy, fails too while a
# file stands where its VirtualStore folder goes; once that is gone, OK makes the folders,
# saves there and ends with 1.
test_settings_not_saved() {
  test_begin
  local file=$WINEPREFIX/drive_c/windows/VARNO.INI box
  local store=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/VirtualStore
  mkdir "$file" && rm -rf "$store" && touch "$store"
  dialog
  drv click "$DIALOG" $SOUND_BOX >/dev/null
  drv click "$DIALOG" $OK >/dev/null &  # returns once the warning has closed
  box=$(drv find '#32770' VARNO 20)
  expect "warning's owner" "$DIALOG" "$(field owner "$box")"
  expect "warning" "The settings could not be saved to|C:\\windows\\VARNO.INI||Access denied." \
    "$(drv text "$(field window "$box")" 65535)"
  if [[ -n "${GALLERY:-}" ]]; then xwd -root -silent | /usr/bin/convert xwd:- "$GALLERY/settings-not-saved.png"; fi
  drv click "$(field window "$box")" 1 >/dev/null
  expect "dialog after the warning" running "$(saver_exit 1)"
  [[ -d "$file" ]] || fail "the folder in the file's place changed"
  rm "$store"
  drv click "$DIALOG" $OK >/dev/null
  expect "exit code after OK" 1 "$(saver_exit 20)"
  expect "user's copy in the folders made after OK" "[VARNO] Sound=1 Logo=1 Pics=1 " \
    "$(tr -d '\r' <"$store/Windows/VARNO.INI" | tr '\n' ' ')"
}

wine_main
