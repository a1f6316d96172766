# The password change ("/a"). On the Windows 95 family the saver hands the change to
# PwdChangePasswordA of MPR.DLL with the provider "SCRSAVE", a parent window and two
# zeros, and ends with 0: the parent is the window named on the command line when it
# exists, otherwise the foreground window, whatever that is. On the NT family "/a" ends
# with -1 (255) and changes nothing.
. "$(dirname "$0")/common.sh" "$@"

CHANGE_LOG=$APP/change.log
OTHER_CLASS=VarnoTestDriver

# change TAIL...: runs the saver with the tail, with our MPR.DLL put before Wine's own.
change() {
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mpr=n" wine_run 60 "$SAVER" "$@" >>"$TEST_DIR/saver.log" 2>&1
}

# started_window FILE: the handle that "driver parent" prints first.
started_window() {
  wait_for_lines '^[0-9]+$' 1 "$1" 30 || { fail "no window from the driver"; return 1; }
  head -n1 "$1"
}

# Three windows of other programs: a parent that can be named, the foreground
# application's window, and a window that has been destroyed.
PARENT= FOREGROUND= DEAD=
make_windows() {
  drv_background parent 200 100 >"$TEST_DIR/parent.log"
  PARENT=$(started_window "$TEST_DIR/parent.log") || return 1
  drv_background parent 200 100 "$(windows_path "$TEST_DIR")\\stop-dead" >"$TEST_DIR/dead.log"
  DEAD=$(started_window "$TEST_DIR/dead.log") || return 1
  touch "$TEST_DIR/stop-dead"
  drv wait-gone "$DEAD" 30 >/dev/null || { fail "window $DEAD was not destroyed"; return 1; }
  drv_background foreground 60 >"$TEST_DIR/foreground.log"
  FOREGROUND=$(field window "$(drv find "$OTHER_CLASS" "Other application" 30)")
  local tries=100
  until [[ "$(field foreground "$(wine_run 60 "$PROBE" foreground)")" == "$FOREGROUND" ]]; do
    ((tries-- > 0)) || { fail "the other application did not take the foreground"; return 1; }
    sleep 0.1
  done
  [[ "$PARENT" != "$FOREGROUND" ]] || { fail "the parent is the foreground window"; return 1; }
}

# passes TAIL EXPECTED: "/a" with TAIL ends with 0 after one call of the change with
# the window EXPECTED.
passes() {
  local tail=$1 expected=$2 rc arguments
  rm -f "$CHANGE_LOG"
  read -r -a arguments <<<"$tail"
  change "${arguments[@]}"
  rc=$?
  expect_eq "exit code of '$tail'" 0 "$rc"
  expect_eq "calls of the change for '$tail'" 1 "$(count_lines . "$CHANGE_LOG")"
  expect_fields "arguments of the change for '$tail'" "$(head -n1 "$CHANGE_LOG" 2>/dev/null)" \
    provider=SCRSAVE parent="$expected" third=0 fourth=0
}

# With other programs' windows about: a live handle is passed on; no handle, 0, or the
# handle of a destroyed window give the foreground window.
with_windows() {
  install_app none change
  make_windows || return
  passes "/a $PARENT" "$PARENT"
  passes "/a" "$FOREGROUND"
  passes "/a 0" "$FOREGROUND"
  passes "/a $DEAD" "$FOREGROUND"
}

# With no window at all, the change gets what GetForegroundWindow returns then.
without_windows() {
  local probe foreground
  install_app none change
  probe=$(wine_run 60 "$PROBE" foreground)
  foreground=$(field foreground "$probe")
  [[ "$foreground" =~ ^[0-9]+$ ]] || { fail "no answer from the probe: $probe"; return; }
  echo "      GetForegroundWindow with no window of ours: $probe"
  passes "/a" "$foreground"
}

nt_family() {
  local rc
  windows_95_family VARNO.scr off
  install_app none change
  change /a
  rc=$?
  expect_eq "exit code of /a on the NT family" 255 "$rc"
  [[ -e "$CHANGE_LOG" ]] && fail "the change was called: $(head -n1 "$CHANGE_LOG")"
  windows_95_family VARNO.scr on
}

test_begin
windows_95_family VARNO.scr on
run_case without_windows
run_case with_windows
run_case nt_family
test_end
