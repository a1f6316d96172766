# Wine prefixes: making a booted one with the settings the runs need, and copying it.
# Sourced by wine-env.sh, whose WINE64, WINESERVER and wine_forget_server it uses, and the
# wine32_loader of wine32.sh for a 32-bit prefix.

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
  if [[ "$dir" == / ]]; then return 1; fi
  if [[ $kind == win32 || $kind == wow64 ]] && [[ ! -e /usr/lib/wine/wine ]]; then
    echo "wine-prefix: a $kind prefix needs 32-bit Wine: run tools/bootstrap.sh --wine32" >&2
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
    echo "wine-prefix: making the Wine prefix $dir" >&2
    rm -rf "$dir"
    for try in 1 2 3; do
      rm -rf "$dir.new"
      rc=0
      wine_prefix_boot "$dir.new" "$arch" "$wine" >/dev/null 2>&1 || rc=$?
      if ((rc == 0)) && [[ $kind == wow64 ]] && ! wine_prefix_has_wow64 "$dir.new"; then
        echo "wine-prefix: the prefix has no 32-bit half (no SysWOW64 kernel32.dll, or no" \
          "\"Program Files (x86)\" in the 32-bit registry view)" >&2
        rc=3
      fi
      ((rc == 0)) && break
      echo "wine-prefix: making the prefix failed ($rc, try $try of 3)" >&2
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

# wine_prefix_boot DIR WINEARCH WINE: boots DIR with the settings above.
wine_prefix_boot() {
  local -x WINEPREFIX=$1 WINEARCH=$2
  timeout -k 5 90 "$3" wineboot -i &&
    wine_settings_reg >"$WINEPREFIX/drive_c/settings.reg" &&
    timeout -k 5 30 "$3" regedit /S 'C:\settings.reg' &&
    timeout -k 5 30 "$WINESERVER" -w &&
    grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg"
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
  if [[ ! -f "$from/system.reg" || "$to" == / ]]; then return 1; fi
  rm -rf "$to"
  mkdir -p "$(dirname "$to")"
  cp -al "$from" "$to" || return 1
  rm -f "$to/wineserver"
  (cd "$from" && find . -type f ! -path './drive_c/windows/system32/*' \
      ! -path './drive_c/windows/syswow64/*' ! -name wineserver \
      -exec cp --remove-destination --parents -t "$to" {} +)
}
