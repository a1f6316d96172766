# Resources that fail to load do not stop the full-screen saver: a copy of it without
# its sound and with its logo's images broken still changes pictures past both sound
# cues, one with every picture broken still moves its logo, and a key ends each with 0.
. "$(dirname "$0")/lib.sh" "$@"

BUILT_SAVER=$SAVER

# broken_copy OPTIONS...: SAVER becomes a copy of the built saver with the resources
# that the options name made unloadable (see break_resources.py).
broken_copy() {
  mkdir -p "$TEST_DIR/broken"
  SAVER=$TEST_DIR/broken/VARNO.scr
  python3 "$SOURCE/tests/wine/break_resources.py" "$BUILT_SAVER" "$SAVER" "$@" ||
    abort "cannot write the broken copy"
}

screen_hash() {
  timeout -k 5 30 xwd -root -silent -display "$DISPLAY" | md5sum | cut -d' ' -f1
}

# keeps_drawing SECONDS: the screen shows something other than black and keeps changing
# (at least 5 different screens, one look every half second) while the saver runs on.
keeps_drawing() {
  local deadline=$((SECONDS + $1)) summary
  declare -A seen=()
  local -i bright=0
  while ((SECONDS < deadline)); do
    saver_running || { fail "the saver ended by itself"; return 1; }
    seen[$(screen_hash)]=1
    summary=$(screen_summary)
    [[ "${summary##* }" != 0 ]] && bright+=1
    sleep 0.5
  done
  ((bright > 0)) || fail "the screen stayed black"
  ((${#seen[@]} >= 5)) || fail "the screen changed only $((${#seen[@]} - 1)) times in $1 s"
}

run_until_key() {
  saver_start /s
  find_window "Screen Saver" >/dev/null || { fail "no full-screen window"; return 1; }
  keeps_drawing "$1" || return
  timeout -k 5 10 xdotool key a
  expect_saver_exit "after a key" 0
}

# Sound cues fall on ticks 310 and 620, about 3 and 6 s in; the pictures change every
# 164 ticks.
without_sound_and_logo() {
  broken_copy --without-sound --break-bitmap 104 --break-bitmap 130
  write_settings 1 1 1
  run_until_key 8
}

without_pictures() {
  local id ids=()
  for id in 105 106 107 108 109 110 111 112 114 115 116 117 118 119 120 121 122 123 124 \
            125 126 127 128 150; do
    ids+=(--break-bitmap "$id")
  done
  broken_copy "${ids[@]}"
  write_settings 1 1 1
  run_until_key 4
}

test_begin
run_case without_sound_and_logo
run_case without_pictures
test_end
