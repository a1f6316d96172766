# Wine and a private X display, for the end-to-end tests, the benchmark and trying the
# saver by hand. Source it from bash:
#
#   . tools/wine-env.sh
#   wine_prefix_ensure build/wine/prefix          # the tests' prefix, made once (about 20 s)
#   wine_prefix_clone build/wine/prefix build/wine/try-prefix     # a copy to play in
#   export WINEPREFIX=$PWD/build/wine/try-prefix
#   x_server_start                                # or keep your own DISPLAY
#   wine_server_start
#   wine_run 600 build/win64/VARNO.scr /s; echo "exit code $?"
#   wine_env_cleanup                              # ends the wineserver and X server started here
#
# This file holds what every run needs: Wine's programs and settings, a prefix's
# wineserver, wine_run. Each of the other jobs has a file of its own, sourced here:
#   x-server.sh     a private X server: Xvfb, or Xorg with a layout of monitors
#   wine-prefix.sh  the Wine prefixes: one booted with the settings the runs need, copies
#   wine32.sh       32-bit Wine, emulated by qemu-i386
#
# Never kill Wine processes by name: other runs may share the machine. Everything here
# ends only what it started: its own X server by PID, the wineserver of its own WINEPREFIX.

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
# No Mono or Gecko installer dialogs, no debugger that would wait for a user, and no driver
# host: the saver opens no device, and starting one took a fifth of the suite's processor
# time (and half a session's start under qemu, where it can crash).
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winedevice.exe=d"
export WINEDEBUG="${WINEDEBUG:--all}"

. "$(dirname "${BASH_SOURCE[0]}")/x-server.sh"
. "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"
. "$(dirname "${BASH_SOURCE[0]}")/wine32.sh"

# Removes the socket directory that Wine made in /tmp for the prefix's server.
wine_forget_server() {
  local prefix=$1 name
  name=$(cat "$prefix/wineserver" 2>/dev/null) || return 0
  [[ "$name" =~ ^wine-[A-Za-z0-9]+$ ]] && rm -rf "${TMPDIR:-/tmp}/$name"
  rm -f "$prefix/wineserver"
}

# wine_server_start: a wineserver for $WINEPREFIX that stays while the script works (and
# a minute after its last program), so that each program starts in a fraction of a
# second. Never start it under faketime: its timers would stop.
wine_server_start() {
  : "${WINEPREFIX:?WINEPREFIX is not set}"
  env -u LD_PRELOAD -u FAKETIME timeout -k 5 30 "$WINESERVER" -p60 || return 1
  WINE_SERVER_STARTED=$WINEPREFIX
}

wine_server_stop() {
  if [[ -z "${WINE_SERVER_STARTED:-}" ]]; then return 0; fi
  WINEPREFIX=$WINE_SERVER_STARTED timeout -k 5 20 "$WINESERVER" -k 2>/dev/null
  WINEPREFIX=$WINE_SERVER_STARTED timeout -k 5 20 "$WINESERVER" -w 2>/dev/null
  wine_forget_server "$WINE_SERVER_STARTED"
  WINE_SERVER_STARTED=
}

# wine_run SECONDS PROGRAM [ARGUMENTS...]: runs a Windows program under wine64 and
# returns its exit code as bash sees it (-1 reads 255; 124 means it timed out).
wine_run() {
  local seconds=$1
  shift
  timeout -k 5 "$seconds" "$WINE64" "$@"
}

wine_env_cleanup() {
  wine_server_stop
  x_server_stop
}
