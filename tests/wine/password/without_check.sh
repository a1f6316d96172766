# Full-screen runs in which no password is checked: on the Windows 95 family without
# "ScreenSaveUsePassword", with it 0, without the verifier library, and with a library
# that lacks the entry; and on the NT family with everything in place. None of them
# calls the verifier or touches the system's screen-saver-running flag; the first close
# request ends the saver with 0. The relay trace shows which of the registry, the
# library and the flag each run used.
. "$(dirname "$0")/common.sh" "$@"

REGISTRY='RegOpenKeyA(ffffffff80000001 "Control Panel\\Desktop")'
EXIT='ExitProcess(00000000)'
declare -A CALLS=(
  [value_missing]="$REGISTRY
$EXIT"
  [value_zero]="$REGISTRY
$EXIT"
  [no_library]="$REGISTRY
LoadLibraryA(\"PASSWORD.CPL\")
LoadLibraryA -> 00000000
$EXIT"
  [no_entry]="$REGISTRY
LoadLibraryA(\"PASSWORD.CPL\")
LoadLibraryA -> PASSWORD.CPL
FreeLibrary(PASSWORD.CPL)
$EXIT"
  [nt_family]="$EXIT"
)

# no_check NAME FAMILY VALUE VERIFIER CLOSE ANSWER: the saver's verify request (0x8000)
# is answered ANSWER (1: no verifier loaded on the Windows 95 family; 0: the platform
# default on the NT family) and leaves the window; CLOSE ("key" or "post" WM_CLOSE)
# ends the saver at once.
no_check() {
  local name=$1 family=$2 value=$3 verifier=$4 close=$5 answer=$6
  windows_95_family VARNO.scr "$family"
  use_password "$value"
  install_app "$verifier"
  start_full_screen relay || return
  expect_eq "answer to the verify request" "$answer" "$(drv send "$WINDOW" "$VERIFY_REQUEST" 0 0)"
  saver_running || { fail "the verify request ended the saver"; return; }
  if [[ "$close" == key ]]; then
    timeout -k 5 10 xdotool key a
  else
    drv post "$WINDOW" "$WM_CLOSE" 0 0 >/dev/null
  fi
  expect_saver_exit "after the first close request" 0
  [[ -e "$VERIFIER_LOG" ]] && fail "the verifier was called: $(head -n1 "$VERIFIER_LOG")"
  expect_lines "the saver's calls" "${CALLS[$name]}" "$(relay_events "$TEST_DIR/saver.log")"
}

test_begin
relay_include advapi32.RegOpenKeyA kernel32.LoadLibraryA kernel32.FreeLibrary \
  user32.SystemParametersInfoA kernel32.ExitProcess
run_case no_check value_missing on missing verifier key 1
run_case no_check value_zero on 0 verifier key 1
run_case no_check no_library on 1 none key 1
run_case no_check no_entry on 1 without_entry key 1
run_case no_check nt_family off 1 verifier post 0
test_end
