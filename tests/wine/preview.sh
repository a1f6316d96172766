# The preview ("/p HANDLE") in a window of another program, as the display settings
# would host it: a child filling the host's client area that ignores input, hands help
# requests to its host, and ends with exit code 0 when its host window goes. (What the
# preview draws cannot be read back across processes under Wine; its drawing is the
# full screen's.)
. "$(dirname "$0")/lib.sh" "$@"

PREVIEW="Preview"

# Starts the driver's host window with a 320 x 240 client area, and the preview in it.
# Sets HOST, STOP_FILE, PREVIEW_INFO and PREVIEW_WINDOW.
start_preview() {
  STOP_FILE=$TEST_DIR/stop-host
  rm -f "$STOP_FILE" "$TEST_DIR/host.out"
  drv_background parent 320 240 "$(windows_path "$TEST_DIR")\\stop-host" >"$TEST_DIR/host.out"
  local tries=300
  until HOST=$(head -n1 "$TEST_DIR/host.out" 2>/dev/null) && [[ "$HOST" =~ ^[0-9]+$ ]]; do
    ((tries-- > 0)) || { fail "the host window did not appear"; return 1; }
    sleep 0.1
  done
  saver_start /p "$HOST"
  PREVIEW_INFO=$(find_window "$PREVIEW" "$HOST") || { fail "no preview: $PREVIEW_INFO"; return 1; }
  PREVIEW_WINDOW=$(field window "$PREVIEW_INFO")
}

# The host window goes away, as when the display settings close.
close_host() {
  touch "$STOP_FILE"
}

# The form of the preview, and its life: input changes nothing, and destroying the host
# window ends the preview with exit code 0.
lifecycle() {
  start_preview || return
  expect_fields "preview" "$PREVIEW_INFO" place=0,0,320,240 client=320x240 style=0x52000000 \
    exstyle=0x00000000 parent="$HOST" visible=1
  expect_eq "WM_SETTEXT" "settext=0 title=$PREVIEW" "$(drv title "$PREVIEW_WINDOW" Other)"

  # Input posted to the preview: keys, buttons, a movement, losing activation, a cursor query.
  local message
  for message in 0x0100 0x0104 0x0201 0x0204 0x0207; do
    drv post "$PREVIEW_WINDOW" "$message" 0x41 0 >/dev/null || fail "post $message failed"
  done
  drv post "$PREVIEW_WINDOW" 0x0200 0 0x00500050 >/dev/null   # WM_MOUSEMOVE
  drv post "$PREVIEW_WINDOW" 0x001C 0 0 >/dev/null            # WM_ACTIVATEAPP, deactivated
  drv send "$PREVIEW_WINDOW" 0x0020 "$PREVIEW_WINDOW" 0x02000001 >/dev/null  # WM_SETCURSOR
  # And real input over it: the pointer travels across it, and clicks.
  local origin=$(field screen "$PREVIEW_INFO")
  local x=$((${origin%,*} + 100)) y=$((${origin#*,} + 100))
  timeout -k 5 10 xdotool mousemove "$x" "$y" mousemove $((x + 60)) $((y + 40)) click 1 key a
  sleep 1
  saver_running || fail "the preview ended on input"
  expect_eq "preview window after input" 1 "$(drv is-window "$PREVIEW_WINDOW")"

  close_host
  expect_saver_exit "after the host window was destroyed" 0
}

# Help requests are answered with 1 and passed to the host window with wParam replaced
# by the host's handle and lParam unchanged. Only the context menu can be seen arriving:
# WM_HELP carries a pointer, and Wine (like Windows NT) refuses to post such a message.
help_requests() {
  start_preview || return
  expect_eq "WM_CONTEXTMENU answer" 1 "$(drv send "$PREVIEW_WINDOW" 0x007B "$PREVIEW_WINDOW" 0x00780064)"
  expect_eq "WM_HELP answer" 1 "$(drv help "$PREVIEW_WINDOW")"
  local expected="received message=0x007B wparam=$HOST lparam=$((0x00780064))" tries=100
  until grep -qxF "$expected" "$TEST_DIR/host.out"; do
    ((tries-- > 0)) || { fail "the host did not receive '$expected'"; break; }
    sleep 0.1
  done
  close_host
  expect_saver_exit "after the host window was destroyed" 0
}

# A WM_CLOSE destroys the preview at once, without any check, and ends it with 0.
close_message() {
  start_preview || return
  drv post "$PREVIEW_WINDOW" 0x0010 0 0 >/dev/null   # WM_CLOSE
  expect_saver_exit "after WM_CLOSE" 0
  expect_eq "host window after the preview ended" 1 "$(drv is-window "$HOST")"
  close_host
}

test_begin
run_case lifecycle
run_case help_requests
run_case close_message
test_end
