#!/usr/bin/env bash
# A PNG of the settings dialog as Wine draws it, cropped to the dialog's window:
#
#   tests/wine/settings/screenshot.sh docs/screenshots/dialog.png [BUILD_DIR]
#
# BUILD_DIR (default build/win64) must hold VARNO.scr and settings_probe.exe
# (cmake --build --preset win64). The dialog opens without an owner, from no settings
# file, in a private copy of BUILD_DIR/wineprefix on a private display; everything
# started here ends here.
set -euo pipefail

out=${1:?usage: screenshot.sh OUT.png [BUILD_DIR]}
source=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(realpath "${2:-$source/build/win64}")
saver=$build/VARNO.scr
probe=$build/settings_probe.exe
for file in "$saver" "$probe"; do
  [[ -f "$file" ]] || { echo "screenshot: $file is missing; build the win64 preset" >&2; exit 1; }
done

. "$source/tools/wine-env.sh"
work=$(mktemp -d)
saver_pid=
cleanup() {
  [[ -n "$saver_pid" ]] && kill "$saver_pid" 2>/dev/null
  wine_env_cleanup
  rm -rf "$work"
}
trap cleanup EXIT

wine_prefix_ensure "$build/wineprefix"
wine_prefix_clone "$build/wineprefix" "$work/prefix"
export WINEPREFIX=$work/prefix
xvfb_start
wine_server_start

wine_run 60 "$saver" >/dev/null 2>&1 &
saver_pid=$!
line=$(wine_run 60 "$probe" dialog 30) || { echo "screenshot: $line" >&2; exit 1; }
dialog=$(sed -n 's/.*dialog=\([0-9]*\).*/\1/p' <<<"$line")
read -r x y w h <<<"$(sed -n 's/.* place=\([-0-9]*\),\([-0-9]*\),\([0-9]*\),\([0-9]*\) .*/\1 \2 \3 \4/p' <<<"$line")"

# The dialog has finished painting when two looks in a row are the same.
crop() {
  timeout -k 5 30 xwd -root -silent -display "$DISPLAY" |
    timeout -k 5 30 /usr/bin/convert xwd:- -crop "${w}x${h}+${x}+${y}" +repage "$1"
}
crop "$work/a.png"
for _ in $(seq 50); do
  sleep 0.2
  crop "$work/b.png"
  [[ "$(/usr/bin/compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1)" == 0 ]] && break
  mv "$work/b.png" "$work/a.png"
done

mkdir -p "$(dirname "$out")"
/usr/bin/convert "$work/a.png" -strip "png:$out"
wine_run 60 "$probe" click "$dialog" 1001 >/dev/null  # Cancel: nothing is stored
wait "$saver_pid" || true
saver_pid=
echo "screenshot: ${w}x${h} dialog written to $out"
