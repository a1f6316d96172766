# The settings dialog (template 2003), opened by "/c" or by no switch and driven as a
# user would: it shows the stored switches, a click changes only its own box, OK stores
# all three as 0 or 1 and ends with 1, every way of cancelling ends with 0 and stores
# nothing; it opens at the top-left of its owner's client area (of the screen without
# an owner), and the next full-screen run obeys what OK stored.
. "$(dirname "$0")/common.sh" "$@"

DEFAULTS_STORED='[VARNO]\r\nSound=0\r\nLogo=1\r\nPics=1\r\n'
OTHER_SECTION='; kept\r\n[Other]\r\nPics=5\r\n'

# end_dialog HOW: ends (or tries to end) the open dialog.
end_dialog() {
  local line
  case $1 in
    ok | cancel)  # a mouse click on the button
      user_click "$([[ $1 == ok ]] && echo $OK_BUTTON || echo $CANCEL_BUTTON)" ;;
    key-*)
      user_key_to_end "${1#key-}" ;;
    close-box)  # a mouse click on the title bar's close box
      line=$(probe close-box "$DIALOG") || { fail "$line"; return 1; }
      timeout -k 5 10 xdotool mousemove "$(field x "$line")" "$(field y "$line")" click 1 ;;
    sc-close)  # what the system menu's Close sends
      drv post "$DIALOG" 0x0112 0xF060 0 >/dev/null ;;
    wm-close)
      drv post "$DIALOG" 0x0010 0 0 >/dev/null ;;
    toggle-all-cancel)  # every box changes, then Cancel throws the changes away
      probe click "$DIALOG" $LOGO_BOX >/dev/null
      probe click "$DIALOG" $PICTURES_BOX >/dev/null
      probe click "$DIALOG" $SOUND_BOX >/dev/null
      expect_boxes "$((1 - $(field logo "$DIALOG_INFO"))) $((1 - $(field pics "$DIALOG_INFO"))) $((1 - $(field sound "$DIALOG_INFO")))"
      probe click "$DIALOG" $CANCEL_BUTTON >/dev/null ;;
    *) abort "unknown way to end the dialog: $1" ;;
  esac
}

# dialog_ends NAME: the row NAME of DIALOG_CASES. With the settings file STORED
# ("absent": none), SWITCH opens the dialog with the check boxes BOXES ("logo pics
# sound") and the focus on OK; HOW ends it with exit code EXIT and leaves the file as
# AFTER ("absent", "same" as stored, or its text).
dialog_ends() {
  local row name switch stored boxes how exit after
  for row in "${DIALOG_CASES[@]}"; do
    IFS='|' read -r name switch stored boxes how exit after <<<"$row"
    [[ "$name" == "$1" ]] && break
  done
  if [[ "$stored" == absent ]]; then remove_settings; else store_settings "$stored"; fi
  [[ "$after" == same ]] && after=$stored
  [[ "$switch" == none ]] && switch=
  dialog_start ${switch:+"$switch"} || return
  expect_eq "check boxes (logo pics sound) at opening" "$boxes" \
    "$(field logo "$DIALOG_INFO") $(field pics "$DIALOG_INFO") $(field sound "$DIALOG_INFO")"
  expect_eq "control with the focus at opening" $OK_BUTTON "$(field focus "$DIALOG_INFO")"
  end_dialog "$how"
  expect_saver_exit "after $how" "$exit"
  expect_eq "settings file after $how" "$after" "$(settings_text)"
}

# name | switch | stored | boxes at opening | how it ends | exit code | file after
DIALOG_CASES=(
  "ok-creates-the-file|/c|absent|1 1 0|ok|1|$DEFAULTS_STORED"
  "cancel-creates-nothing|/c|absent|1 1 0|cancel|0|absent"
  # Escape and the close box end the dialog as Cancel does.
  "escape|/c|absent|1 1 0|key-Escape|0|absent"
  "close-box|/c|absent|1 1 0|close-box|0|absent"
  "system-menu-close|/c|absent|1 1 0|sc-close|0|absent"
  "close-message|/c|absent|1 1 0|wm-close|0|absent"
  # Space presses the button with the focus: OK.
  "space-on-ok|/c|absent|1 1 0|key-space|1|$DEFAULTS_STORED"
  # A 2 shows as checked and OK stores 1; every key is written, each as 0 or 1.
  "stored-2-becomes-1|/c|[VARNO]\r\nSound=2\r\nLogo=1\r\nPics=0\r\n|1 0 1|ok|1|[VARNO]\r\nSound=1\r\nLogo=1\r\nPics=0\r\n"
  # OK replaces its keys where they stand, adds the missing ones in its own order
  # (Sound before Pics) and leaves the rest of the file alone.
  "ok-keeps-the-rest|/c|${OTHER_SECTION}[varno]\r\nlogo=0\r\n|0 1 0|ok|1|${OTHER_SECTION}[varno]\r\nlogo=0\r\nSound=0\r\nPics=1\r\n"
  # Changes that Cancel throws away leave the file as it was, byte for byte.
  "cancel-keeps-the-file|/c|${OTHER_SECTION}[VARNO]\r\nSound=7\r\nLogo=0\r\nPics=1\r\n|0 1 1|toggle-all-cancel|0|same"
  "no-switch|none|absent|1 1 0|ok|1|$DEFAULTS_STORED"
)

