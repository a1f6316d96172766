# The Windows 95 family with a password and a verifier that lets the saver close: the
# saver ends with 0 and draws no frame after the verdict; the system's
# screen-saver-running flag is set once the verifier is loaded and cleared after it is
# freed. Wine's relay trace shows the saver's calls in order; the verifier marks the
# inside of each check in it (OutputDebugStringA).
. "$(dirname "$0")/common.sh" "$@"

ASKS='OutputDebugStringA("VerifyScreenSavePwd asks")'

# closes_after SCRIPT-LINE...: one key press per verifier call (each after the last
# check has settled); the last verdict lets the saver close. The calls of interest in
# order (frames and the verifier's own message loop left out) are: the registry, the
# verifier's load, the flag set; for each check the removal of two pending timer
# messages, then the check; the library freed, the flag cleared, the exit with 0.
# Frames (GetDC of the saver window) are drawn inside each check and none after the
# last verdict.
closes_after() {
  local line events expected after inside calls=0
  install_app verifier
  verifier_script "$@"
  start_full_screen relay || return
  expected='RegOpenKeyA(ffffffff80000001 "Control Panel\\Desktop")
LoadLibraryA("PASSWORD.CPL")
LoadLibraryA -> PASSWORD.CPL
SystemParametersInfoA(00000061,00000001)'
  for line in "$@"; do
    calls=$((calls + 1))
    timeout -k 5 10 xdotool key a
    if ((calls < $#)); then
      wait_for_check "$calls" || return
      settle
    fi
    expected+="
PeekMessageA(saver,00000113,00000113,00000003)
PeekMessageA(saver,00000113,00000113,00000003)
$ASKS
OutputDebugStringA(\"VerifyScreenSavePwd returns ${line%% *}\")"
  done
  expected+='
FreeLibrary(PASSWORD.CPL)
SystemParametersInfoA(00000061,00000000)
ExitProcess(00000000)'
  expect_saver_exit "after the last verdict" 0
  expect_eq "verifier calls" "$#" "$(verifier_calls)"
  expect_eq "window given to the verifier" "$WINDOW" "$(field window "$(verifier_line enter 1)")"

  events=$(relay_events "$TEST_DIR/saver.log")
  expect_lines "the saver's calls" "$expected" \
    "$(grep -v -e '^GetDC(' -e '^PeekMessageA(00000000,' <<<"$events")"
  after=$(sed -n '/"VerifyScreenSavePwd returns [1-9]/,$p' <<<"$events" | grep -c '^GetDC(saver)')
  expect_eq "frames drawn after the verdict" 0 "$after"
  inside=$(tac <<<"$events" | sed -n '/"VerifyScreenSavePwd returns [1-9]/,/^OutputDebugStringA("VerifyScreenSavePwd asks")/p' |
    grep -c '^GetDC(saver)')
  ((inside >= 3)) || fail "frames drawn inside the last check: $inside, expected 3 or more"
  echo "      frames inside the last check: $inside, timer messages the verifier dispatched: $(field timers "$(verifier_line leave $#)")"
}

test_begin
windows_95_family VARNO.scr on
use_password 1
relay_include advapi32.RegOpenKeyA kernel32.LoadLibraryA kernel32.FreeLibrary \
  user32.SystemParametersInfoA kernel32.OutputDebugStringA user32.GetDC user32.PeekMessageA \
  kernel32.ExitProcess
run_case closes_after "1 frames=3"
run_case closes_after "0" "0" "2 frames=3"
test_end
