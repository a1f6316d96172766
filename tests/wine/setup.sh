# The setup program and its uninstaller, run silently as a user's script would: on the 95
# family and the NT family (a 32-bit prefix: no WoW64 there) and on 64-bit Windows (the
# tests' prefix, whose 32-bit side is the i386 Wine), each with a fault of its own.
# The setup and its uninstaller run with a private copy of the 32-bit loader, which lets
# the uninstaller start its copy in %TEMP% (wine32_loader).
. "$(dirname "$0")/lib.sh" "$@"
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VARNO'

# begin32 VERSION: a copy of the 32-bit prefix in Windows VERSION mode.
begin32() {
  REG="[Software\\\\Wine]
\"Version\"=\"$1\""
  template=$template32 test_begin
  wine32_loader "$TEST_DIR/loader"
  LOADER=("$WINE32_LOADER")
  SYSTEM=$WINEPREFIX/drive_c/windows/$2
}

# setup ARGUMENTS...: the setup's exit code.
setup() {
  timeout -k 5 60 "$WINE32_LOADER" "$setup" "$@" >>"$TEST_DIR/setup.log" 2>&1
}

# uninstall: the uninstaller from Add/Remove, silent; it ends once its copy has finished.
uninstall() {
  local file=$WINEPREFIX/drive_c/Program\ Files/VARNO/uninstall.exe
  timeout -k 5 60 "$WINE32_LOADER" 'C:\Program Files\VARNO\uninstall.exe' /S >>"$TEST_DIR/setup.log" 2>&1
  poll 40 '[[ ! -e "$file" ]]' || fail "the uninstaller is still there"
  poll 20 '! pgrep -f "$TEST_DIR/loader.*Un.exe" >/dev/null' || fail "the uninstaller's copy still runs"
}

# value KEY NAME: a registry value's data as the 32-bit side sees it, or "none".
value() {
  local line
  line=$(timeout -k 5 30 "$WINE32_LOADER" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -F "    $2    ")
  [[ -n "$line" ]] && sed 's/.*REG_[A-Z]*    //' <<<"$line" || echo none
}

# saver_runs: the installed saver's settings close on Escape and its full screen on a key.
saver_runs() {
  APP=$SYSTEM saver_start /c
  poll 30 '[[ "$(xdo getwindowfocus getwindowname 2>/dev/null)" == "Hi There !" ]]' && sleep 1 && xdo key Escape
  expect "installed saver: exit code of '/c' after Escape" 0 "$(saver_exit 20)"
  APP=$SYSTEM saver_start /s
  poll 30 '[[ "$(xdo getwindowfocus getwindowname 2>/dev/null)" == "Screen Saver" ]]' && sleep 1 && xdo key a
  expect "installed saver: exit code of '/s' after a key" 0 "$(saver_exit 20)"
}

# installed BUILD: the file, its Add/Remove entry and the uninstaller are there.
installed() {
  cmp -s "$1" "$SYSTEM/VARNO.scr" || fail "$SYSTEM/VARNO.scr is not $1"
  expect "Add/Remove entry" "VARNO screen saver|\"C:\\Program Files\\VARNO\\uninstall.exe\" /S" \
    "$(value "$UNINSTALL_KEY" DisplayName)|$(value "$UNINSTALL_KEY" QuietUninstallString)"
}

removed() {
  [[ ! -e "$SYSTEM/VARNO.scr" ]] || fail "VARNO.scr is still in $SYSTEM"
  expect "Add/Remove entry after the uninstaller" none "$(value "$UNINSTALL_KEY" DisplayName)"
}

# The 95 family: [boot] of SYSTEM.INI gets the saver's short path, every other byte of the
# file stays, and the uninstaller gives the file back as it was; a file without [boot]
# gets one at its end.
test_setup95() {
  begin32 win95 system
  local ini=$WINEPREFIX/drive_c/windows/SYSTEM.INI  # the setup's spelling; Wine's is system.ini
  rm -f "$WINEPREFIX/drive_c/windows/system.ini"
  printf '[boot]\r\nshell=Explorer.exe\r\n\r\n  mouse.drv = mouse.drv  \r\n\r\n[386Enh]\r\ndevice=*vpd\r\n' >"$ini"
  cp "$ini" "$TEST_DIR/system.ini"
  setup /S
  expect "exit code of the setup" 0 $?
  installed "$saver32"
  expect "SYSTEM.INI" "[boot]|shell=Explorer.exe||  mouse.drv = mouse.drv  ||SCRNSAVE.EXE=C:\\windows\\system\\VARNO.scr|[386Enh]|device=*vpd|" \
    "$(tr -d '\r' <"$ini" | tr '\n' '|')"
  saver_runs
  uninstall
  removed
  cmp "$ini" "$TEST_DIR/system.ini" || fail "SYSTEM.INI after the uninstaller differs from before the setup"
  printf '[386Enh]\r\ndevice=*vpd' >"$ini"
  setup /S
  expect "SYSTEM.INI without [boot]" "[386Enh]|device=*vpd|[boot]|SCRNSAVE.EXE=C:\\windows\\system\\VARNO.scr|" \
    "$(tr -d '\r' <"$ini" | tr '\n' '|')"
}

