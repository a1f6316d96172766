# Shared by the Wine end-to-end tests. A test script sources this file with its
# arguments, the name=value pairs that tests.cmake passes (source, saver, driver, ...;
# each becomes an upper-case variable: SOURCE, SAVER, DRIVER, ...), then calls
# test_begin, runs its cases with run_case, and ends with test_end.
#
# Each test runs in its own copy of the shared prefix, with its own wineserver and its
# own Xvfb, so tests can run side by side; a full-screen saver looks for another one
# across its whole wineserver.

set -u
for argument in "$@"; do
  key=${argument%%=*}
  [[ "$key" =~ ^(source|saver|driver|sequence_test|fault_guard_test|template|work)$ ]] ||
    { echo "unknown argument: $argument" >&2; exit 2; }
  printf -v "${key^^}" '%s' "${argument#*=}"
done
unset argument key
[[ -n "${SOURCE:-}" && -n "${TEMPLATE:-}" && -n "${WORK:-}" ]] ||
  { echo "usage: $0 source=DIR template=PREFIX work=DIR [saver=... driver=...]" >&2; exit 2; }

. "$SOURCE/tools/wine-env.sh"

TEST_NAME=$(basename "$0" .sh)
TEST_DIR=$WORK/$TEST_NAME
SAVER_CLASS=WindowsScreenSaverClass
FAILED_CASES=0
CASE_FAILED=0

abort() {
  echo "$TEST_NAME: $*" >&2
  exit 1
}

# A private prefix, display and wineserver for this test; all of them end with it.
# Two runs of the same test on one build tree (two ctest runs at once) take turns.
test_begin() {
  mkdir -p "$WORK"
  exec {TEST_LOCK}>"$WORK/$TEST_NAME.lock"
  flock -w 600 "$TEST_LOCK" || abort "another run of $TEST_NAME holds $WORK/$TEST_NAME.lock"
  rm -rf "$TEST_DIR"
  mkdir -p "$TEST_DIR"
  trap test_cleanup EXIT
  trap 'exit 143' TERM INT HUP  # so that a stopped test still ends what it started
  [[ -f "$TEMPLATE/.varno-stamp" ]] || abort "no prefix at $TEMPLATE (run the wine.prefix test)"
  wine_prefix_clone "$TEMPLATE" "$TEST_DIR/prefix" || abort "cannot copy the prefix"
  export WINEPREFIX=$TEST_DIR/prefix
  # The servers must not inherit the lock: it is released when this script ends.
  xvfb_start {TEST_LOCK}>&- || abort "no X display"
  wine_server_start {TEST_LOCK}>&- || abort "no wineserver"
  echo "$TEST_NAME: display $DISPLAY, prefix $WINEPREFIX"
}

test_cleanup() {
  saver_stop
  background_stop
  wine_env_cleanup
  # A passing test leaves only its logs; a failing one keeps its prefix to look into.
  ((FAILED_CASES == 0)) && rm -rf "$TEST_DIR/prefix"
}

test_end() {
  if ((FAILED_CASES)); then
    echo "$TEST_NAME: $FAILED_CASES case(s) failed"
    exit 1
  fi
  echo "$TEST_NAME: all cases passed"
  exit 0
}

