# shellcheck disable=SC2034  # the globals set here are read by the scripts that source it
# The Wine tests' bash library. A script here defines test_NAME functions, sources this file
# with the names of the values it takes and its arguments (tests.cmake's NAME=VALUE pairs: those
# names, no more, no fewer; each becomes a variable) and calls wine_main. Read here: name
# (test_NAME runs), source (the checkout), work (where tests run), template (the prefix a test
# copies), saver (the saver under test), driver and doubles if taken (driver.cpp's, doubles.cpp's).
set -u
given=$(printf '%s\n' "${@:2}" | cut -d= -f1 | sort | xargs)
if [[ "$given" != "$(tr ' ' '\n' <<<"$1" | sort | xargs)" ]]; then echo "$0 takes $1; given $given"; exit 1; fi
declare name source work template saver driver doubles preview_host reference setup saver32 template32 shell32
for pair in "${@:2}"; do printf -v "${pair%%=*}" '%s' "${pair#*=}"; done
. "$source/tools/wine-env.sh"

TEST_DIR=$work/$name
APP=$TEST_DIR/app
CLASS=WindowsScreenSaverClass
DIALOG_TITLE=$(sed -n 's/^DIALOG_TITLE = "\(.*\)"$/\1/p' "$source/tools/asset_catalog.py")  # the settings dialog's
FAILED=0

fail() { echo "FAIL  $*"; FAILED=1; }
xdo() { timeout -k 5 10 xdotool "$@"; }

# poll SECONDS COMMAND [ARGUMENTS...]: runs the command until it succeeds (poll N not COMMAND:
# until it fails), 10 times a second; fails once SECONDS have passed. Arguments are read once.
poll() {
  local deadline=$((SECONDS + $1))
  until "${@:2}"; do ((SECONDS < deadline)) || return 1; sleep 0.1; done
}
not() { ! "$@"; }

# joined [SEPARATOR]: the input's lines without carriage returns, each ended by SEPARATOR (a space).
joined() { tr -d '\r' | tr '\n' "${1:- }"; }

# focused TITLE: waits until a window of this title is shown, and gives it the keyboard focus as a
# window manager would: Wine's own request for an unmanaged window races with its map and the X
# server may refuse it, with nobody to ask again.
shown() { [[ -n "$(xdo search --onlyvisible --name "^$1\$" 2>/dev/null)" ]]; }
has_focus() { [[ "$(xdo getwindowfocus getwindowname 2>/dev/null)" == "$1" ]]; }
focused() {
  { poll 60 shown "$1" && xdo search --onlyvisible --name "^$1\$" windowfocus --sync; } || { fail "no '$1' focused"; return 1; }
}

# expect WHAT EXPECTED ACTUAL
expect() { if [[ "$2" == "$3" ]]; then echo "ok    $1"; else fail "$1: expected '$2', got '$3'"; fi; }

# The saver sees the Windows 95 family, and a password is wanted.
WIN95_PASSWORD='[Software\\Wine\\AppDefaults\\VARNO.scr]
"Version"="win95"
[Control Panel\\Desktop]
"ScreenSaveUsePassword"=dword:00000001'

# test_begin [WxHxD]: a copy of the shared prefix with $REG added to its user registry,
# its own X server and wineserver; the saver, the driver and the doubles in $APP.
test_begin() {
  rm -rf "$TEST_DIR"
  mkdir -p "$APP"
  trap test_cleanup EXIT
  trap 'exit 143' TERM INT HUP
  wine_prefix_clone "$template" "$TEST_DIR/prefix" || { echo "no prefix at $template"; exit 1; }
  export WINEPREFIX=$TEST_DIR/prefix
  printf '\n%s\n' "${REG:-}" >>"$WINEPREFIX/user.reg"
  cp "$saver" "$APP/VARNO.scr"
  if [[ "${1:-}" == *.conf ]]; then set -- "$source/tests/wine/$1"; fi  # an Xorg layout of this folder
  { XORG_LOG=$TEST_DIR/xorg.log x_server_start "${1:-800x600x24}" && wine_server_start; } ||
    { echo "no display or wineserver"; exit 1; }
  if [[ -n "${doubles:-}" ]]; then cp "$doubles" "$APP/PASSWORD.CPL" && cp "$doubles" "$APP/MPR.DLL"; fi
  if [[ -z "${driver:-}" ]]; then return 0; fi
  cp "$driver" "$APP/driver.exe"
  drv find none none 0 >/dev/null  # the session's own programs start with the first client
}

# Ending the wineserver ends every program of the test's prefix.
test_cleanup() { wine_env_cleanup; if ((FAILED == 0)); then rm -rf "$TEST_DIR/prefix"; fi; }

# A test that returns early has failed, whether or not it said why.
wine_main() {
  "test_$name" || ((FAILED)) || fail "$name returned early without a reason"
  if ((FAILED)); then echo "$name: failed; see $TEST_DIR"; exit 1; fi
}

# run SECONDS ARGUMENTS...: the saver in the foreground, started by LOADER; returns its exit code.
run() { timeout -k 5 "$1" "${LOADER[@]}" "$APP/VARNO.scr" "${@:2}" >>"$TEST_DIR/saver.log" 2>&1; }

