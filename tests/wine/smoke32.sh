# The release build (i686) under 32-bit Wine, emulated by qemu-i386: it refuses an
# unknown switch with -1 and runs full screen until a key. Slow (about a minute for
# each start of the saver), so only these two.
. "$(dirname "$0")/lib.sh" "$@"

FULL_SCREEN="Screen Saver"

SAVER_COMMAND=(env WINELOADERNOEXEC=1 timeout -k 5 300 qemu-i386 /usr/lib/wine/wine)

refuses_unknown_switch() {
  wine32_run 300 "$SAVER" /x >>"$TEST_DIR/saver.log" 2>&1
  expect_eq "exit code of '/x' in the shell" 255 "$?"
}

# Without the logo and the pictures the saver paints the white display black and
# draws nothing else; once its window has the X input focus, a key ends it.
full_screen_until_key() {
  local focus tries=600
  write_settings 0 0 0
  saver_start /s
  wait_for_screen "800x600 0 0" 240 || { fail "screen: expected all black, got '$SCREEN'"; return; }
  until focus=$(timeout -k 5 10 xdotool getwindowfocus getwindowname 2>/dev/null) &&
    [[ "$focus" == "$FULL_SCREEN" ]]; do
    ((tries-- > 0)) || { fail "the saver never had the input focus ('$focus')"; return; }
    sleep 0.2
  done
  timeout -k 5 10 xdotool key a
  expect_saver_exit "after a key" 0 120
}

wine_prefix_ensure "$TEMPLATE" || abort "could not make the prefix $TEMPLATE"
test_begin
run_case refuses_unknown_switch
run_case full_screen_until_key
test_end
