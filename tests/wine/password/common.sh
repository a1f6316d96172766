# Shared by the password tests. A script sources this file with the name=value pairs
# that password.cmake passes: its own (verifier, verifier_without_entry, change, probe,
# fault_test: the test doubles and programs) are taken here, the rest go on to
# ../lib.sh. The tests work under $WORK/password/NAME.
#
# Each case runs a copy of the saver in $TEST_DIR/app, beside the doubles it needs: the
# verifier as PASSWORD.CPL and the password change as MPR.DLL, which find their script
# and write their logs in that folder (see verifier_double.cpp, change_double.cpp).

lib_arguments=()
for argument in "$@"; do
  key=${argument%%=*}
  case $key in
    verifier | verifier_without_entry | change | probe | fault_test)
      printf -v "${key^^}" '%s' "${argument#*=}" ;;
    work) lib_arguments+=("work=${argument#*=}/password") ;;
    *) lib_arguments+=("$argument") ;;
  esac
done
unset argument key
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh" "${lib_arguments[@]}"
for required in VERIFIER VERIFIER_WITHOUT_ENTRY CHANGE PROBE FAULT_TEST; do
  [[ -n "${!required:-}" ]] || abort "missing argument ${required,,}=..."
done

BUILT_SAVER=$SAVER
APP=$TEST_DIR/app
SAVER=$APP/VARNO.scr
VERIFIER_LOG=$APP/verifier.log
FULL_SCREEN="Screen Saver"

WM_CLOSE=0x0010
WM_NULL=0x0000
WM_SYSCOMMAND=0x0112
SC_CLOSE=0xF060
VERIFY_REQUEST=0x8000

# install_app VERIFIER [CHANGE]: a fresh folder with a copy of the saver and the doubles.
# VERIFIER: verifier, without_entry or none; CHANGE: change (MPR.DLL) or none.
install_app() {
  rm -rf "$APP"
  mkdir -p "$APP"
  cp "$BUILT_SAVER" "$SAVER" || abort "cannot copy the saver"
  case $1 in
    verifier) cp "$VERIFIER" "$APP/PASSWORD.CPL" ;;
    without_entry) cp "$VERIFIER_WITHOUT_ENTRY" "$APP/PASSWORD.CPL" ;;
    none) ;;
    *) abort "install_app: unknown verifier '$1'" ;;
  esac
  [[ "${2:-none}" == change ]] && cp "$CHANGE" "$APP/MPR.DLL"
  : >"$TEST_DIR/saver.log"
}

reg_run() {
  echo "reg $*" >>"$TEST_DIR/reg.log"
  wine_run 60 reg "$@" >>"$TEST_DIR/reg.log" 2>&1
}

# windows_95_family PROGRAM on|off: Wine reports the Windows 95 family to PROGRAM only.
# The value is read back, so that a case never runs on the family it did not ask for.
windows_95_family() {
  local key="HKCU\\Software\\Wine\\AppDefaults\\$1" tries=5
  while ((tries-- > 0)); do
    if [[ "$2" == on ]]; then
      reg_run add "$key" /v Version /d win95 /f
      reg_run query "$key" /v Version && return 0
    else
      reg_run delete "$key" /f
      reg_run query "$key" /v Version || return 0
    fi
    sleep 0.5
  done
  abort "cannot set the Windows family of $1 to the Windows 95 family: $2"
}

# use_password VALUE|missing: "ScreenSaveUsePassword" as a REG_DWORD, or no such value.
use_password() {
  if [[ "$1" == missing ]]; then
    reg_run delete 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /f
    reg_run query 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword &&
      abort "cannot remove ScreenSaveUsePassword"
  else
    reg_run add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_DWORD /d "$1" /f ||
      abort "cannot set ScreenSaveUsePassword"
  fi
}

# relay_include FUNCTION...: what Wine's relay trace shows of a program run with
# WINEDEBUG=+relay in this test's prefix.
relay_include() {
  local IFS=';'
  reg_run add 'HKCU\Software\Wine\Debug' /v RelayInclude /d "$*" /f ||
    abort "cannot set the relay filter"
}

# verifier_script LINE...: what the verifier's calls do, one line per call.
verifier_script() {
  printf '%s\n' "$@" >"$APP/verifier.txt"
}

verifier_release() {
  touch "$APP/release"
}

# count_lines PATTERN FILE: how many lines of FILE match the extended regex PATTERN.
count_lines() {
  local count
  count=$(grep -cE "$1" "$2" 2>/dev/null) || true
  echo "${count:-0}"
}

# wait_for_lines PATTERN COUNT FILE [SECONDS]: polls until FILE has COUNT such lines.
wait_for_lines() {
  local tries=$((${4:-30} * 10))
  until (($(count_lines "$1" "$3") >= $2)); do
    ((tries-- > 0)) || return 1
    sleep 0.1
  done
}

verifier_calls() {
  count_lines '^leave ' "$VERIFIER_LOG"
}

# wait_for_check N: the verifier's call N has returned.
wait_for_check() {
  wait_for_lines "^leave call=$1 " 1 "$VERIFIER_LOG" ||
    { fail "the verifier's call $1 did not return (calls: $(verifier_calls))"; return 1; }
}

# verifier_line KIND CALL: the verifier's log line of that kind for that call.
verifier_line() {
  grep -E "^$1 call=$2 " "$VERIFIER_LOG" 2>/dev/null | head -n1
}

