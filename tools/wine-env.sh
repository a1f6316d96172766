# Wine and a private X display, for the end-to-end tests and for trying the saver by hand.
# Source it from bash:
#
#   . tools/wine-env.sh
#   wine_prefix_ensure build/wine/prefix          # the tests' prefix, made once (about 20 s)
#   wine_prefix_clone build/wine/prefix build/wine/try-prefix     # a copy to play in
#   export WINEPREFIX=$PWD/build/wine/try-prefix
#   xvfb_start                                    # or keep your own DISPLAY
#   wine_server_start
#   wine_run 600 build/win64/VARNO.scr /s; echo "exit code $?"
#   wine_env_cleanup                              # ends the wineserver and the Xvfb started here
#
# Never kill Wine processes by name: other runs may share the machine. Everything here
# ends only what it started: its own Xvfb by PID, the wineserver of its own WINEPREFIX.

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
# No Mono or Gecko installer dialogs, no debugger that would wait for a user, and no driver
# host: the saver opens no device, and starting one took a fifth of the suite's processor
# time (and half a session's start under qemu, where it can crash).
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winedevice.exe=d"
export WINEDEBUG="${WINEDEBUG:--all}"

# The prefix settings without which runs hang or crawl: an unmanaged X11 driver (keys
# reach the focused window, DestroyWindow is immediate), no crash dialog or debugger,
# no audio driver.
wine_settings_reg() {
  cat <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""

[HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"=""
EOF
}

# What a prefix was made from; a prefix whose stamp differs is made anew.
wine_prefix_stamp() {
  { "$WINE64" --version; wine_settings_reg; } | md5sum | cut -d' ' -f1
}

# wine_prefix_ensure DIR [win32|wow64]: makes DIR a booted prefix with the settings above,
# unless it already is one made by this Wine with these settings.
#   (none)  a 64-bit prefix, for 64-bit programs only
#   wow64   a 64-bit prefix with its 32-bit half, as 64-bit Windows has it: SysWOW64 and the
#           32-bit registry view (where a 32-bit program's Program Files is "Program Files
#           (x86)"). wineboot makes that half only when 32-bit Wine is installed; without
#           it, a 32-bit program in the prefix finds no system DLLs and "Program Files".
#   win32   a 32-bit prefix booted by 32-bit Wine (about 25 s under qemu), where a program
#           sees no WoW64.
# Under qemu on a busy machine about one boot in five hangs in a helper that crashed, so a
# boot that fails is killed and made again from nothing, three times at most.
wine_prefix_ensure() {
  local dir stamp lock try rc=0 wine=$WINE64 kind=${2:-} arch=win64
  dir=$(realpath -m "${1:?wine_prefix_ensure: no directory}")
  [[ "$dir" != / ]] || return 1
  if [[ $kind == win32 || $kind == wow64 ]] && [[ ! -e /usr/lib/wine/wine ]]; then
    echo "wine-env: a $kind prefix needs 32-bit Wine: run tools/bootstrap.sh --wine32" >&2
    return 1
  fi
  stamp=$(wine_prefix_stamp)$kind
  if [[ $kind == win32 ]]; then
    arch=win32
    wine32_loader "$dir.loader"
    wine=$WINE32_LOADER
  fi
  mkdir -p "$(dirname "$dir")"
  exec {lock}>"$dir.lock"
  timeout -k 5 400 flock "$lock" || { exec {lock}>&-; return 1; }
  if [[ "$(cat "$dir/.varno-stamp" 2>/dev/null)" != "$stamp" ]]; then
    echo "wine-env: making the Wine prefix $dir" >&2
    rm -rf "$dir"
    for try in 1 2 3; do
      rm -rf "$dir.new"
      rc=0
      (
        export WINEPREFIX="$dir.new" WINEARCH=$arch
        timeout -k 5 90 "$wine" wineboot -i &&
          wine_settings_reg >"$WINEPREFIX/drive_c/settings.reg" &&
          timeout -k 5 30 "$wine" regedit /S 'C:\settings.reg' &&
          timeout -k 5 30 "$WINESERVER" -w &&
          grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg"
      ) >/dev/null 2>&1 || rc=$?
      if ((rc == 0)) && [[ $kind == wow64 ]] && ! wine_prefix_has_wow64 "$dir.new"; then
        echo "wine-env: the prefix has no 32-bit half (no SysWOW64 kernel32.dll, or no" \
          "\"Program Files (x86)\" in the 32-bit registry view)" >&2
        rc=3
      fi
      ((rc == 0)) && break
      echo "wine-env: making the prefix failed ($rc, try $try of 3)" >&2
      WINEPREFIX="$dir.new" timeout -k 5 20 "$WINESERVER" -k 2>/dev/null
    done
    if ((rc == 0)); then
      wine_forget_server "$dir.new"
      rm -f "$dir.new/drive_c/settings.reg"
      echo disable >"$dir.new/.update-timestamp"
      echo "$stamp" >"$dir.new/.varno-stamp"
      mv "$dir.new" "$dir"
    else
      rm -rf "$dir.new"
    fi
  fi
  exec {lock}>&-
  return "$rc"
}

# wine_prefix_has_wow64 DIR: DIR's 32-bit half is there, as a 32-bit program sees it.
wine_prefix_has_wow64() {
  [[ -f "$1/drive_c/windows/syswow64/kernel32.dll" ]] &&
    sed -n '/^\[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\]/,/^\[/p' "$1/system.reg" |
    grep -qxF '"ProgramFilesDir"="C:\\Program Files (x86)"'
}

# wine_prefix_clone FROM TO: a private prefix with its own wineserver, made in well under
# a second: the DLLs and programs are hard links to FROM's (Wine never writes them once
# updates are disabled), everything else (registry, ini files) is a real copy.
wine_prefix_clone() {
  local from to
  from=$(realpath "${1:?wine_prefix_clone: no prefix}") to=$(realpath -m "${2:?wine_prefix_clone: no copy}")
  [[ -f "$from/system.reg" && "$to" != / ]] || return 1
  rm -rf "$to"
  mkdir -p "$(dirname "$to")"
  cp -al "$from" "$to" || return 1
  rm -f "$to/wineserver"
  (cd "$from" && find . -type f ! -path './drive_c/windows/system32/*' \
      ! -path './drive_c/windows/syswow64/*' ! -name wineserver \
      -exec cp --remove-destination --parents -t "$to" {} +)
}

# Removes the socket directory that Wine made in /tmp for the prefix's server.
wine_forget_server() {
  local prefix=$1 name
  name=$(cat "$prefix/wineserver" 2>/dev/null) || return 0
  [[ "$name" =~ ^wine-[A-Za-z0-9]+$ ]] && rm -rf "${TMPDIR:-/tmp}/$name"
  rm -f "$prefix/wineserver"
}

# xvfb_start [WxHxD | LAYOUT.conf]: a private X server on a free display, white until
# something draws: Xvfb with one screen, or Xorg with the dummy driver as the layout file
# says (monitors side by side, modes to switch between: Xvfb can do neither; its log in
# XORG_LOG). Sets DISPLAY and XVFB_PID. The server ends by itself after an hour at the latest.
xvfb_start() {
  local screen=${1:-800x600x24} file waited=0
  file=$(mktemp)
  if [[ "$screen" == *.conf ]]; then
    timeout -k 5 3600 Xorg -displayfd 3 -config "$screen" -noreset -nolisten tcp \
      -logfile "${XORG_LOG:-/dev/null}" 3>"$file" >/dev/null 2>&1 &
  else
    timeout -k 5 3600 Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -wr \
      3>"$file" >/dev/null 2>&1 &
  fi
  XVFB_PID=$!
  until grep -q '^[0-9]' "$file"; do
    if ((waited++ > 300)) || ! kill -0 "$XVFB_PID" 2>/dev/null; then
      echo "wine-env: Xvfb did not start" >&2
      rm -f "$file"
      return 1
    fi
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$file")"
  rm -f "$file"
}

xvfb_stop() {
  [[ -n "${XVFB_PID:-}" ]] || return 0
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

# wine_server_start: a wineserver for $WINEPREFIX that stays while the shell works (and
# a minute after its last program), so that each program starts in a fraction of a
# second. Never start it under faketime: its timers would stop.
wine_server_start() {
  : "${WINEPREFIX:?WINEPREFIX is not set}"
  env -u LD_PRELOAD -u FAKETIME timeout -k 5 30 "$WINESERVER" -p60 || return 1
  WINE_SERVER_STARTED=$WINEPREFIX
}

wine_server_stop() {
  [[ -n "${WINE_SERVER_STARTED:-}" ]] || return 0
  WINEPREFIX=$WINE_SERVER_STARTED timeout -k 5 20 "$WINESERVER" -k 2>/dev/null
  WINEPREFIX=$WINE_SERVER_STARTED timeout -k 5 20 "$WINESERVER" -w 2>/dev/null
  wine_forget_server "$WINE_SERVER_STARTED"
  WINE_SERVER_STARTED=
}

# wine_run SECONDS PROGRAM [ARGUMENTS...]: runs a Windows program under wine64 and
# returns its exit code as the shell sees it (-1 reads 255; 124 means it timed out).
wine_run() {
  local seconds=$1
  shift
  timeout -k 5 "$seconds" "$WINE64" "$@"
}

# 32-bit Wine for i686 programs, emulated by qemu-i386 (this kernel runs no 32-bit code),
# in a prefix that wine64 made with 32-bit Wine installed (its syswow64). The guest's
# address space ends where a 32-bit Windows program's does: qemu 7.2 ignores
# MAP_FIXED_NOREPLACE, and with its default of 4 GB every reservation that Wine misses
# lands above 2 GB, where Wine keeps it and then probes that half in 64 KB steps (about
# 50 s a start instead of 3).
WINE32=(env WINELOADERNOEXEC=1 QEMU_RESERVED_VA=0x7fff0000 qemu-i386 /usr/lib/wine/wine)

# wine32_loader DIR: a private copy of Wine's loader folder in DIR whose `wine` runs the
# 32-bit loader under qemu-i386, so that a 32-bit program can start another one (an NSIS
# uninstaller's copy of itself in %TEMP%, wineboot's helpers). Wine starts a child with
# the loader of its own argv[0]'s name from the folder of the running loader; ntdll.so and
# Wine's data are found from that folder too. Sets WINE32_LOADER.
wine32_loader() {
  local dir=$1/lib/wine
  WINE32_LOADER=$dir/wine
  [[ -x $WINE32_LOADER ]] && return 0
  mkdir -p "$dir" &&
    ln -sfn /usr/lib/i386-linux-gnu "$1/lib/" &&
    ln -sfn /usr/share "$1/share" &&
    ln -sf /usr/lib/wine/wine64 /usr/lib/wine/wineserver* "$dir/" &&
    cp /usr/lib/wine/wine "$dir/wine-i386" &&
    printf '#!/bin/sh\nexec env %s -0 "$0" "$0-i386" "$@"\n' "${WINE32[*]:1:3}" >"$dir/wine" &&
    chmod +x "$dir/wine"
}

# wine32_run SECONDS PROGRAM [ARGUMENTS...]: wine_run for an i686 program.
wine32_run() {
  local seconds=$1
  shift
  timeout -k 5 "$seconds" "${WINE32[@]}" "$@"
}

wine_env_cleanup() {
  wine_server_stop
  xvfb_stop
}
