# A fault inside the full-screen mode on the Windows 95 family: the fault guard clears
# the system's screen-saver-running flag before the process ends, whether or not a
# verifier had set it, and also when the fault happens in the saver window's procedure.
# On the NT family the flag is never touched. The test program (fault_flag_test.cpp)
# runs the saver's own hostMain with "/s" and faults on purpose; Wine's relay trace
# shows the order of the calls and the program's own lines.
. "$(dirname "$0")/common.sh" "$@"

PROGRAM=password_fault_test.exe
LOADED='LoadLibraryA("PASSWORD.CPL")
LoadLibraryA -> PASSWORD.CPL
SystemParametersInfoA(00000061,00000001)'
HANDLED='UnhandledExceptionFilter()
UnhandledExceptionFilter -> 00000001'
CLEARED='SystemParametersInfoA(00000061,00000000)'
ENDED='ExitProcess(c0000005)'

declare -A CALLS=(
  [start]="password_fault_test: null store before the window
$HANDLED
$CLEARED
$ENDED"
  [loaded]="$LOADED
password_fault_test: null store with the verifier loaded
$HANDLED
$CLEARED
$ENDED"
  [timer]="$LOADED
password_fault_test: null store in the window procedure
$HANDLED
$CLEARED
$ENDED"
  [start_nt]="password_fault_test: null store before the window
$HANDLED
$ENDED"
)

# faults WHERE FAMILY [EXPECTED]: the program faulting at WHERE ends with the fault's
# code (0xC0000005 reads 5 in the shell) after the calls EXPECTED (default: WHERE's).
faults() {
  local where=$1 family=$2 expected=${3:-$1} rc
  windows_95_family "$PROGRAM" "$family"
  WINEDEBUG=+relay wine_run 60 "$APP/$PROGRAM" "$where" 2>"$TEST_DIR/fault.log"
  rc=$?
  expect_eq "exit code" 5 "$rc"
  expect_lines "calls" "${CALLS[$expected]}" "$(relay_events "$TEST_DIR/fault.log")"
}

test_begin
use_password 1
install_app verifier
cp "$FAULT_TEST" "$APP/$PROGRAM" || abort "cannot copy the test program"
relay_include kernel32.LoadLibraryA kernel32.FreeLibrary user32.SystemParametersInfoA \
  kernel32.UnhandledExceptionFilter kernel32.ExitProcess
run_case faults start on
run_case faults loaded on
run_case faults timer on
run_case faults start off start_nt
test_end
