# The real executable: its windows, the input that ends it, and the input
# context it hands back. Values: as in lib.sh; preview_host, tools/preview_host.cpp's program.
. "$(dirname "$0")/lib.sh" "name source work template saver driver doubles preview_host" "$@"

test_full_screen() {
  test_begin
  local other
  write_settings 0 0 0  # it draws black only
  drv_line other window "$CLASS" "Another Title"  # the class alone is not a running saver
  [[ "$other" == shown ]] || fail "no window of the saver's class with another title: $other"
  full_screen || return
  expect "full-screen window" "place=0,0,800,600 client=800x600 style=0x96000000 exstyle=0x00000008" \
    "$(grep -o 'place.*exstyle=[^ ]*' <<<"$INFO")"
  poll 10 screen_is "800x600 0 0" || fail "screen: expected all black, got '$(screen)'"
  run 30 /s
  expect "exit code of a second start" 0 $?
  expect "window after a second start" "$WINDOW" "$(field window "$(drv find "$CLASS" "Screen Saver" 0)")"
  xdo mousemove_relative 4 0
  expect "after a move of 4 pixels" running "$(saver_exit 1)"
  expect "cursor over the saver" cursor=0 "$(drv cursor "$WINDOW")"
  key_ends
  expect "saver windows after the exit" none "$(drv find "$CLASS" "Screen Saver" 0)"
}

# "/p HANDLE" in another program's window: a child of its client's size that input
# does not end and that hands its context menu to the parent; destroying the parent
# ends it with 0, and so does the end of the parent's process, which takes the preview's
# window with it and sends it nothing.
test_preview() {
  test_begin
  local parent preview crashing
  drv_line parent parent 320 240 "$TEST_DIR/stop"
  saver_start /p "$parent"
  preview=$(drv find "$CLASS" Preview 20 "$parent")
  expect "preview in the parent" "client=320x240 style=0x52000000" "$(grep -o 'client=[^ ]* style=[^ ]*' <<<"$preview")"
  xdo mousemove 150 150 click 1 mousemove 250 200 click 3 key a  # over the preview
  expect "preview after input" running "$(saver_exit 1)"
  expect "context menu relayed to the parent" "relayed 0x007b $parent" "$(grep relayed "$TEST_DIR/parent.out")"
  touch "$TEST_DIR/stop"
  expect "exit code after the parent was destroyed" 0 "$(saver_exit 20)"
  drv_line crashing parent 320 240 "$TEST_DIR/end"
  saver_start /p "$crashing"
  drv find "$CLASS" Preview 20 "$crashing" >/dev/null || fail "no preview in the second parent"
  echo end >"$TEST_DIR/end"
  expect "exit code after the parent's process ended" 0 "$(saver_exit 5)"
}

# A host that resizes the preview to 240 x 180 (read back in the host's own process): the
# logo alone, whole inside the new size; a scene kept where it was leaves it cut at an edge.
test_preview_resized() {
  test_begin
  write_settings 0 1 0
  "${LOADER[@]}" "$preview_host" 640 480 3 "$TEST_DIR/frame.ppm" 240 180 >>"$TEST_DIR/saver.log" 2>&1 ||
    fail "no preview read back"
  expect "the preview and the logo's extent in it" "240x180 226x106" \
    "$(convert "$TEST_DIR/frame.ppm" -format '%wx%h ' -write info: -trim -format '%wx%h' info:)"
}

# The input context that ImmAssociateContext returned at creation goes back at
# destruction, to the same window.
test_input_method() {
  REG='[Software\\Wine\\Debug]
"RelayInclude"="imm32.ImmAssociateContext"'
  test_begin
  WINEDEBUG=+relay full_screen || return
  key_ends
  local calls window context
  calls=$(relay_calls ImmAssociateContext | head -n3 | joined)
  printf -v window '%08x' "$WINDOW"
  context=$(sed -n 's/^[^>]*-> \([0-9a-f]*\) .*/\1/p' <<<"$calls")
  [[ "$context" =~ [1-9a-f] ]] || fail "no input context at creation: $calls"
  expect "ImmAssociateContext at creation and destruction" "ImmAssociateContext($window,00000000) \
ImmAssociateContext -> $context ImmAssociateContext($window,$context) " "$calls"
}

# The guard around a verifier that faults clears the screen-saver-running flag before the
# process ends with the fault's code.
test_fault_guard() {
  REG=$WIN95_PASSWORD'
[Software\\Wine\\Debug]
"RelayInclude"="user32.SystemParametersInfoA;kernel32.ExitProcess"'
  test_begin
  VARNO_VERIFIER_FAULT=1 WINEDEBUG=+relay full_screen || return
  saver_thread
  xdo key a
  expect "exit code seen by bash after the fault (0xC0000005)" 5 "$(saver_exit 20)"
  expect "flag and exit" "61,1 61,0 c0000005 " "$(flag_and_exit)"
}

# Nobody can see it: the console display reported off (as Windows reports it, the record in
# the saver's own memory) or the session disconnected, and the screen stands still; reported
# dimmed or connected again, and it changes again. A key still ends the saver while it stands.
test_unseen() {
  test_begin
  write_settings 0 1 1
  full_screen || return
  local notices shown stop start
  for notices in "power 0:power 2" "session 2:session 1"; do
    read -r -a stop <<<"${notices%:*}"
    read -r -a start <<<"${notices#*:}"
    expect "${stop[*]} sent" sent=1 "$(drv notice "$WINDOW" "${stop[@]}")"
    sleep 0.3
    shown=$(screen_print)
    sleep 1
    expect "screen a second after ${stop[*]}" "$shown" "$(screen_print)"
    expect "${start[*]} sent" sent=1 "$(drv notice "$WINDOW" "${start[@]}")"
    poll 10 screen_moved "$shown" || fail "screen unchanged after ${start[*]}"
  done
  drv notice "$WINDOW" power 0 >/dev/null
  key_ends a "exit code after a key with the display off"
}
screen_moved() { [[ "$(screen_print)" != "$1" ]]; }

wine_main
