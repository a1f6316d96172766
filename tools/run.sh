#!/usr/bin/env bash
# Builds VARNO (both Windows builds, the release zip and the setup) and runs the saver under Wine.
#   tools/run.sh              full screen (/s) on your display; any key or mouse move ends it
#   tools/run.sh preview      the live preview in a window of its own (/p HANDLE)
#   tools/run.sh settings     the settings dialog (/c)
# Without a display (no DISPLAY, or one that does not answer) it runs the saver on a
# private Xvfb for a few seconds and writes PNG screenshots to build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode=${1:-full}

tools/bootstrap.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2 >/dev/null
done
python3 tools/make_release.py | head -n2 | sed 's/^/release: /'

. tools/wine-env.sh
export WINEPREFIX=$root/build/run/wineprefix
wine_prefix_ensure "$WINEPREFIX"
trap wine_env_cleanup EXIT
saver=$root/build/win64/VARNO.scr
driver=$root/build/win64/driver.exe

headless=1
if [[ -n "${DISPLAY:-}" ]] && timeout 5 xdpyinfo >/dev/null 2>&1; then
  headless=0
else
  xvfb_start 800x600x24
fi
wine_server_start

shot() { xwd -root -silent | /usr/bin/convert xwd:- "$1"; echo "  $1"; }

if ((headless == 0)); then
  case $mode in
    full) wine_run 86400 "$saver" /s || true ;;
    settings) wine_run 86400 "$saver" /c || true ;;
    preview)
      # A window of our own with a 320 x 240 client; the saver draws into it until it closes.
      coproc parent { "$WINE64" "$driver" parent 320 240; }
      read -r handle <&"${parent[0]}"
      wine_run 86400 "$saver" /p "$handle" || true ;;
    *) echo "usage: tools/run.sh [full|preview|settings]" >&2; exit 2 ;;
  esac
  exit 0
fi

out=$root/build/screenshots
mkdir -p "$out"
echo "no display: running the saver on a private Xvfb ($DISPLAY); screenshots:"
case $mode in
  settings)
    wine_run 60 "$saver" /c &
    pid=$!
    sleep 3
    shot "$out/settings.png"
    xdotool key Escape
    wait "$pid" || true ;;
  *)
    # Full screen: the first picture, the logo on its way, the second picture half revealed.
    wine_run 60 "$saver" /s &
    pid=$!
    sleep 1; shot "$out/full-screen-1.png"
    sleep 2; shot "$out/full-screen-2.png"
    sleep 3; shot "$out/full-screen-3.png"
    xdotool key space
    wait "$pid" && echo "the saver ended on a key press (exit code 0)" ;;
esac
