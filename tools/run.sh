#!/usr/bin/env bash
# Builds VARNO (both Windows builds, the release zip and the setup) and runs the saver under Wine.
#   tools/run.sh              full screen (/s) on your display; any key or mouse move ends it
#   tools/run.sh preview      the live preview in a window of its own (/p HANDLE); close it to end
#   tools/run.sh settings     the settings dialog (/c)
# Without a display (no DISPLAY, or one that does not answer) it runs the saver on a
# private Xvfb for a few seconds and writes PNG screenshots to build/screenshots/.
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
driver=$root/build/win64/driver.exe
# The preview runs in its host's process: Wine shows no child window of another process.
preview=$root/build/win64/preview_host.exe

headless=1
if [[ -n "${DISPLAY:-}" ]] && timeout 5 xdpyinfo >/dev/null 2>&1; then
  headless=0
else
  x_server_start 800x600x24
fi
wine_server_start

if ((headless == 0)); then
  case $mode in
    full) wine_run 86400 "$saver" /s || true ;;
    settings) wine_run 86400 "$saver" /c || true ;;
    preview) wine_run 86400 "$preview" 320 240 || true ;;  # a 320 x 240 client
  esac
  exit 0
fi

out=$root/build/screenshots
frames=$root/build/run/frames
rm -rf "$frames"
mkdir -p "$out" "$frames"
echo "no display: running the saver on a private Xvfb ($DISPLAY) for a few seconds"

# wait_shown CLASS TITLE WHAT: until that window is shown (a cold Wine prefix takes a while).
wait_shown() {
  "$WINE64" "$driver" find "$1" "$2" 60 >/dev/null ||
    { echo "run.sh: $3 did not appear within 60 s" >&2; exit 1; }
  start=$((${EPOCHREALTIME/./} / 1000))
}
# grab NAME [MS]: the screen into $frames/NAME.xwd, not before MS milliseconds after it showed.
grab() {
  while ((${EPOCHREALTIME/./} / 1000 < start + ${2:-0})); do sleep 0.01; done
  xwd -root -silent -out "$frames/$1.xwd"
}
png() { /usr/bin/convert "$frames/$1.xwd" "$out/$2"; }

case $mode in
  settings)
    wine_run 60 "$saver" /c &
    pid=$!
    wait_shown '#32770' 'Hi There !' "the settings dialog"
    grab settings 500
    xdotool key Escape
    wait "$pid" || true
    png settings settings.png
    wrote="settings.png (the settings dialog)" ;;
  preview)
    wine_run 60 "$preview" 320 240 1 "$frames/preview.ppm" ||
      { echo "run.sh: the preview did not run for a second" >&2; exit 1; }
    /usr/bin/convert "$frames/preview.ppm" "$out/preview.png"
    wrote="preview.png (the live preview in its 320 x 240 window after a second, read back in its host)" ;;
  full)
    wine_run 60 "$saver" /s &
    pid=$!
    wait_shown WindowsScreenSaverClass "Screen Saver" "the saver's window (class WindowsScreenSaverClass)"
    grab first 500
    grab logo 1000
    # About 100 ticks a second, fewer on a busy machine: from tick 150 (1.5 s in or later)
    # the second picture is uncovered from its centre in 15 ticks. Frames from 1.2 to 2.4 s;
    # of those from the darkest (the first picture blacked out) to the brightest after it,
    # the one a third of the way up in brightness: the second picture about half shown.
    n=1000
    until ((${EPOCHREALTIME/./} / 1000 > start + 2400)); do grab "reveal-$((n += 1))" 1200; done
    xdotool key space
    if wait "$pid"; then echo "the saver ended on a key press (exit code 0)"; else echo "the saver ended with exit code $?"; fi
    read -r pick caught < <(/usr/bin/convert "$frames"/reveal-*.xwd -format '%[mean]\n' info: | awk '
      { m[NR] = $1; if (NR == 1 || $1 < m[dark]) dark = NR }
      END { for (peak = dark; peak < NR && m[peak + 1] > m[peak]; peak++) ;
            aim = m[dark] + (m[peak] - m[dark]) / 3; pick = dark
            for (i = dark; i < peak; i++) if ((m[i] - aim)^2 < (m[pick] - aim)^2) pick = i
            caught = m[1] - m[dark] > 500 && m[peak] - m[dark] > 500
            print 1000 + (caught ? pick : NR), caught }')
    reveal="the second picture half revealed"
    ((caught)) || reveal="2.4 s in; the reveal of the second picture was not caught"
    png first full-screen-1.png
    png logo full-screen-2.png
    png "reveal-$pick" full-screen-3.png
    wrote="full-screen-1.png (the first picture), full-screen-2.png (the logo on its way), full-screen-3.png ($reveal)" ;;
esac
rm -rf "$frames"
echo "wrote in build/screenshots/: $wrote"
