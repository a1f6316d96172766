# The setup and its uninstaller, silent, on the 95 and NT families (a 32-bit prefix) and on
# 64-bit Windows; the private 32-bit loader lets the uninstaller start its copy in %TEMP%.
# Values: as in lib.sh; setup is the release's setup program, saver32 the i686 build that it
# installs on the 95 and NT families, template32 the booted 32-bit prefix their tests copy,
# shell32 the stand-in for the desktop's shell there.
# shellcheck shell=bash source-path=SCRIPTDIR
# shellcheck disable=SC2154 # lib.sh sets the values
. "$(dirname "$0")/lib.sh" "name source work template saver driver setup saver32 template32 shell32" "$@"
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VARNO'
DESKTOP='HKCU\Control Panel\Desktop'

# begin VERSION FOLDER [TEMPLATE]: a prefix in Windows VERSION mode, FOLDER the system's,
# with REG's user settings if set.
begin() {
  REG="[Software\\\\Wine]
\"Version\"=\"$1\"
${REG:-}"
  template=${3:-$template} test_begin
  wine32_loader "$TEST_DIR/loader"
  TOOL=$WINE32_LOADER  # the wine of Windows' own tools (reg, winepath):
  [[ -n "${3:-}" ]] || TOOL=$WINE64  # 64-bit on 64-bit Windows
  SYSTEM=$WINEPREFIX/drive_c/windows/$2
}

# setup ARGUMENTS...: the setup (with FILE_LIMIT set, no file it writes may pass that many
# KB); then no temporary file of its own (VRNxxxx.TMP) anywhere, nor a copy of SYSTEM.INI
# (SYSTEM.VRN) unless the exit code, 7, says so.
setup() {
  local code before after
  before=$(strays)
  (if [[ -n "${FILE_LIMIT:-}" ]]; then ulimit -f "$FILE_LIMIT" && trap '' XFSZ; fi
    timeout -k 5 60 "$WINE32_LOADER" "$setup" "$@") >>"$TEST_DIR/setup.log" 2>&1
  code=$?
  after=$(strays)
  ((code != 7)) || after=$(grep -iv '/system\.vrn$' <<<"$after")
  [[ "$after" == "$before" ]] || fail "the setup (exit code $code) left: $(strays | xargs)"
  return $code
}
strays() { find "$WINEPREFIX/drive_c/windows" -maxdepth 2 \( -iname 'vrn*.tmp' -o -iname system.vrn \); }

