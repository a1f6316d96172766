# Shared by the settings tests: sourced by a script of this folder with the arguments
# that tests.cmake passes. probe=... (dialog_probe.cpp) is taken here, the others go on
# to ../lib.sh.
#
# What the tests watch of the saver:
#   - the settings file, $WINEPREFIX/drive_c/windows/VARNO.INI (the prefix's Windows
#     directory, where the platform puts a profile named without a directory);
#   - a relay trace of its own calls to the profile, bitmap, timer, drawing-context and
#     sound functions (trace.py reads it; ticks are counted by the drawing contexts);
#   - the screen, read back with xwd and described by screen.py in terms of the
#     saver's own images;
#   - the settings dialog, through dialog_probe.

lib_arguments=()
for argument in "$@"; do
  case $argument in
    probe=*) PROBE=${argument#probe=} ;;
    *) lib_arguments+=("$argument") ;;
  esac
done
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh" "${lib_arguments[@]}"
unset lib_arguments argument
: "${PROBE:?probe=... is missing}"

SETTINGS_DIR=$SOURCE/tests/wine/settings
SETTINGS_FILE_PATH=  # in the prefix that settings_begin makes
OK_BUTTON=1000 CANCEL_BUTTON=1001 LOGO_BOX=1003 PICTURES_BOX=1004 SOUND_BOX=1005

# test_begin, and a relay trace of the saver's own calls (only when WINEDEBUG asks
# for +relay; see traced_saver_start).
settings_begin() {
  test_begin
  SETTINGS_FILE_PATH=$WINEPREFIX/drive_c/windows/VARNO.INI
  cat >"$WINEPREFIX/drive_c/relay.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Debug]
"RelayInclude"="kernel32.GetPrivateProfileIntA;user32.LoadBitmapA;user32.SetTimer;user32.GetDC;winmm.PlaySoundA"
"RelayFromInclude"="VARNO.scr"
EOF
  wine_run 60 regedit /S 'C:\relay.reg' >/dev/null 2>&1 || abort "cannot set up the relay trace"
}

probe() {
  wine_run 60 "$PROBE" "$@"
}

# store_settings TEXT: the settings file holds exactly TEXT (printf %b escapes).
store_settings() {
  printf '%b' "$1" >"$SETTINGS_FILE_PATH"
}

# The settings file's text with \r and \n spelled out, as store_settings takes it, or
# "absent".
settings_text() {
  if [[ -e "$SETTINGS_FILE_PATH" ]]; then
    LC_ALL=C sed -z 's/\\/\\\\/g; s/\r/\\r/g; s/\n/\\n/g' "$SETTINGS_FILE_PATH"
  else
    echo absent
  fi
}

# --- The full-screen saver under a relay trace ----------------------------------------

# traced_saver_start ARGUMENTS...: saver_start with a relay trace in TRACE.
traced_saver_start() {
  TRACE=$TEST_DIR/trace-$((++TRACE_COUNT)).log
  rm -f "$TRACE"
  # saver_start appends the program's output to saver.log: the trace starts here.
  TRACE_FROM=$(stat -c %s "$TEST_DIR/saver.log" 2>/dev/null || echo 0)
  WINEDEBUG=+relay,+loaddll saver_start "$@"
}
TRACE_COUNT=0

trace_refresh() {
  tail -c +$((TRACE_FROM + 1)) "$TEST_DIR/saver.log" >"$TRACE"
}

ticks() {
  trace_refresh
  python3 "$SETTINGS_DIR/trace.py" "$TRACE" ticks
}

# trace_events TICKS: what the saver did up to the end of tick TICKS (see trace.py).
trace_events() {
  trace_refresh
  python3 "$SETTINGS_DIR/trace.py" "$TRACE" events "$1"
}

# wait_for_ticks N: polls until the saver has drawn N ticks; fails after a generous time.
wait_for_ticks() {
  local tries=1200
  until (($(ticks) >= $1)); do
    ((tries-- > 0)) && saver_running || return 1
    sleep 0.1
  done
}

