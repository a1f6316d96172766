# The release (i686) as built, under 32-bit Wine (qemu-i386): the exit codes that its own
# start-up hands on, the scene, the Windows 95 family's password path with the doubles of
# the system's libraries beside the saver (doubles.cpp, their __stdcall calls) and the
# fault guard's frame at fs:[0] around a verifier that crashes. Values: as in lib.sh.
. "$(dirname "$0")/lib.sh" "name source work template saver doubles" "$@"
export VARNO_CALLS_LOG=$APP/calls.log

REG=$WIN95_PASSWORD'
[Software\\Wine\\Debug]
"RelayInclude"="user32.SystemParametersInfoA;kernel32.ExitProcess;user32.CreateWindowExA"'

scene_shown() { [[ "$(screen)" =~ ^800x600\ 0\ [1-9] ]]; }

# The verifier refuses the first key and accepts the second; "/a HANDLE" runs meanwhile.
# qemu's signal carries no trap number: Wine reports the null store as c000001d.
test_release32() {
  LOADER=("${WINE32[@]}")
  test_begin
  run 30 /x
  expect "exit code of '/x'" 255 $?
  saver_start /c
  focused "$DIALOG_TITLE" && key_ends Escape "exit code of '/c' after Escape"
  WINEDEBUG=+relay saver_start /s
  focused 'Screen Saver' && saver_thread
  poll 20 scene_shown || fail "expected black and the scene on the screen, got '$(screen)'"
  xdo key a
  poll 10 grep -q call=1 "$VARNO_CALLS_LOG" || fail "no call of the verifier after a key"
  expect "after the verifier refused" running "$(saver_exit 1)"
  printf -v WINDOW %d "0x$(relay_calls CreateWindowExA | sed -n 's/.* -> //p')"
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mpr=n" run 30 /a "$WINDOW"
  expect "exit code of '/a HANDLE'" 0 $?
  key_ends a "exit code after the verifier accepted"
  expect "calls of the doubles" "verify window=$WINDOW call=1 change provider=SCRSAVE window=$WINDOW \
third=0 fourth=0 verify window=$WINDOW call=2 " "$(joined <"$VARNO_CALLS_LOG")"
  expect "flag and exit" "61,1 61,0 00000000 " "$(flag_and_exit)"
  : >"$TEST_DIR/saver.log"
  VARNO_VERIFIER_FAULT=1 WINEDEBUG=+relay saver_start /s
  focused 'Screen Saver' && saver_thread && xdo key a
  expect "exit code seen by bash after the fault (0xC000001D)" 29 "$(saver_exit 20)"
  expect "flag and exit" "61,1 61,0 c000001d " "$(flag_and_exit)"
}

wine_main
