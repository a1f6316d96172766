# The Windows 95 family with a password and a verifier that refuses (verdict 0): every
# way out of the full-screen saver goes through the verifier, and the saver stays; the
# cursor is hidden again and the mouse anchor re-taken after each refusal; no new check
# starts within 200 ms of the last one's end; a close requested from inside the check
# is answered 0 without a second call.
. "$(dirname "$0")/common.sh" "$@"

# A key press reaches the verifier with the saver's window. While the check is open
# the pointer moves 30 pixels: the saver sees the movement but requests no close. When
# the verifier has refused, the saver hides the cursor (its first call after the
# verdict) and takes the anchor where the pointer now is: 4 pixels from there start no
# close, a fifth pixel does.
key_then_anchor() {
  local enter events after_verdict x y tries=300
  install_app verifier
  verifier_script "0 hold" "0"
  start_full_screen relay || return
  IFS=, read -r x y <<<"$(pointer)"
  timeout -k 5 10 xdotool key a
  wait_for_lines '^enter call=1 ' 1 "$VERIFIER_LOG" || { fail "the key reached no verifier"; return; }
  enter=$(verifier_line enter 1)
  expect_eq "window given to the verifier" "$WINDOW" "$(field window "$enter")"
  [[ "$(field cursor "$enter")" =~ ^[1-9] ]] || fail "the verifier showed no pointer: $enter"

  timeout -k 5 10 xdotool mousemove_relative 30 0
  wait_for_lines "^input call=1 .*message=0x0200 x=$((x + 30)) " 1 "$VERIFIER_LOG" ||
    fail "the movement did not reach the saver during the check"
  verifier_release
  wait_for_check 1 || return
  settle
  saver_running || { fail "the saver ended after a refusal"; return; }
  expect_eq "cursor after the refusal" 0 "$(field cursor "$(drv cursor)")"

  events=$(relay_events "$TEST_DIR/saver.log")
  # From the verifier's question to its verdict: no close request of the saver's own.
  expect_eq "close requests posted during the check" "" \
    "$(sed -n '/"VerifyScreenSavePwd asks"/,/"VerifyScreenSavePwd returns 0"/p' <<<"$events" |
      grep -F 'PostMessageA(saver,00000010)')"
  after_verdict=$(sed -n '/"VerifyScreenSavePwd returns 0"/,$p' <<<"$events" | sed -n '2,4p')
  expect_lines "the saver's calls after the verdict" \
    "SetCursor(00000000)
GetTickCount()
GetCursorPos()" "$after_verdict"

  moved_to $((x + 34)) "$y" || return
  expect_eq "close requests after a 4-pixel move from the new anchor" 0 "$(closes_after_verdict)"
  expect_eq "checks after a 4-pixel move from the new anchor" 1 "$(verifier_calls)"
  moved_to $((x + 35)) "$y" || return
  until (($(closes_after_verdict) > 0)); do
    ((tries-- > 0)) || { fail "no close request after a fifth pixel"; return; }
    sleep 0.1
  done
  settle
  expect_eq "close requests after a fifth pixel" 1 "$(closes_after_verdict)"
  wait_for_check 2 && expect_eq "checks after a fifth pixel" 2 "$(verifier_calls)"
}

# The saver's WM_CLOSE requests posted since the first verdict.
closes_after_verdict() {
  relay_events "$TEST_DIR/saver.log" | sed -n '/"VerifyScreenSavePwd returns 0"/,$p' |
    grep -cF 'PostMessageA(saver,00000010)'
}

# moved_to X Y: moves the pointer there (one step to the right) and waits until Wine
# has it there and the saver has run a movement test since (the GetCursorPos of the
# test in the relay trace), then until the saver has handled what was sent before.
moved_to() {
  local tests tries=100
  tests=$(count_lines 'Call user32\.GetCursorPos' "$TEST_DIR/saver.log")
  timeout -k 5 10 xdotool mousemove "$1" "$2"
  until [[ "$(pointer)" == "$1,$2" ]]; do
    ((tries-- > 0)) || { fail "the pointer did not reach $1,$2: $(pointer)"; return 1; }
    sleep 0.1
  done
  wait_for_lines 'Call user32\.GetCursorPos' $((tests + 1)) "$TEST_DIR/saver.log" ||
    { fail "the saver saw no movement to $1,$2"; return 1; }
  settle
}