# What the screen shows now, in the words of screen.py.
describe_screen() {
  timeout -k 5 30 xwd -root -silent -display "$DISPLAY" |
    timeout -k 5 30 /usr/bin/convert xwd:- "ppm:$TEST_DIR/screen.ppm" &&
    python3 "$SETTINGS_DIR/screen.py" "$SOURCE/assets" "$TEST_DIR/screen.ppm"
}

# screen_shows_once PATTERN: polls until the screen matches PATTERN, an extended
# regular expression over describe_screen. Gives up once the saver has drawn 800 ticks
# and at least 10 looks have been taken: a picture reveal takes 15 of every 164 ticks,
# so a composition with a picture shows on nearly every look.
screen_shows_once() {
  local looks=1
  SCREEN=$(describe_screen)
  until [[ "$SCREEN" =~ ^($1)$ ]]; do
    if ! saver_running || ((looks >= 10 && $(ticks) >= 800)); then
      fail "screen after $looks looks: last '$SCREEN', expected '$1'"
      return 1
    fi
    sleep 0.1
    SCREEN=$(describe_screen)
    ((looks++))
  done
}

# screen_shows PATTERN UNTIL_TICK: once the screen matches PATTERN (the saver's first
# frames and the display before it come first), every later look matches it too, until
# the saver has drawn UNTIL_TICK ticks. For settings with the pictures off, where
# nothing on the screen changes but the logo's place.
screen_shows() {
  local looks=1
  screen_shows_once "$1" || return
  until (($(ticks) >= $2)); do
    saver_running || { fail "the saver ended"; return 1; }
    SCREEN=$(describe_screen)
    ((looks++))
    [[ "$SCREEN" =~ ^($1)$ ]] || { fail "screen at look $looks: '$SCREEN', expected '$1'"; return 1; }
  done
}

# Ends the full-screen saver as a user would and expects exit code 0.
end_full_screen() {
  timeout -k 5 10 xdotool key a
  expect_saver_exit "full-screen saver after a key" 0
}

# Words of describe_screen.
ONLY_LOGO='logo=[0-9]+,[0-9]+'
ONLY_PICTURE='picture=[0-9]+@[0-9]+,[0-9]+'
PICTURE_AND_LOGO="$ONLY_PICTURE $ONLY_LOGO"

# --- The settings dialog --------------------------------------------------------------

# dialog_start ARGUMENTS...: starts the saver with the dialog's switch (or none) and
# waits until the dialog is shown with the foreground, which is when keys reach it;
# sets DIALOG and DIALOG_INFO.
dialog_start() {
  local tries=100
  saver_start "$@"
  DIALOG_INFO=$(probe dialog 30) || { fail "no dialog: $DIALOG_INFO"; return 1; }
  while [[ "$(field foreground "$DIALOG_INFO")" != 1 ]] && ((tries-- > 0)); do
    sleep 0.1
    DIALOG_INFO=$(probe dialog 1)
  done
  DIALOG=$(field dialog "$DIALOG_INFO")
}

# The three check boxes now, as "logo pics sound", each 1 or 0.
dialog_boxes() {
  local line
  line=$(probe dialog 1)
  echo "$(field logo "$line") $(field pics "$line") $(field sound "$line")"
}

# user_click ID: a mouse click in the middle of a control of the dialog.
user_click() {
  local line
  line=$(probe point "$DIALOG" "$1") || { fail "no control $1: $line"; return 1; }
  timeout -k 5 10 xdotool mousemove "$(field x "$line")" "$(field y "$line")" click 1
}

# user_key_to_end KEY: presses KEY in the dialog, for a key that ends it. A key that
# arrives before X has given the dialog the input focus is lost, not delivered
# elsewhere, so it is pressed again while the dialog is still there.
user_key_to_end() {
  local tries
  for _ in 1 2 3; do
    timeout -k 5 10 xdotool key "$1"
    tries=50
    while ((tries-- > 0)); do
      saver_running || return 0
      sleep 0.1
    done
  done
}
