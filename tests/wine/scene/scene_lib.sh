# Shared by the scene's scripts (agreement.sh, soak.sh, frames.sh and
# tests/bench/scene_bench.sh). Source it with the name=value pairs that
# tests/wine/scene.cmake passes (source, gdi, reference, template, work; each becomes
# an upper-case variable), then call scene_begin and, at the end, exit.
#
# Like the other Wine tests, each script gets its own copy of the shared prefix, its own
# wineserver and its own Xvfb, here 640x480x24 so that the full-screen saver's window
# is exactly the 640 x 480 client that the reference raster draws.

set -u
for argument in "$@"; do
  key=${argument%%=*}
  [[ "$key" =~ ^(source|gdi|reference|template|work)$ ]] ||
    { echo "unknown argument: $argument" >&2; exit 2; }
  printf -v "${key^^}" '%s' "${argument#*=}"
done
unset argument key

. "$SOURCE/tools/wine-env.sh"

SCENE_NAME=${SCENE_NAME:-scene_$(basename "$0" .sh)}
TEST_DIR=$WORK/$SCENE_NAME
ASSETS=$SOURCE/assets
SCREEN=640x480x24
KEEP_PREFIX=0

scene_abort() {
  echo "$SCENE_NAME: $*" >&2
  exit 1
}

scene_begin() {
  [[ -x "$REFERENCE" ]] || scene_abort "no reference program at $REFERENCE"
  [[ -f "$GDI" ]] || scene_abort "no GDI program at $GDI"
  rm -rf "$TEST_DIR"
  mkdir -p "$TEST_DIR"
  trap scene_cleanup EXIT
  [[ -f "$TEMPLATE/.varno-stamp" ]] || scene_abort "no prefix at $TEMPLATE (run the wine.prefix test)"
  wine_prefix_clone "$TEMPLATE" "$TEST_DIR/prefix" || scene_abort "cannot copy the prefix"
  export WINEPREFIX=$TEST_DIR/prefix
  xvfb_start "$SCREEN" || scene_abort "no X display"
  wine_server_start || scene_abort "no wineserver"
  echo "$SCENE_NAME: display $DISPLAY ($SCREEN), prefix $WINEPREFIX"
}

# scene_display WxHxD: a new display (and wineserver, whose desktop belongs to the old one).
scene_display() {
  wine_server_stop
  xvfb_stop
  SCREEN=$1
  xvfb_start "$SCREEN" || scene_abort "no X display at $SCREEN"
  wine_server_start || scene_abort "no wineserver"
  echo "$SCENE_NAME: display $DISPLAY ($SCREEN)"
}

scene_cleanup() {
  wine_env_cleanup
  ((KEEP_PREFIX)) || rm -rf "$TEST_DIR/prefix"
}

# gdi SECONDS ARGUMENTS...: the GDI program under wine64 (paths as Z:/...).
gdi() {
  local seconds=$1
  shift
  wine_run "$seconds" "$GDI" "$@"
}

# reference SECONDS ARGUMENTS...: the reference program, natively.
reference() {
  local seconds=$1
  shift
  timeout -k 5 "$seconds" "$REFERENCE" "$@" --assets "$ASSETS"
}

# A Unix path as the Windows program sees it.
windows_path() {
  printf 'Z:%s' "$(realpath -m "$1")"
}