# Enter right after opening presses Cancel under Wine, although OK has the focus. Both
# push buttons carry the default style in the template; Wine's dialog manager keeps
# only the last of them, Cancel, as the dialog's default button and takes the style off
# OK. Giving OK the initial focus does not move the default to it, and Enter on a
# focused button without the default style presses the dialog's default: Cancel.
enter_presses_the_default_button() {
  remove_settings
  dialog_start /c || return
  expect_fields "dialog at opening" "$DIALOG_INFO" focus=$OK_BUTTON defid=$CANCEL_BUTTON \
    ok=push cancel=def
  end_dialog key-Return
  expect_saver_exit "after Enter" 0
  expect_eq "settings file after Enter" absent "$(settings_text)"
}

# expect_boxes EXPECTED: the check boxes come to read EXPECTED ("logo pics sound").
expect_boxes() {
  local tries=50 boxes
  boxes=$(dialog_boxes)
  while [[ "$boxes" != "$1" ]] && ((tries-- > 0)); do
    sleep 0.1
    boxes=$(dialog_boxes)
  done
  expect_eq "check boxes (logo pics sound)" "$1" "$boxes"
}

# A mouse click on a box changes that box alone and stores nothing; OK then stores all.
click_changes_only_its_box() {
  remove_settings
  dialog_start /c || return
  expect_boxes "1 1 0"
  user_click $LOGO_BOX
  expect_boxes "0 1 0"
  user_click $SOUND_BOX
  expect_boxes "0 1 1"
  user_click $PICTURES_BOX
  expect_boxes "0 0 1"
  user_click $LOGO_BOX
  expect_boxes "1 0 1"
  expect_eq "settings file before OK" absent "$(settings_text)"
  end_dialog ok
  expect_saver_exit "after OK" 1
  expect_eq "settings file after OK" '[VARNO]\r\nSound=1\r\nLogo=1\r\nPics=0\r\n' "$(settings_text)"
}

# Without a switch the dialog has no owner and stands at the screen's top-left corner.
placed_without_owner() {
  dialog_start || return
  expect_fields "dialog" "$DIALOG_INFO" owner=0 parent=0
  expect_eq "dialog's top-left corner" "0,0" "$(field place "$DIALOG_INFO" | cut -d, -f1,2)"
  end_dialog cancel
  expect_saver_exit "after Cancel" 0
}

# "/c" is owned by the foreground window and stands at the top-left corner of its
# client area, not centred over it. Wine puts the dialog's client area there (the
# template's position is that of the client area), so its frame and caption reach up
# and left of that corner; without an owner the whole window is pushed onto the
# screen, which puts its frame at (0, 0).
placed_in_foreground_owner() {
  local stop=$TEST_DIR/stop-owner owner tries=300
  rm -f "$stop" "$TEST_DIR/owner.out"
  drv_background parent 300 200 "$(windows_path "$TEST_DIR")\\stop-owner" >"$TEST_DIR/owner.out"
  until owner=$(head -n1 "$TEST_DIR/owner.out" 2>/dev/null) && [[ "$owner" =~ ^[0-9]+$ ]]; do
    ((tries-- > 0)) || { fail "the owner window did not appear"; return 1; }
    sleep 0.1
  done
  expect_eq "owner window in the foreground" "foreground=1" "$(probe foreground "$owner")"
  dialog_start /c || { touch "$stop"; return 1; }
  expect_fields "dialog" "$DIALOG_INFO" owner="$owner" parent="$owner"
  expect_eq "dialog's client area on the screen" "$(field origin "$(probe origin "$owner")")" \
    "$(field client "$DIALOG_INFO")"
  end_dialog cancel
  expect_saver_exit "after Cancel" 0
  touch "$stop"
}

# What OK stores, the next full-screen run obeys: "Random Pics" cleared, no picture
# ever shows, only the logo on black.
next_run_obeys_ok() {
  remove_settings
  dialog_start /c || return
  user_click $PICTURES_BOX
  expect_boxes "1 0 0"
  end_dialog ok
  expect_saver_exit "after OK" 1
  expect_eq "settings file after OK" '[VARNO]\r\nSound=0\r\nLogo=1\r\nPics=0\r\n' "$(settings_text)"
  traced_saver_start /s
  screen_shows "$ONLY_LOGO" 340
  expect_eq "settings read by the next run" \
    "read(VARNO,Sound,0,VARNO.INI)=0 read(VARNO,Logo,1,VARNO.INI)=1 read(VARNO,Pics,1,VARNO.INI)=0" \
    "$(trace_events 340 | grep -o 'read([^ ]*' | tr '\n' ' ' | sed 's/ $//')"
  end_full_screen
}

settings_begin
for row in "${DIALOG_CASES[@]}"; do
  run_case dialog_ends "${row%%|*}"
done
run_case enter_presses_the_default_button
run_case click_changes_only_its_box
run_case placed_without_owner
run_case placed_in_foreground_owner
run_case next_run_obeys_ok
test_end
