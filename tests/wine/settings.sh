# The settings dialog: the round trip through VARNO.INI, which the next run obeys, and a
# file that cannot be written. Values: as in lib.sh.
. "$(dirname "$0")/lib.sh" "name source work template saver driver" "$@"

REG=$SOUND_TRACE
# The dialog's controls, as the resource header numbers them: OK, CANCEL, LOGO_BOX, ...
while read -r id number; do printf -v "$id" %s "$number"; done < <(sed -n 's/^#define ID_\([A-Z_]*\) \([0-9]*\).*/\1 \2/p' "$source/assets/resource_ids.h")

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
  expect "check boxes (logo pics sound) from the file" "1 0 0" "$(drv checks "$DIALOG" "$LOGO_BOX" "$PICTURES_BOX" "$SOUND_BOX")"
  drv click "$DIALOG" "$LOGO_BOX" "$PICTURES_BOX" "$SOUND_BOX" "$CANCEL" >/dev/null
  expect "exit code after Cancel" 0 "$(saver_exit 20)"
  cmp -s "$file" "$TEST_DIR/stored.ini" || fail "Cancel changed the file: $(tr '\r\n' '  ' <"$file")"
  dialog
  drv click "$DIALOG" "$LOGO_BOX" "$SOUND_BOX" "$OK" >/dev/null
  expect "exit code after OK" 1 "$(saver_exit 20)"
  expect "file after OK" "[VARNO] Sound=1 Logo=0 Pics=0 " "$(joined <"$file")"
  WINEDEBUG=+relay full_screen || return
  expect_sound_cue
  expect "screen without logo and pictures" "800x600 0 0" "$(screen)"
  key_ends
}

# warned FILE REASON [SHOT]: Sound changed and OK bring a warning owned by the dialog that names
# FILE and the system's REASON (the screen into the gallery as SHOT); once closed, the dialog stays.
warned() {
  local box
  drv click "$DIALOG" "$SOUND_BOX" >/dev/null
  drv click "$DIALOG" "$OK" >/dev/null &  # returns once the warning has closed
  box=$(drv find '#32770' VARNO 20)
  expect "warning's owner" "$DIALOG" "$(field owner "$box")"
  expect "warning" "The settings could not be saved to|$1||$2" "$(drv text "$(field window "$box")" 65535)"
  if [[ -n "${GALLERY:-}" && -n "${3:-}" ]]; then xwd -root -silent | convert xwd:- "$GALLERY/$3"; fi
  drv click "$(field window "$box")" 1 >/dev/null
  expect "dialog after the warning" running "$(saver_exit 1)"
}

# A settings file that cannot be written (a folder of its name) stays as it is. The 64-bit build's
# second choice, the user's copy, fails too while a file stands where its VirtualStore folder goes;
# once that is gone, OK makes the folders, saves there and ends with 1. That copy, read first from
# then on, is the file named when it cannot be written.
test_settings_not_saved() {
  test_begin
  local file=$WINEPREFIX/drive_c/windows/VARNO.INI store copy
  store=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/VirtualStore
  mkdir "$file" && rm -rf "$store" && touch "$store"
  dialog
  warned 'C:\windows\VARNO.INI' "Access denied." settings-not-saved.png
  [[ -d "$file" ]] || fail "the folder in the file's place changed"
  rm "$store"
  drv click "$DIALOG" "$OK" >/dev/null
  expect "exit code after OK" 1 "$(saver_exit 20)"
  expect "user's copy in the folders made after OK" "[VARNO] Sound=1 Logo=1 Pics=1 " \
    "$(joined <"$store/Windows/VARNO.INI")"
  copy="C:\\users\\$(id -un)\\AppData\\Local\\VirtualStore\\Windows\\VARNO.INI"
  dialog
  # Another program holds the copy open until the test lets it go (its pause reads the end of input).
  { poll 30 test -e "$TEST_DIR/let-go"; } | wine_run 30 cmd /c "pause >>$copy" >/dev/null 2>&1 &
  poll 10 grep -q "any key" "$store/Windows/VARNO.INI" || fail "the copy is not held open"
  warned "$copy" "Sharing violation."
  touch "$TEST_DIR/let-go"
}

wine_main
