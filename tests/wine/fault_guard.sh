# The fault guard around the run modes (runGuarded): a body that faults is reported to
# the system's last-chance filter, UnhandledExceptionFilter, whose verdict runs the
# cleanup and ends the process with the fault's code; a body that does not fault
# returns its value. Wine's relay trace shows the filter's call and verdict; it is
# switched on only in this test's own prefix.
. "$(dirname "$0")/lib.sh" "$@"

FILTER=KERNEL32.UnhandledExceptionFilter

no_fault() {
  expect_eq "output" "returned 1234567" "$(wine_run 60 "$FAULT_GUARD_TEST" value)"
}

# The order of events on stderr: the store, the filter's call and its verdict
# EXCEPTION_EXECUTE_HANDLER (1), then the cleanup; nothing of the body after the store
# and nothing after runGuarded.
null_store() {
  local log=$TEST_DIR/fault.log rc events expected
  WINEDEBUG=+relay wine_run 60 "$FAULT_GUARD_TEST" fault 2>"$log"
  rc=$?
  expect_eq "exit code in the shell (0xC0000005 & 0xFF)" 5 "$rc"
  events=$(grep -E "^fault_guard_test:|:(Call|Ret) +$FILTER\\(" "$log" |
    sed -E 's/^[0-9a-f]+:(Call|Ret) +([^(]+)\(.*\) retval=([0-9a-f]+).*/\1 \2 -> \3/;
            s/^[0-9a-f]+:(Call) +([^(]+)\(.*/\1 \2/')
  expected="fault_guard_test: body stores through a null pointer
Call $FILTER
Ret $FILTER -> 00000001
fault_guard_test: cleanup ran"
  [[ "$events" == "$expected" ]] ||
    fail "events: expected
$(sed 's/^/        /' <<<"$expected")
      got
$(sed 's/^/        /' <<<"$events")"
}

# The whole exit code, as another Windows program sees it.
fault_exit_code() {
  local line
  line=$(drv exit-code "\"$(windows_path "$FAULT_GUARD_TEST")\" fault" 2>>"$TEST_DIR/fault.log")
  expect_eq "exit code through GetExitCodeProcess" 0xC0000005 "$(field exit "$line")"
}

test_begin
wine_run 60 reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d "$FILTER" /f >/dev/null ||
  abort "cannot set the relay filter"
run_case no_fault
run_case null_store
run_case fault_exit_code
test_end