# saver_start ARGUMENTS...: the saver in the background, started by LOADER within
# SAVER_SECONDS; saver_exit tells how it ended.
LOADER=("$WINE64")
SAVER_SECONDS=60
saver_start() {
  rm -f "$TEST_DIR/exit"
  (
    timeout -k 5 "$SAVER_SECONDS" "${LOADER[@]}" "$APP/VARNO.scr" "$@" >>"$TEST_DIR/saver.log" 2>&1
    echo $? >"$TEST_DIR/exit"
  ) &
}

# saver_exit SECONDS: the saver's exit code once it has ended, or "running" after SECONDS.
saver_exit() { if poll "$1" test -s "$TEST_DIR/exit"; then cat "$TEST_DIR/exit"; else echo running; fi; }

# key_ends [KEY [WHAT]]: the key (a) ends the saver with 0.
key_ends() { xdo key "${1:-a}"; expect "${2:-exit code after a key}" 0 "$(saver_exit 20)"; }

# drv ARGUMENTS...: the driver; drv_line VARIABLE ARGUMENTS...: the driver in the
# background, VARIABLE gets its first line.
drv() { wine_run 30 "$APP/driver.exe" "$@" 2>>"$TEST_DIR/driver.log"; }

drv_line() {
  local file=$TEST_DIR/$1.out
  timeout -k 5 60 "$WINE64" "$APP/driver.exe" "${@:2}" >"$file" 2>>"$TEST_DIR/driver.log" &
  poll 10 test -s "$file" || fail "no line from the driver's '${*:2}' in 10 s"
  printf -v "$1" '%s' "$(head -n1 "$file")"
}

# field NAME LINE: the value of NAME=value in a line of the driver's.
field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }

in_foreground() { INFO=$(drv find "$CLASS" "Screen Saver" 5) && [[ "$(field foreground "$INFO")" == 1 ]]; }
# full_screen: starts "/s" and waits until its window has the foreground, where keys
# reach it; sets WINDOW and INFO.
full_screen() {
  saver_start /s "$@"
  poll 20 in_foreground ||
    { fail "no full-screen window in the foreground: $INFO; the saver: $(saver_exit 0)"; return 1; }
  WINDOW=$(field window "$INFO")
  sleep 0.3  # Wine's own first pointer message at the unchanged position
}

# The settings file the saver reads: write_settings SOUND LOGO PICS.
write_settings() {
  printf '[VARNO]\r\nSound=%s\r\nLogo=%s\r\nPics=%s\r\n' "$@" >"$WINEPREFIX/drive_c/windows/VARNO.INI"
}

# The screen's size and its darkest and brightest channel: "800x600 0 0" is all black;
# screen WxH+X+Y: the same of that part of it.
screen() {
  timeout -k 5 30 xwd -root -silent |
    timeout -k 5 30 convert xwd:- ${1:+-crop "$1"} -format '%wx%h %[min] %[max]' info:
}
screen_is() { [[ "$(screen)" == "$1" ]]; }

# relay_calls NAME|NAME...: the saver's traced calls of these functions, "NAME(ARGUMENTS)",
# and their returns, "NAME -> VALUE", in order; only those of the thread THREAD if set.
relay_calls() {
  local thread=${THREAD:-[0-9a-f]+}
  sed -nE -e "s/^$thread:Call [A-Za-z0-9]+\\.($1)\\((.*)\\) ret=.*/\\1(\\2)/p" \
    -e "s/^$thread:Ret  [A-Za-z0-9]+\\.($1)\\(\\) retval=([0-9a-f]+) .*/\\1 -> \\2/p" "$TEST_DIR/saver.log"
}

# What the relay trace shows of the saver: the screen-saver-running flag's changes and
# the exit code.
flag_and_exit() {
  relay_calls 'SystemParametersInfoA|ExitProcess' |
    sed -nE 's/^SystemParametersInfoA\(0*(61,)0*([0-9a-f]+),.*/\1\2/p; s/^ExitProcess\((.*)\)/\1/p' | joined
}

# saver_thread: relay_calls reads only the saver's thread (the desktop's programs that
# it started trace their calls to its log too).
saver_thread() {
  THREAD=$(sed -n 's/^\([0-9a-f]*\):Call user32.SystemParametersInfoA(0*61,.*/\1/p' "$TEST_DIR/saver.log" | head -n1)
}

# expect_sound_cue: waits for the first sound cue (tick 310, seconds in) and expects its call: WAVE 137
# of the saver's module (a handle, not 0), asynchronous, not waiting; the test's REG includes SOUND_TRACE.
SOUND_TRACE='[Software\\Wine\\Debug]
"RelayInclude"="winmm.PlaySoundA"'
expect_sound_cue() {
  poll 30 grep -q ':Call winmm.PlaySoundA(' "$TEST_DIR/saver.log"
  expect "sound cue" "PlaySoundA(00000089,MODULE,00042005)" "$(relay_calls PlaySoundA | head -n1 | sed -E 's/,0*[1-9a-f][0-9a-f]*,/,MODULE,/')"
}

# screen_print: a fingerprint of every pixel on the screen.
screen_print() { timeout -k 5 30 xwd -root -silent | md5sum | cut -d' ' -f1; }
