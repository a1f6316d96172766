# Command lines that the saver refuses end the process with -1 at once, without a
# window: unknown switches, a preview without a usable window handle, and the
# password change off the Windows 95 family (Wine reports the NT family by default).
# Each is run twice: through the shell, where -1 reads 255, and with the exact command
# line through CreateProcessA, where the whole code reads 0xFFFFFFFF. Tails with a tab
# exist only in the second form, since Wine would quote an argument holding one.
. "$(dirname "$0")/lib.sh" "$@"

REFUSED_TAILS=(
  "/x"
  "/?"
  "1"
  "/p"
  "/p 0"
  "/p x"
  $'/\ts'
  "/p 99999"
  "/a"
)

refused_through_shell() {
  local tail=$1 rc arguments
  read -r -a arguments <<<"$tail"
  wine_run 30 "$SAVER" "${arguments[@]}" >>"$TEST_DIR/saver.log" 2>&1
  rc=$?
  expect_eq "exit code of '$tail' in the shell" 255 "$rc"
}

refused_exact() {
  local tail=$1 line
  line=$(drv exit-code "\"$(windows_path "$SAVER")\" $tail")
  expect_eq "exit code of '${tail//$'\t'/<TAB>}' through CreateProcessA" exit=0xFFFFFFFF "$line"
}

# 99999 must name no window in this prefix for "/p 99999" to mean what it says.
handle_names_no_window() {
  expect_eq "IsWindow(99999)" 0 "$(drv is-window 99999)"
}

# A tab after the letter is not skipped, so even the handle of a real window is not
# read: "/p<TAB>HANDLE" is refused where "/p HANDLE" would show a preview.
tab_before_real_handle() {
  local host tries=300
  drv_background parent 320 240 >"$TEST_DIR/host.out"
  until host=$(head -n1 "$TEST_DIR/host.out" 2>/dev/null) && [[ "$host" =~ ^[0-9]+$ ]]; do
    ((tries-- > 0)) || { fail "the host window did not appear"; return; }
    sleep 0.1
  done
  refused_exact $'/p\t'"$host"
}

test_begin
run_case handle_names_no_window
run_case tab_before_real_handle
for tail in "${REFUSED_TAILS[@]}"; do
  [[ "$tail" == *$'\t'* ]] || run_case refused_through_shell "$tail"
  run_case refused_exact "$tail"
done
test_end