# Each way out, one after the other in one run, is submitted to the verifier exactly
# once and refused; the saver stays. Each is one input event that requests a close (F10
# alone makes WM_SYSKEYDOWN), so that no second request can come more than 200 ms
# after the check on a slow machine. Losing activation comes last: keys and buttons
# would go to the other application afterwards.
WAYS_OUT=(
  "key a"
  "key F10"
  "click 1"
  "click 2"
  "click 3"
  "mousemove_relative 10 0"
  "post WM_CLOSE"
  "send WM_SYSCOMMAND SC_CLOSE"
  "deactivation"
)

way_out() {
  case $1 in
    "post WM_CLOSE") drv post "$WINDOW" "$WM_CLOSE" 0 0 >/dev/null ;;
    "send WM_SYSCOMMAND SC_CLOSE") drv send "$WINDOW" "$WM_SYSCOMMAND" "$SC_CLOSE" 0 >/dev/null ;;
    deactivation) drv_background foreground 10 >"$TEST_DIR/foreground.log" ;;
    *) read -r -a arguments <<<"$1"; timeout -k 5 10 xdotool "${arguments[@]}" ;;
  esac
}

every_way_out_is_checked() {
  local way calls=0
  install_app verifier
  verifier_script  # every call refuses at once
  start_full_screen || return
  for way in "${WAYS_OUT[@]}"; do
    way_out "$way"
    calls=$((calls + 1))
    wait_for_check "$calls" || { fail "'$way' was not submitted to the verifier"; return; }
    settle
    expect_eq "verifier calls after '$way'" "$calls" "$(verifier_calls)"
    saver_running || { fail "the saver ended after '$way' was refused"; return; }
  done
  expect_eq "window after every refusal" 1 "$(drv is-window "$WINDOW")"
}

# Three WM_CLOSE sent from another program: two back to back, a third 300 ms after the
# second was answered. Every one is answered 0. The second, answered less than 200 ms
# after the first check ended, cannot have called the verifier; the third calls it.
# A machine too busy to send the second within 200 ms makes the burst inconclusive,
# and it is tried again.
repeat_interval() {
  local attempt burst leave first_end second_end calls enter
  install_app verifier
  verifier_script
  start_full_screen || return
  for attempt in 1 2 3; do
    calls=$(verifier_calls)
    burst=$(wine_run 60 "$PROBE" close-burst "$WINDOW")
    expect_fields "answers (attempt $attempt)" "$burst" first=0 second=0 third=0
    wait_for_check $((calls + 2)) || return
    settle
    leave=$(field tick "$(verifier_line leave $((calls + 1)))")
    second_end=$(field second.end "$burst")
    first_end=$(field first.end "$burst")
    ((leave <= first_end)) || fail "the first check ended after its WM_CLOSE was answered"
    if ((second_end - leave >= 200)); then
      echo "      attempt $attempt inconclusive: the second WM_CLOSE was answered $((second_end - leave)) ms after the check"
      continue
    fi
    expect_eq "verifier calls for three requests" $((calls + 2)) "$(verifier_calls)"
    enter=$(field tick "$(verifier_line enter $((calls + 2)))")
    (($(field third.start "$burst") <= enter && enter <= $(field third.end "$burst"))) ||
      fail "the second check did not run while the third WM_CLOSE was handled: $burst; enter=$enter"
    echo "      second WM_CLOSE answered $((second_end - leave)) ms after the first check," \
      "third sent $(($(field third.start "$burst") - leave)) ms after it"
    return
  done
  fail "no burst was conclusive"
}

# The verifier sends WM_CLOSE to the saver while it asks: answered 0, no second call.
close_during_check() {
  install_app verifier
  verifier_script "0 close"
  start_full_screen || return
  timeout -k 5 10 xdotool key a
  wait_for_check 1 || return
  settle
  expect_eq "answer to WM_CLOSE during the check" 0 "$(field result "$(verifier_line close 1)")"
  expect_eq "verifier calls" 1 "$(verifier_calls)"
  saver_running || fail "the saver ended"
}

test_begin
windows_95_family VARNO.scr on
use_password 1
relay_include user32.SetCursor user32.GetCursorPos user32.PostMessageA kernel32.GetTickCount \
  kernel32.OutputDebugStringA
run_case key_then_anchor
run_case every_way_out_is_checked
run_case repeat_interval
run_case close_during_check
test_end
