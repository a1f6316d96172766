# The Windows 95 family's password path with the doubles of the system's libraries
# beside the saver (doubles.cpp), and the fault guard around a verifier that crashes.
. "$(dirname "$0")/lib.sh" "$@"
export VARNO_CALLS_LOG=$APP/calls.log

REG='[Software\\Wine\\AppDefaults\\VARNO.scr]
"Version"="win95"
[Control Panel\\Desktop]
"ScreenSaveUsePassword"=dword:00000001
[Software\\Wine\\Debug]
"RelayInclude"="user32.SystemParametersInfoA;kernel32.ExitProcess"'

# What the relay trace shows of the saver: the screen-saver-running flag's changes and
# the exit code.
flag_and_exit() {
  relay_calls 'SystemParametersInfoA|ExitProcess' |
    sed -nE 's/^SystemParametersInfoA\((0+61,[0-9a-f]+),.*/\1/p; s/^ExitProcess\((.*)\)/\1/p' | tr '\n' ' '
}

# The verifier refuses the first key and accepts the second; the flag is on while the
# saver runs with a verifier. "/a HANDLE" hands the change to MPR.DLL.
test_password() {
  test_begin
  WINEDEBUG=+relay full_screen || return
  xdo key a
  sleep 1
  expect "after the verifier refused" running "$(saver_exit 0)"
  xdo key a
  expect "exit code after the verifier accepted" 0 "$(saver_exit 20)"
  expect "verifier calls" "verify window=$WINDOW call=1 verify window=$WINDOW call=2 " \
    "$(tr '\n' ' ' <"$VARNO_CALLS_LOG")"
  expect "flag and exit" "00000061,00000001 00000061,00000000 00000000 " "$(flag_and_exit)"
  drv_line parent parent 200 100 "$TEST_DIR/stop"
  drv_line other parent 100 50  # the foreground window is another one
  rm -f "$VARNO_CALLS_LOG"
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mpr=n" run 30 /a "$parent"
  expect "exit code of '/a HANDLE'" 0 $?
  expect "password change" "change provider=SCRSAVE window=$parent third=0 fourth=0" "$(cat "$VARNO_CALLS_LOG")"
}

# A fault inside the guarded run ends the process with the fault's code, the flag cleared.
test_fault_guard() {
  test_begin
  VARNO_VERIFIER_FAULT=1 WINEDEBUG=+relay full_screen || return
  xdo key a
  expect "exit code in the shell (0xC0000005)" 5 "$(saver_exit 20)"
  expect "flag and exit" "00000061,00000001 00000061,00000000 c0000005 " "$(flag_and_exit)"
}

wine_main
