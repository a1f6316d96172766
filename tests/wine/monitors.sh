# Displays: with two monitors the saver draws on the primary and keeps the other black for
# as long as it runs, input over the other being input over the saver; a new resolution
# while it runs is covered again. Values: as in lib.sh.
. "$(dirname "$0")/lib.sh" "name source work template saver driver doubles" "$@"
export VARNO_CALLS_LOG=$APP/calls.log
COVER=VARNOMonitorCover
read -r W0 H0 W1 H1 <<<"$(sed -n 's/^ *Virtual //p' "$source/tests/wine/two-monitors.conf" | xargs)"
SECOND=${W1}x$H1+$W0+0  # the layout's sizes (W0 x H0, W1 x H1); the second right of the first, at the top
REG='[Software\\Wine\\X11 Driver]
"UseXRandR"="N"
"UseXVidMode"="N"'

# start_with_pointer_at X Y: the full-screen saver, the pointer resting there.
start_with_pointer_at() {
  xdo mousemove "$1" "$2"
  full_screen || return
  COVER_INFO=$(drv find "$COVER" "" 10) || { fail "no cover on the second monitor"; return 1; }
}

covered() {
  # The system adds WS_CLIPSIBLINGS (0x04000000) to every top-level window.
  expect "the cover" "place=$W0,0,$((W0 + W1)),$H1 style=0x94000000 exstyle=0x00000088 owner=$WINDOW " \
    "$(grep -o 'place=[^ ]*\|style=[^ ]*\|exstyle=[^ ]*\|owner=[^ ]*' <<<"$COVER_INFO" | joined)"
  expect "the second monitor" "${W1}x$H1 0 0" "$(screen "$SECOND")"
}

test_monitors() {
  test_begin two-monitors.conf
  xsetroot -solid '#3060c0'
  local desktop
  desktop=$(screen "$SECOND")
  start_with_pointer_at 1000 100 || return
  covered
  [[ "$(screen "${W0}x$H0+0+0")" != "${W0}x$H0 0 0" ]] || fail "the primary monitor shows no scene"
  if [[ -n "${GALLERY:-}" ]]; then xwd -root -silent | convert xwd:- "$GALLERY/two-monitors.png"; fi
  xdo mousemove 1004 100
  expect "after a move of 4 pixels over the second monitor" running "$(saver_exit 1)"
  xdo mousemove 1005 100
  expect "exit code after a move of 5 over the second monitor" 0 "$(saver_exit 20)"
  expect "the second monitor after the exit" "$desktop" "$(screen "$SECOND")"
}

# Windows 95 family with a password: a click on the second monitor runs the check, and
# the refusal leaves both monitors covered; the next click is accepted.
test_monitors_password() {
  REG="$REG
$WIN95_PASSWORD"
  test_begin two-monitors.conf
  start_with_pointer_at 1000 100 || return
  xdo click 1
  poll 10 grep -q call=1 "$VARNO_CALLS_LOG"
  expect "verifier calls after a click on the second monitor" "verify window=$WINDOW call=1" "$(cat "$VARNO_CALLS_LOG")"
  expect "after the refusal" running "$(saver_exit 1)"
  covered
  sleep 0.3
  xdo click 1
  expect "exit code after the verifier accepted" 0 "$(saver_exit 20)"
}

# The resolution grows under the running saver: its window takes the new screen, and the
# desktop (blue) shows nowhere, the scene being black alone.
test_resolution_change() {
  REG=
  test_begin modes.conf
  xsetroot -solid '#3060c0'
  write_settings 0 0 0
  full_screen || return
  expect "the switch to 800 x 600" mode=0 "$(drv mode 800 600)"
  poll 10 screen_is "800x600 0 0" || fail "expected an all black 800 x 600 screen, got '$(screen)'"
  expect "the saver window" place=0,0,800,600 "$(drv find "$CLASS" "Screen Saver" 0 | grep -o 'place=[^ ]*')"
  key_ends
}

wine_main