# settle: the saver has handled everything sent before (a message it answers after
# them), and the 200 ms after a check have certainly passed.
settle() {
  drv send "$WINDOW" "$WM_NULL" 0 0 >/dev/null
  sleep 0.3
}

# start_full_screen [relay]: starts the copy with "/s" (with Wine's relay trace in
# saver.log when asked) and waits until its window is shown and has the foreground,
# which is when keys reach it; sets WINDOW (decimal) and WINDOW_HEX (as the relay trace
# prints it). The pause lets the window settle (Wine sends one WM_MOUSEMOVE at the
# unchanged position just after it appears).
start_full_screen() {
  local info tries=200
  if [[ "${1:-}" == relay ]]; then
    WINEDEBUG=+relay saver_start /s
  else
    saver_start /s
  fi
  info=$(find_window "$FULL_SCREEN") || { fail "no full-screen window: $info"; return 1; }
  while [[ "$(field foreground "$info")" != 1 ]] && ((tries-- > 0)); do
    sleep 0.1
    info=$(drv find "$SAVER_CLASS" "$FULL_SCREEN")
  done
  WINDOW=$(field window "$info")
  printf -v WINDOW_HEX '%08x' "$WINDOW"
  sleep 0.5
}

# The pointer's position as Wine reports it, "x,y".
pointer() {
  local line
  line=$(drv cursor)
  echo "$(field x "$line"),$(field y "$line")"
}

# relay_events FILE: the traced calls of interest in the order they were made, one a
# line, with the varying pointers left out, the saver window's handle written as
# "saver" and the verifier library's as "PASSWORD.CPL"; the returns of LoadLibraryA
# and UnhandledExceptionFilter as "NAME -> VALUE"; and the lines that the fault test
# program writes itself.
relay_events() {
  local events library window=${WINDOW_HEX:-none}
  events=$(sed -nE \
    -e 's/^[0-9a-f]+:Call advapi32\.RegOpenKeyA\(([0-9a-f]+),[0-9a-f]+ ("[^"]*"),.*/RegOpenKeyA(\1 \2)/p' \
    -e 's/^[0-9a-f]+:Call KERNEL32\.LoadLibraryA\([0-9a-f]+ ("[^"]*")\).*/LoadLibraryA(\1)/p' \
    -e 's/^[0-9a-f]+:Ret  KERNEL32\.LoadLibraryA\(\) retval=([0-9a-f]+) .*/LoadLibraryA -> \1/p' \
    -e 's/^[0-9a-f]+:Call KERNEL32\.FreeLibrary\(([0-9a-f]+)\).*/FreeLibrary(\1)/p' \
    -e 's/^[0-9a-f]+:Call user32\.SystemParametersInfoA\(([0-9a-f]+),([0-9a-f]+),.*/SystemParametersInfoA(\1,\2)/p' \
    -e 's/^[0-9a-f]+:Call KERNEL32\.OutputDebugStringA\([0-9a-f]+ ("[^"]*")\).*/OutputDebugStringA(\1)/p' \
    -e 's/^[0-9a-f]+:Call user32\.GetDC\(([0-9a-f]+)\).*/GetDC(\1)/p' \
    -e 's/^[0-9a-f]+:Call user32\.SetCursor\(([0-9a-f]+)\).*/SetCursor(\1)/p' \
    -e 's/^[0-9a-f]+:Call user32\.GetCursorPos\(.*/GetCursorPos()/p' \
    -e 's/^[0-9a-f]+:Call user32\.PostMessageA\(([0-9a-f]+),([0-9a-f]+),.*/PostMessageA(\1,\2)/p' \
    -e 's/^[0-9a-f]+:Call user32\.PeekMessageA\([0-9a-f]+,([0-9a-f]+),([0-9a-f]+),([0-9a-f]+),([0-9a-f]+)\).*/PeekMessageA(\1,\2,\3,\4)/p' \
    -e 's/^[0-9a-f]+:Call KERNEL32\.GetTickCount\(\).*/GetTickCount()/p' \
    -e 's/^[0-9a-f]+:Call KERNEL32\.UnhandledExceptionFilter\(.*/UnhandledExceptionFilter()/p' \
    -e 's/^[0-9a-f]+:Ret  KERNEL32\.UnhandledExceptionFilter\(\) retval=([0-9a-f]+) .*/UnhandledExceptionFilter -> \1/p' \
    -e 's/^[0-9a-f]+:Call KERNEL32\.ExitProcess\(([0-9a-f]+)\).*/ExitProcess(\1)/p' \
    -e 's/^(password_fault_test: .*)/\1/p' \
    "$1")
  library=$(sed -n '/^LoadLibraryA("PASSWORD.CPL")$/{n;s/^LoadLibraryA -> //p;}' <<<"$events" |
    head -n1)
  [[ "$library" =~ ^0*$ ]] && library=none
  sed -e "s/\\b$window\\b/saver/g" -e "s/\\b$library\\b/PASSWORD.CPL/g" <<<"$events"
}

# expect_lines WHAT EXPECTED ACTUAL: two lists of lines, shown side by side on a mismatch.
expect_lines() {
  [[ "$2" == "$3" ]] && return 0
  fail "$1: expected
$(sed 's/^/          /' <<<"$2")
        got
$(sed 's/^/          /' <<<"$3")"
}
