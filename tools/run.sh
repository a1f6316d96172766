#!/usr/bin/env bash
# Builds VARNO (both Windows builds, the release zip and the setup) and runs the saver under Wine.
#   tools/run.sh              full screen (/s) on your display; any key or mouse move ends it
#   tools/run.sh preview      the live preview in a window of its own (/p HANDLE); close it to end
#   tools/run.sh settings     the settings dialog (/c)
# Without a display (no DISPLAY, or one that does not answer) it runs the saver on a
# private Xvfb for a few seconds instead, and tools/screenshots.sh writes PNG screenshots of
# that mode to build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode=${1:-full}
case $mode in
  full | preview | settings) ;;
  *) echo "usage: tools/run.sh [full|preview|settings]" >&2; exit 2 ;;
esac

tools/bootstrap.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2 >/dev/null
done
python3 tools/make_release.py | sed -n '1,2s/^/release: /p'  # read to the end: after head, Python could die on a closed pipe

. tools/wine-env.sh
export WINEPREFIX=$root/build/run/wineprefix
wine_prefix_ensure "$WINEPREFIX"
trap wine_env_cleanup EXIT
saver=$root/build/win64/VARNO.scr
# The preview runs in its host's process: Wine shows no child window of another process.
preview=$root/build/win64/preview_host.exe

headless=1
if [[ -n "${DISPLAY:-}" ]] && timeout 5 xdpyinfo >/dev/null 2>&1; then
  headless=0
else
  x_server_start 800x600x24
fi
wine_server_start

if ((headless)); then
  echo "no display: running the saver on a private Xvfb ($DISPLAY) for a few seconds"
  tools/screenshots.sh "$mode"
  exit 0
fi
case $mode in
  full) wine_run 86400 "$saver" /s || true ;;
  settings) wine_run 86400 "$saver" /c || true ;;
  preview) wine_run 86400 "$preview" 320 240 || true ;;  # a 320 x 240 client
esac

