# The full-screen saver ("/s") on an 800 x 600 display: its window, its first paint,
# the inputs that end it with exit code 0, the small movements that do not, and a
# second start while one runs.
. "$(dirname "$0")/lib.sh" "$@"

FULL_SCREEN="Screen Saver"

# Starts "/s" and waits until its window is shown and has the foreground, which is
# when keys reach it; sets WINDOW and WINDOW_INFO. The pause lets the window settle
# (Wine sends one WM_MOUSEMOVE at the unchanged position just after it appears)
# before a case moves the pointer.
start_full_screen() {
  local tries=200
  saver_start /s
  WINDOW_INFO=$(find_window "$FULL_SCREEN") || { fail "no full-screen window: $WINDOW_INFO"; return 1; }
  while [[ "$(field foreground "$WINDOW_INFO")" != 1 ]] && ((tries-- > 0)); do
    sleep 0.1
    WINDOW_INFO=$(drv find "$SAVER_CLASS" "$FULL_SCREEN")
  done
  WINDOW=$(field window "$WINDOW_INFO")
  sleep 0.5
}

# The pointer's position as Wine reports it, "x,y".
pointer() {
  local line
  line=$(drv cursor)
  echo "$(field x "$line"),$(field y "$line")"
}

# A topmost popup over the whole screen, in the foreground, that keeps its title, paints
# itself black and shows no cursor. With the logo and the pictures off, black is all it
# draws; the display is white before it starts.
window_form() {
  write_settings 0 0 0
  expect_eq "screen before the saver" "800x600 65535 65535" "$(screen_summary)"
  start_full_screen || return
  expect_fields "window" "$WINDOW_INFO" place=0,0,800,600 client=800x600 style=0x96000000 \
    exstyle=0x00000008 parent=0 topmost=1 visible=1 foreground=1
  wait_for_screen "800x600 0 0" 20 || fail "screen: expected all black, got '$SCREEN'"
  expect_eq "WM_SETTEXT" "settext=0 title=$FULL_SCREEN" "$(drv title "$WINDOW" Other)"
  timeout -k 5 10 xdotool mousemove_relative 1 0  # let the pointer cross the window
  expect_eq "cursor over the saver" 0 "$(field cursor "$(drv cursor)")"
  timeout -k 5 10 xdotool key a
  expect_saver_exit "after a key" 0
  remove_settings
}

# ends_on XDOTOOL-ARGUMENTS...: the input ends the saver.
ends_on() {
  start_full_screen || return
  timeout -k 5 10 xdotool "$@"
  expect_saver_exit "after xdotool $*" 0
}

# keeps_running_on DX DY: a movement of |DX| + |DY| <= 4 pixels leaves it running; a
# key then ends it.
keeps_running_on() {
  local dx=$1 dy=$2 before x y
  start_full_screen || return
  before=$(pointer)
  timeout -k 5 10 xdotool mousemove_relative -- "$dx" "$dy"
  x=${before%,*} y=${before#*,}
  expect_eq "pointer after the move" "$((x + dx)),$((y + dy))" "$(pointer)"
  sleep 1
  saver_running || fail "the saver ended after a move of ($dx, $dy)"
  expect_eq "window after the move" 1 "$(drv is-window "$WINDOW")"
  timeout -k 5 10 xdotool key a
  expect_saver_exit "after a key" 0
}

# Another application taking the foreground ends the saver; the probe that saw no
# cursor over the saver sees the arrow over that application's window.
ends_on_deactivation() {
  start_full_screen || return
  drv_background foreground 10 >"$TEST_DIR/foreground.log"
  expect_saver_exit "after another application took the foreground" 0
  local cursor tries=100
  timeout -k 5 10 xdotool mousemove 100 100 mousemove 110 100
  cursor=$(field cursor "$(drv cursor)")
  while [[ "$cursor" == 0 ]] && ((tries-- > 0)); do
    sleep 0.1
    timeout -k 5 10 xdotool mousemove_relative 1 0
    cursor=$(field cursor "$(drv cursor)")
  done
  [[ "$cursor" =~ ^[1-9][0-9]*$ ]] || fail "no cursor seen over an ordinary window: '$cursor'"
}

# A second "/s" finds the running saver, returns 0 at once and leaves it running.
second_start() {
  start_full_screen || return
  wine_run 60 "$SAVER" /s >>"$TEST_DIR/saver.log" 2>&1
  expect_eq "exit code of the second start" 0 "$?"
  expect_eq "running window after the second start" "$WINDOW_INFO" \
    "$(drv find "$SAVER_CLASS" "$FULL_SCREEN")"
  saver_running || fail "the first saver ended"
  timeout -k 5 10 xdotool key a
  expect_saver_exit "first saver after a key" 0
}

test_begin
run_case window_form
run_case ends_on key a
run_case ends_on key alt+x
run_case ends_on click 1
run_case ends_on click 2
run_case ends_on click 3
run_case ends_on mousemove_relative 5 0
run_case ends_on mousemove_relative -- 3 -2
run_case ends_on mousemove_relative -- -1 -4
run_case ends_on_deactivation
run_case keeps_running_on 4 0
run_case keeps_running_on 2 -2
run_case keeps_running_on 0 -4
run_case second_start
test_end