# The NT family (Windows 2000): the current user's desktop values; another saver chosen before the
# uninstaller stays chosen.
test_setup_nt() {
  begin32 win2k system32  # Wine's XP mode crashes in winedevice.exe under qemu
  setup /S
  expect "exit code of the setup" 0 $?
  installed "$saver32"
  expect "saver and active" 'C:\windows\system32\VARNO.scr 1' \
    "$(value 'HKCU\Control Panel\Desktop' SCRNSAVE.EXE) $(value 'HKCU\Control Panel\Desktop' ScreenSaveActive)"
  saver_runs
  timeout -k 5 30 "$WINE32_LOADER" reg add 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1
  uninstall
  removed
  expect "another saver's choice after the uninstaller" 'C:\windows\system32\other.scr' \
    "$(value 'HKCU\Control Panel\Desktop' SCRNSAVE.EXE)"
}

# 64-bit Windows: the 64-bit build in the real System32, nothing in SysWOW64. A running
# saver keeps its file: the setup fails and leaves it; a second setup stops while one
# runs; then the setup replaces the file and keeps the settings; the uninstaller clears
# the choice of VARNO.
test_setup64() {
  REG='[Software\\Wine]
"Version"="win10"'
  test_begin
  ln -s /usr/lib/i386-linux-gnu/wine/i386-windows/* "$WINEPREFIX/drive_c/windows/syswow64/"
  wine32_loader "$TEST_DIR/loader"
  SYSTEM=$WINEPREFIX/drive_c/windows/system32
  setup /S
  expect "exit code of the setup" 0 $?
  installed "$saver"
  [[ -z "$(ls "$WINEPREFIX/drive_c/windows/syswow64" | grep -i varno)" ]] || fail "VARNO in SysWOW64"
  expect "saver and active" 'C:\windows\system32\VARNO.scr 1' \
    "$(value 'HKCU\Control Panel\Desktop' SCRNSAVE.EXE) $(value 'HKCU\Control Panel\Desktop' ScreenSaveActive)"
  saver_runs

  echo older >>"$SYSTEM/VARNO.scr"
  cp "$SYSTEM/VARNO.scr" "$TEST_DIR/older.scr"
  write_settings 1 0 1
  APP=$SYSTEM saver_start /s
  poll 30 '[[ "$(xdo getwindowfocus getwindowname 2>/dev/null)" == "Screen Saver" ]]'
  setup /S
  expect "exit code of the setup while the saver runs" 2 $?
  cmp -s "$SYSTEM/VARNO.scr" "$TEST_DIR/older.scr" || fail "the busy file changed"
  xdo key a
  expect "saver's exit code" 0 "$(saver_exit 20)"

  timeout -k 5 60 "$WINE32_LOADER" "$setup" >>"$TEST_DIR/setup.log" 2>&1 &
  poll 30 '[[ "$(xdo getwindowfocus getwindowname 2>/dev/null)" == "VARNO 1.0 Setup" ]]' || fail "no setup window"
  [[ -z "${GALLERY:-}" ]] || xwd -root -silent | /usr/bin/convert xwd:- -crop 520x400+0+0 "$GALLERY/setup.png"
  setup /S
  expect "exit code of a second setup" 2 $?
  xdo key Escape
  poll 20 '[[ "$(xdo getwindowfocus getwindowname 2>/dev/null)" != "VARNO 1.0 Setup" ]]'

  setup /S
  expect "exit code of the setup over the installation" 0 $?
  installed "$saver"
  expect "settings after the setup" "[VARNO] Sound=1 Logo=0 Pics=1 " \
    "$(tr -d '\r' <"$WINEPREFIX/drive_c/windows/VARNO.INI" | tr '\n' ' ')"
  uninstall
  removed
  expect "saver and active after the uninstaller" 'none 0' \
    "$(value 'HKCU\Control Panel\Desktop' SCRNSAVE.EXE) $(value 'HKCU\Control Panel\Desktop' ScreenSaveActive)"
  [[ -s "$WINEPREFIX/drive_c/windows/VARNO.INI" ]] || fail "the silent uninstaller removed the settings"
}

wine_main