# quiet: the quiet command of the Add/Remove entry on drive C, as UNINSTALLER (the program),
# ARGUMENTS and FILE (the program's file here).
quiet() {
  local command
  command=$(value "$UNINSTALL_KEY" QuietUninstallString)
  [[ $command =~ ^\"([Cc]:\\([^\"]+))\"\ (.*)$ ]] ||
    { fail "the Add/Remove entry has no quiet command on drive C: '$command'"; return 1; }
  UNINSTALLER=${BASH_REMATCH[1]} ARGUMENTS=${BASH_REMATCH[3]} FILE=$WINEPREFIX/drive_c/${BASH_REMATCH[2]//\\//}
}

# uninstall [KEPT]: the quiet command, as Add/Remove Programs runs it; then neither the file,
# nor the entry, nor the uninstaller (with KEPT, an entry that could not be removed: both
# stay), nor its copy in %TEMP%.
uninstall() {
  local kept=${1:+yes} entry=none
  quiet || return 1
  [[ -f "$FILE" ]] || fail "no uninstaller at $FILE"
  # shellcheck disable=SC2086  # the command's arguments, split as Windows splits them
  timeout -k 5 60 "$WINE32_LOADER" "$UNINSTALLER" $ARGUMENTS >>"$TEST_DIR/setup.log" 2>&1
  [[ -n $kept ]] || poll 40 not test -e "$FILE" || fail "the uninstaller is still there: $FILE"
  poll 40 not pgrep -f "$TEST_DIR/loader.*Un.exe" >/dev/null || fail "the uninstaller's copy still runs"
  [[ ! -e "$SYSTEM/VARNO.scr" ]] || fail "VARNO.scr is still in $SYSTEM"
  [[ -z $kept ]] || entry="VARNO screen saver"
  expect "uninstaller, Add/Remove entry and files of its own after the uninstaller" "$kept|$entry|" \
    "$([[ -e "$FILE" ]] && echo yes)|$(value "$UNINSTALL_KEY" DisplayName)|$(strays)"
}

# uninstaller_waited: the quiet uninstaller, waited for (_?=FOLDER: it runs where it is,
# instead of from a copy in %TEMP% while the first one has already ended); its exit code.
uninstaller_waited() {
  local folder
  quiet || return 99
  folder=$(timeout -k 5 30 "$TOOL" winepath -s "${UNINSTALLER%\\*}" 2>/dev/null | tr -d '\r')
  # _?= is read only unquoted, as the last argument: the folder's short name has no blanks.
  # shellcheck disable=SC2086  # the command's arguments, split as Windows splits them
  timeout -k 5 60 "$WINE32_LOADER" "$UNINSTALLER" $ARGUMENTS "_?=$folder" >>"$TEST_DIR/setup.log" 2>&1
  local code=$?
  [[ -z "$(strays)" ]] || fail "the uninstaller left: $(strays | xargs)"
  return $code
}

# value KEY NAME: the data as Add/Remove Programs and the display settings see it (on
# 64-bit Windows the 64-bit view), or "none".
value() {
  timeout -k 5 30 "$TOOL" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^    $2    REG_[A-Z]*    //p" | grep . || echo none
}

installed() {  # BUILD: the file and its Add/Remove entry
  cmp -s "$1" "$SYSTEM/VARNO.scr" || fail "$SYSTEM/VARNO.scr is not $1"
  expect "Add/Remove entry" "VARNO screen saver|\"C:\\Program Files\\VARNO\\uninstall.exe\" /S" \
    "$(value "$UNINSTALL_KEY" DisplayName)|$(value "$UNINSTALL_KEY" QuietUninstallString)"
}
chosen() { echo "$(value "$DESKTOP" SCRNSAVE.EXE) $(value "$DESKTOP" ScreenSaveActive)"; }  # the saver, active

# ini_kept CODE WHAT COMMAND...: WHAT (the command) ends with CODE, and SYSTEM.INI stays
# as it was (with CODE 7: as SYSTEM.VRN).
ini_kept() {
  local code kept=$ini
  cp "$ini" "$TEST_DIR/system.ini"
  "${@:3}"
  code=$?
  (($1 != 7)) || kept=${ini%.INI}.VRN
  expect "exit code of $2" "$1" $code
  cmp -s "$kept" "$TEST_DIR/system.ini" || fail "SYSTEM.INI changed by $2"
}
ini_is() { expect "SYSTEM.INI$1" "$2" "$(joined '|' <"$ini")"; }  # WHEN LINES: its lines, each ended by "|"

# The 95 family. A SYSTEM.INI that cannot be read, is read-only or cannot be written in full
# stays as it is, and so does the rest of the choice (exit code 6). Then the [boot] line
# becomes the short path in place, every other byte stays, also through the uninstaller;
# the active flag reaches the user's profile.
test_setup95() {
  REG='[Control Panel\\Desktop]
"ScreenSaveActive"="0"'
  begin win95 system "$template32"
  ini=$WINEPREFIX/drive_c/windows/SYSTEM.INI  # the setup's spelling; Wine's is system.ini
  rm "$WINEPREFIX/drive_c/windows/system.ini"
  mkdir "$ini"
  setup /S
  expect "exit code of the setup with a SYSTEM.INI that cannot be read" 6 $?
  [[ -d "$ini" ]] || fail "the SYSTEM.INI that could not be read was replaced"
  rmdir "$ini"

  printf '[boot]\r\nscrnsave.exe=C:\\windows\\system\\VARNO.scr\r\nshell=other.exe\r\n' >"$ini"
  chmod a-w "$ini"
  ini_kept 6 "the setup with a read-only SYSTEM.INI" setup /S
  expect "the read-only SYSTEM.INI's mode" 444 "$(stat -c %a "$ini")"

  # A copy that cannot be written in full: the process may write no file over 3.5 MB (the
  # setup's own unpacked data is 2.9 MB).
  chmod u+w "$ini"
  { printf '[boot]\r\nscrnsave.exe=c:\\windows\\system\\varno.scr\r\n[filler]\r\n'
    yes '; a long SYSTEM.INI' | head -c 3800000; } >"$ini"
  FILE_LIMIT=3584 ini_kept 6 "the setup when SYSTEM.INI cannot be written" setup /S

  # The new SYSTEM.INI cannot take the old one's name, nor the old one its own again (Wine
  # finds another spelling of it there): the old one stays whole as SYSTEM.VRN, and the exit
  # code says so. A setup that finds a SYSTEM.VRN changes nothing.
  printf '[boot]\r\nscrnsave.exe=c:\\windows\\system\\varno.scr\r\n' >"$ini"
  echo '; another spelling' >"$WINEPREFIX/drive_c/windows/system.ini"
  ini_kept 7 "the setup when SYSTEM.INI can be neither replaced nor put back" setup /S
  rm "$WINEPREFIX/drive_c/windows/system.ini"
  cat "$TEST_DIR/system.ini" >"$ini"
  ini_kept 6 "the setup with SYSTEM.VRN there" setup /S
  rm "${ini%.INI}.VRN"
  expect "active after the failed choices" 0 "$(value "$DESKTOP" ScreenSaveActive)"

  printf '[boot]\r\nshell=Explorer.exe\r\n\r\n  mouse.drv = mouse.drv  \r\n\tscrnsave.exe =c:\\windows\\system\\varno.scr\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n' >"$ini"
  setup /S
  expect "exit code of the setup" 0 $?
  installed "$saver32"
  ini_is "" "[boot]|shell=Explorer.exe||  mouse.drv = mouse.drv  |SCRNSAVE.EXE=C:\\windows\\system\\VARNO.scr||[386Enh]|device=*vpd|"
  expect "active" 1 "$(value "$DESKTOP" ScreenSaveActive)"
  uninstall
  ini_is " after the uninstaller" "[boot]|shell=Explorer.exe||  mouse.drv = mouse.drv  ||[386Enh]|device=*vpd|"
  expect "active after the uninstaller" 0 "$(value "$DESKTOP" ScreenSaveActive)"

  # A file without [boot] gets one, where a second saver line would name VARNO once the
  # first is gone: the uninstaller puts the file back as it was and says so.
  printf '[386Enh]\r\ndevice=*vpd' >"$ini"
  setup /S
  printf 'SCRNSAVE.EXE=C:\\windows\\system\\VARNO.scr\r\n' >>"$ini"
  ini_kept 6 "the uninstaller with two saver lines naming VARNO" uninstaller_waited
}

# shell_up: the stand-in shell, once it has its window. A 32-bit start under qemu takes 10 to
# 20 s on a busy machine, longer while another program starts, so it is waited for as long as
# it runs (120 s); it is started again only when qemu lost it (its process gone, shell.log).
shell_up() {
  local try
  for try in 1 2 3; do
    timeout -k 5 600 "$WINE32_LOADER" "$shell32" >"$TEST_DIR/shell.out" 2>>"$TEST_DIR/shell.log" &
    SHELL_PID=$!
    poll 120 shell_settled
    if grep -q ready "$TEST_DIR/shell.out"; then return 0; fi
    echo "the stand-in shell, start $try: no window" >>"$TEST_DIR/shell.log"
    kill "$SHELL_PID" 2>/dev/null
    wait "$SHELL_PID" 2>/dev/null
  done
  return 1
}
shell_settled() { grep -q ready "$TEST_DIR/shell.out" || ! kill -0 "$SHELL_PID" 2>/dev/null; }

# The NT family: the user's desktop values, read and made only by a setup of the desktop's
# user (the owner of the shell, here a stand-in: Wine's explorer does not run under qemu). A
# file that may not be written is an error of its own, and no entry without its uninstaller;
# another saver chosen after installing stays through a second setup and the uninstaller,
# and so does "(None)" with savers on when VARNO.scr is already gone.
test_setup_nt() {
  REG='[Software\\Wine\\Debug]
"RelayInclude"="advapi32.RegOpenKeyExA;kernelbase.RegOpenKeyExA"'
  begin winxp system32 "$template32"
  local uninstaller=$WINEPREFIX/drive_c/Program\ Files/VARNO/uninstall.exe
  mkdir -p "$SYSTEM/VARNO.scr" "$uninstaller"
  setup /S
  expect "exit code of the setup when VARNO.scr may not be written" 4 $?
  rmdir "$SYSTEM/VARNO.scr"
  setup /S
  expect "exit code of the setup when its uninstaller cannot be written, and the entry" "5 none" \
    "$? $(value "$UNINSTALL_KEY" DisplayName)"
  rmdir "$uninstaller"
  shell_up || fail "the stand-in shell did not start, three times: $(joined <"$TEST_DIR/shell.log")"
  setup /S
  expect "exit code of the setup" 0 $?
  installed "$saver32"
  expect "saver and active" 'C:\windows\system32\VARNO.scr 1' "$(chosen)"
  "$TOOL" reg add "$DESKTOP" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1
  setup /S
  uninstall
  expect "another saver's choice after the uninstaller" 'C:\windows\system32\other.scr' "$(value "$DESKTOP" SCRNSAVE.EXE)"

  setup /S
  "$TOOL" reg delete "$DESKTOP" /v SCRNSAVE.EXE /f >/dev/null 2>&1
  rm "$SYSTEM/VARNO.scr"
  uninstall
  expect "\"(None)\" and active after the uninstaller without VARNO.scr" 'none 1' "$(chosen)"

  kill "$SHELL_PID"
  wait "$SHELL_PID" 2>/dev/null
  setup /S
  expect "exit code of the setup with no shell to tell the desktop's user" 0 $?
  expect "saver without that user" none "$(value "$DESKTOP" SCRNSAVE.EXE)"
  # Over an installation, the setup and the uninstaller of another user read nobody's choice.
  WINEDEBUG=+relay setup /S
  WINEDEBUG=+relay uninstall
  expect "the desktop's values read without that user" "" "$(grep -a 'RegOpenKeyExA(.*Desktop' "$TEST_DIR/setup.log")"
}

# signed_release: a release signed with a throwaway certificate, its own authority: both
# builds in the zip, the setup and the uninstaller it installs verify, the checksums are of
# the signed files; setup and saver become the signed ones.
signed_release() {
  local dir=$TEST_DIR/signed
  # shellcheck disable=SC2015 # any step that fails ends it
  mkdir -p "$dir/zip" && echo secret >"$dir/password" &&
    openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=VARNO-test -days 2 -addext extendedKeyUsage=codeSigning \
      -keyout "$dir/key.pem" -out "$dir/ca.pem" 2>/dev/null &&
    openssl pkcs12 -export -inkey "$dir/key.pem" -in "$dir/ca.pem" -passout "file:$dir/password" -out "$dir/cert.p12" &&
    python3 "$source/tools/make_release.py" --out "$dir" --pkcs12 "$dir/cert.p12" --password-file "$dir/password" \
      >"$dir/release.log" 2>&1 &&
    7z e -y -o"$dir/zip" "$dir"/*.zip >/dev/null || { fail "no signed release: see $dir"; return 1; }
  setup=$(echo "$dir"/*-setup.exe)
  saver=$dir/zip/VARNO64.scr
  cp "$setup" "$dir/zip"
  (cd "$dir" && sha256sum --quiet -c SHA256SUMS && cd zip && sha256sum --quiet -c SHA256SUMS) || fail "checksums"
  verified "$dir/zip/VARNO.scr" "$saver" "$setup"
}

# verified FILE...: each carries a valid signature of the test's certificate.
verified() {
  local file
  for file in "$@"; do
    osslsigncode verify -CAfile "$TEST_DIR/signed/ca.pem" -in "$file" >>"$TEST_DIR/signed/verify.log" 2>&1 ||
      fail "no valid signature: $file"
  done
}

# 64-bit Windows, from a signed release: the 64-bit build in the real System32, none in
# SysWOW64; the setup and the uninstaller leave a running saver's file, the setup stops
# while another setup runs, and replaces the file keeping the settings, as it removes it,
# when it is read-only.
test_setup64() {
  begin win10 system32
  signed_release || return 1
  setup /S
  expect "exit code of the setup" 0 $?
  installed "$saver"
  verified "$WINEPREFIX/drive_c/Program Files/VARNO/uninstall.exe"
  [[ -z "$(find "$WINEPREFIX/drive_c/windows/syswow64" -iname '*varno*')" ]] || fail "VARNO in SysWOW64"
  expect "saver and active" 'C:\windows\system32\VARNO.scr 1' "$(chosen)"

  echo older >>"$SYSTEM/VARNO.scr"
  cp "$SYSTEM/VARNO.scr" "$TEST_DIR/older.scr"
  write_settings 1 0 1
  APP=$SYSTEM saver_start /s
  focused "Screen Saver"
  setup /S
  expect "exit code of the setup while the saver runs" 2 $?
  cmp -s "$SYSTEM/VARNO.scr" "$TEST_DIR/older.scr" || fail "the busy file changed"
  uninstaller_waited
  expect "exit code of the uninstaller while the saver runs" 2 $?
  installed "$TEST_DIR/older.scr"
  key_ends a "saver's exit code"

  local title
  title="VARNO $(<"$source/VERSION") Setup"
  setup &
  focused "$title"
  [[ -z "${GALLERY:-}" ]] || xwd -root -silent | convert xwd:- "$GALLERY/setup.png"
  setup /S
  expect "exit code of a second setup" 2 $?
  xdo key Escape
  poll 20 not has_focus "$title" || fail "the interactive setup kept the focus after Escape"
  chmod a-w "$SYSTEM/VARNO.scr"
  setup /S
  expect "exit code of the setup over the installation" 0 $?
  installed "$saver"
  expect "settings after the setup" "[VARNO] Sound=1 Logo=0 Pics=1 " \
    "$(joined <"$WINEPREFIX/drive_c/windows/VARNO.INI")"
  chmod a-w "$SYSTEM/VARNO.scr"
  uninstall
  expect "saver and active after the uninstaller" 'none 0' "$(chosen)"
  [[ -s "$WINEPREFIX/drive_c/windows/VARNO.INI" ]] || fail "the silent uninstaller removed the settings"

  # The second rename of the swap refused once (by the wineserver, which does them): the
  # old file is back. An entry that cannot be removed (a subkey the uninstaller cannot
  # delete: a link to no key) keeps its uninstaller.
  cp "$TEST_DIR/older.scr" "$SYSTEM/VARNO.scr"
  wine_server_stop
  printf '\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\VARNO\\\\stuck]\n#link\n"SymbolicLinkValue"=hex(6):%s\n' \
    "$(printf '\\Registry\\Machine\\Software\\VARNO-none' | iconv -t UTF-16LE | od -An -tx1 -v | xargs | tr ' ' ,)" \
    >>"$WINEPREFIX/system.reg"
  # shellcheck disable=SC2015 # either step that fails ends it
  g++ -shared -fPIC -o "$TEST_DIR/rename_once.so" "$source/tests/wine/rename_once.cpp" -ldl &&
    LD_PRELOAD=$TEST_DIR/rename_once.so RENAME_FAILS=VARNO.scr timeout -k 5 30 "$WINESERVER" -p60 ||
    { fail "no wineserver that refuses a rename"; return 1; }
  # shellcheck disable=SC2034 # wine_server_stop (tools/wine-env.sh) ends it
  WINE_SERVER_STARTED=$WINEPREFIX
  setup /S
  expect "exit code of the setup when the new VARNO.scr cannot take its name" 4 $?
  cmp -s "$SYSTEM/VARNO.scr" "$TEST_DIR/older.scr" || fail "the old VARNO.scr is not back"
  setup /S
  uninstall kept
}

wine_main