# run_case FUNCTION [ARGUMENTS...]: one case; whatever it leaves running is ended.
run_case() {
  local title="$*"
  title=${title//$'\t'/<TAB>}
  CASE_FAILED=0
  "$@"
  saver_stop
  background_stop
  if ((CASE_FAILED)); then
    echo "FAIL  $title"
    FAILED_CASES=$((FAILED_CASES + 1))
  else
    echo "ok    $title"
  fi
}

fail() {
  echo "      $*"
  CASE_FAILED=1
}

# expect_eq WHAT EXPECTED ACTUAL
expect_eq() {
  [[ "$2" == "$3" ]] || fail "$1: expected '$2', got '$3'"
}

# expect_fields WHAT LINE NAME=VALUE...: each named field of the driver's line has its value.
expect_fields() {
  local what=$1 line=$2 pair
  shift 2
  for pair in "$@"; do
    expect_eq "$what ${pair%%=*}" "${pair#*=}" "$(field "${pair%%=*}" "$line")"
  done
}

# field NAME LINE: the value of NAME=value in a line of the driver's output.
field() {
  sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"
}

# drv COMMAND ...: runs the driver (see driver.cpp for its commands); what it and Wine
# say on stderr goes to driver.log.
drv() {
  wine_run 60 "$DRIVER" "$@" 2>>"$TEST_DIR/driver.log"
}

# The settings file the saver reads, in the prefix's Windows directory.
write_settings() {
  printf '[VARNO]\r\nSound=%s\r\nLogo=%s\r\nPics=%s\r\n' "$1" "$2" "$3" \
    >"$WINEPREFIX/drive_c/windows/VARNO.INI"
}

remove_settings() {
  rm -f "$WINEPREFIX/drive_c/windows/VARNO.INI"
}

# How the saver is started, with its time limit: by wine64 here (qemu for the i686
# build). A command, not a function, so that its process id is the one to end.
SAVER_COMMAND=(timeout -k 5 120 "$WINE64")

# saver_start ARGUMENTS...: starts the saver in the background. Its exit code appears
# in $TEST_DIR/saver.exit when it ends; its output goes to saver.log.
saver_start() {
  rm -f "$TEST_DIR/saver.exit" "$TEST_DIR/saver.pid"
  (
    "${SAVER_COMMAND[@]}" "$SAVER" "$@" >>"$TEST_DIR/saver.log" 2>&1 &
    echo $! >"$TEST_DIR/saver.pid"
    wait $!
    echo $? >"$TEST_DIR/saver.exit.new"
    mv "$TEST_DIR/saver.exit.new" "$TEST_DIR/saver.exit"
  ) &
  SAVER_PID=$!
}

saver_running() {
  [[ -n "${SAVER_PID:-}" && ! -e "$TEST_DIR/saver.exit" ]]
}

# saver_wait SECONDS: waits for the saver to end and sets SAVER_EXIT; fails (status 1)
# when it is still running after SECONDS.
saver_wait() {
  local tries=$(($1 * 10))
  while saver_running; do
    ((tries-- > 0)) || return 1
    sleep 0.1
  done
  SAVER_EXIT=$(cat "$TEST_DIR/saver.exit")
  wait "$SAVER_PID" 2>/dev/null
  SAVER_PID=
}

# expect_saver_exit WHAT CODE [SECONDS]: the saver ends within a generous time (30 s
# unless given) with CODE.
expect_saver_exit() {
  local seconds=${3:-30}
  if saver_wait "$seconds"; then
    expect_eq "$1: exit code" "$2" "$SAVER_EXIT"
  else
    fail "$1: the saver is still running after $seconds s"
  fi
}

# Ends a saver that a failed case left running (its timeout process passes the signal on).
saver_stop() {
  [[ -n "${SAVER_PID:-}" ]] || return 0
  if saver_running; then
    kill "$(cat "$TEST_DIR/saver.pid")" 2>/dev/null
  fi
  wait "$SAVER_PID" 2>/dev/null
  SAVER_PID=
}

# drv_background COMMAND ...: the driver as a helper process that the current case owns.
BACKGROUND_PIDS=()
drv_background() {
  timeout -k 5 120 "$WINE64" "$DRIVER" "$@" &
  BACKGROUND_PIDS+=($!)
}

background_stop() {
  local pid
  for pid in "${BACKGROUND_PIDS[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  BACKGROUND_PIDS=()
}

# find_window TITLE [PARENT]: waits for the saver's window and prints the driver's
# description of it; fails when none appears.
find_window() {
  if (($# > 1)); then
    drv find "$SAVER_CLASS" "$1" 30 "$2"
  else
    drv find "$SAVER_CLASS" "$1" 30
  fi
}

# The root window's size and its darkest and brightest channel values (0 to 65535):
# "800x600 0 0" when all black, "800x600 65535 65535" when all white.
screen_summary() {
  timeout -k 5 30 xwd -root -silent -display "$DISPLAY" |
    timeout -k 5 30 /usr/bin/convert xwd:- -format '%wx%h %[min] %[max]' info:
}

# wait_for_screen SUMMARY SECONDS: polls the screen until it reads SUMMARY.
wait_for_screen() {
  local deadline=$((SECONDS + $2))
  SCREEN=$(screen_summary)
  while [[ "$SCREEN" != "$1" ]] && ((SECONDS < deadline)); do
    sleep 0.25
    SCREEN=$(screen_summary)
  done
  [[ "$SCREEN" == "$1" ]]
}

# The saver's path as a Windows program sees it, for exact command lines.
windows_path() {
  local path
  path=$(realpath "$1")
  printf 'Z:%s' "${path//\//\\}"
}
