#!/usr/bin/env bash
# Screenshots of the saver under Wine, into build/screenshots/ (tools/run.sh calls it when
# there is no display, after building, with DISPLAY a private Xvfb of 800 x 600, WINEPREFIX
# a booted prefix and its wineserver running):
#   tools/screenshots.sh full        full-screen-1.png the first picture, -2.png the logo on its
#                                    way, -3.png the second picture half revealed
#   tools/screenshots.sh preview     preview.png, the live preview in its 320 x 240 window
#   tools/screenshots.sh settings    dialog.png, the settings dialog cut out of the screen
# It refuses to run without WINEPREFIX and DISPLAY, and ends the saver it started when it fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [[ -z "${WINEPREFIX:-}" || -z "${DISPLAY:-}" ]]; then
  echo "screenshots: WINEPREFIX and DISPLAY must name a prefix and an X server (tools/run.sh sets both)" >&2
  exit 2
fi
. tools/wine-env.sh
saver=$root/build/win64/VARNO.scr
driver=$root/build/win64/driver.exe
preview=$root/build/win64/preview_host.exe
out=$root/build/screenshots
frames=$root/build/run/frames
rm -rf "$frames"
mkdir -p "$out" "$frames"
pid=
trap 'if [[ -n "$pid" ]]; then kill "$pid" 2>/dev/null; fi; rm -rf "$frames"' EXIT

# wait_shown CLASS TITLE WHAT: until that window is shown (a cold Wine prefix takes a while).
wait_shown() {
  if ! "$WINE64" "$driver" find "$1" "$2" 60 >/dev/null; then
    echo "screenshots: $3 did not appear within 60 s" >&2
    exit 1
  fi
  start=$((${EPOCHREALTIME/./} / 1000))
}
# grab NAME [MS]: the screen into $frames/NAME.xwd, not before MS milliseconds after it showed.
grab() {
  while ((${EPOCHREALTIME/./} / 1000 < start + ${2:-0})); do sleep 0.01; done
  xwd -root -silent -out "$frames/$1.xwd"
}
png() { convert "$frames/$1.xwd" "$out/$2"; }

# half_revealed FRAME...: of screens read in a row across a change of picture, the one that
# shows the second picture about half revealed; nothing when the change is not among them.
# Each frame is judged by its mean brightness. The logo over black is as bright wherever it
# is, so the brightness falls as the first picture is blacked out (the darkest frame), then
# climbs with the area uncovered to the brightest frame after it, the second picture whole.
# Picked: the frame a third of the way up, in six runs the picture uncovered to about half
# its width and height. The screen is read faster than the saver ticks, so frames in a row
# often show the same step: the brightest is searched among all the frames after the
# darkest, not only up to the first one that is no brighter than the one before (which
# stopped a few steps in, or at the darkest frame itself).
half_revealed() {
  local files=("$@") pick
  pick=$(convert "$@" -format '%[mean]\n' info: | awk '
    { m[NR] = $1; if (NR == 1 || $1 < m[dark]) dark = NR }
    END {
      whole = dark
      for (i = dark; i <= NR; i++) if (m[i] > m[whole]) whole = i
      if (m[1] - m[dark] < 500 || m[whole] - m[dark] < 500) exit  # no change of picture seen
      aim = m[dark] + (m[whole] - m[dark]) / 3
      pick = dark
      for (i = dark; i < whole; i++) if ((m[i] - aim)^2 < (m[pick] - aim)^2) pick = i
      print pick
    }')
  if [[ -n "$pick" ]]; then echo "${files[pick - 1]}"; fi
}

mode=${1:-full}
case $mode in
  settings)
    timeout -k 5 60 "$WINE64" "$saver" /c &
    pid=$!
    wait_shown '#32770' "$(sed -n 's/^DIALOG_TITLE = "\(.*\)"$/\1/p' tools/asset_catalog.py)" "the settings dialog"
    grab settings 500
    xdotool key Escape
    wait "$pid" || true
    pid=
    convert "$frames/settings.xwd" -trim +repage "$out/dialog.png"
    wrote="dialog.png (the settings dialog)" ;;
  preview)
    if ! wine_run 60 "$preview" 320 240 1 "$frames/preview.ppm"; then
      echo "screenshots: the preview did not run for a second" >&2
      exit 1
    fi
    convert "$frames/preview.ppm" "$out/preview.png"
    wrote="preview.png (the live preview in its 320 x 240 window after a second, read back in its host)" ;;
  full)
    timeout -k 5 60 "$WINE64" "$saver" /s &
    pid=$!
    wait_shown WindowsScreenSaverClass "Screen Saver" "the saver's window (class WindowsScreenSaverClass)"
    grab first 500
    grab logo 1000
    # About 100 ticks a second, fewer on a busy machine: from tick 150 (1.5 s in or later)
    # the second picture is uncovered from its centre in 15 ticks. The screen is read over
    # and over from 1.2 to 2.4 s, some 100 frames.
    n=1000
    until ((${EPOCHREALTIME/./} / 1000 > start + 2400)); do grab "reveal-$((n += 1))" 1200; done
    xdotool key space
    if wait "$pid"; then echo "the saver ended on a key press (exit code 0)"; else echo "the saver ended with exit code $?"; fi
    pid=
    frame=$(half_revealed "$frames"/reveal-*.xwd)
    reveal="the second picture half revealed"
    if [[ -z "$frame" ]]; then
      frame=$frames/reveal-$n.xwd
      reveal="2.4 s in; the reveal of the second picture was not caught"
    fi
    png first full-screen-1.png
    png logo full-screen-2.png
    convert "$frame" "$out/full-screen-3.png"
    wrote="full-screen-1.png (the first picture), full-screen-2.png (the logo on its way), full-screen-3.png ($reveal)" ;;
  *)
    echo "usage: tools/screenshots.sh [full|preview|settings]" >&2
    exit 2 ;;
esac
echo "wrote in build/screenshots/: $wrote"
