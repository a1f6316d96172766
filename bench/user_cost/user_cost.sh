#!/usr/bin/env bash
# What the running saver costs a user, under Wine, against two programs that set its
# bounds: user_cost_baseline.exe, the least a full-screen program with the same clock can
# cost (a topmost popup, a 5 ms timer whose ticks do nothing, one paint), and the same
# program doing on each tick the saver's own platform work (a zero-length Sleep,
# GetDC/ReleaseDC and the seven block copies that move the logo). That second figure is
# the target for the saver's CPU: whatever the saver costs beyond it is its own overhead.
# All run full screen on a private Xvfb (800x600x24, or --screen) with a warm prefix, one after the
# other, and the script prints side by side:
#   - CPU as a share of one core over SECONDS of steady running (after a second of
#     settling): the program's own process (the time its Unix threads ran, from the
#     kernel's per-thread schedstat, in nanoseconds), this prefix's wineserver, the
#     prefix's other Wine processes (services, the desktop process, ...) and the X server;
#   - timer ticks delivered a second: the baseline counts its WM_TIMER messages; the
#     saver's are counted in a separate run traced with WINEDEBUG=+relay limited to
#     user32.GetDC (one call a tick, one more for the first erase), since tracing costs;
#   - the time from process start to the first frame on the screen, REPEAT times each:
#     user_cost_first_frame.exe starts the programs in turn and reads the screen back
#     until it is covered and shows something (the saver: the first picture on the first
#     tick; the baseline: its paint). All starts come from that one launcher, so Wine's
#     desktop process stays up between them as a user's desktop does (started afresh
#     for each, it made about half the starts 150-250 ms slower, whichever program);
#   - the saver with the console display reported off (as Windows reports it, by
#     user_cost_first_frame.exe --display-off, after the second of settling): its CPU in
#     its own run, and its ticks in the traced run's second half, DURATION seconds more
#     after the report; and the time from the display reported on again to the next
#     frame on the screen, REPEAT times, at the end of that CPU run (--wake);
#   - the sizes of both builds of VARNO.scr.
# It prints the targets and whether the figures meet them, and judges nothing: it exits
# 0 whatever they are, and non-zero only when it could not measure. A busy machine
# makes every figure worse; the load average is printed at the start and the end.
#
#   bench/user_cost/user_cost.sh [SECONDS] [--rounds N] [--repeat N] [--explain]
#                                [--screen WxH] [--smoke] [--no-build] [name=value ...]
#
# SECONDS (default 20) is the length of each measured run; --rounds the number of times
# the CPU runs alternate (default 1; on a busy machine 3 or more, whose medians are
# printed); --repeat the number of first-frame starts of each program, and of wakes
# (default 5); --screen the Xvfb screen's size (default 800x600).
# --explain adds runs of the baseline with the saver's per-tick work added one step at a
# time, to see where the saver's CPU goes. --smoke only proves that the script runs (CTest's
# run): every step once, as briefly as it goes (a fifth of a second a run, no warm-up or
# settling, one start each), with figures that mean nothing. Without --no-build it
# configures and builds what it needs (cmake presets win64 and win32). name=value
# overrides the paths: saver, baseline, first_frame, template (a Wine prefix to copy,
# used when tools/wine-env.sh made it with its present settings), work (where runs leave
# their files, and the benchmark's own prefix when the template is not usable).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)

DURATION=20
REPEAT=5
ROUNDS=1
BUILD=1
EXPLAIN=0
SCREEN=800x600x24
WARM_UP=1  # seconds of settling before a measured run; rounds of starts that only warm up
declare -A PATHS=(
  [saver]=$ROOT/build/win64/VARNO.scr
  [baseline]=$ROOT/build/win64/user_cost_baseline.exe
  [first_frame]=$ROOT/build/win64/user_cost_first_frame.exe
  [template]=$ROOT/build/wine/prefix
  [work]=$ROOT/build/win64/bench
)
SAVER32=$ROOT/build/win32/VARNO.scr
usage() {
  awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0" >&2
  exit 2
}
while (($#)); do
  case $1 in
    --rounds) [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || usage; ROUNDS=$2; shift ;;
    --repeat) [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || usage; REPEAT=$2; shift ;;
    --explain) EXPLAIN=1 ;;
    --screen) [[ ${2:-} =~ ^[1-9][0-9]*x[1-9][0-9]*$ ]] || usage; SCREEN=${2}x24; shift ;;
    --smoke) DURATION=0.2 REPEAT=1 WARM_UP=0 ;;
    --no-build) BUILD=0 ;;
    [1-9]*) [[ $1 =~ ^[1-9][0-9]*$ ]] || usage; DURATION=$1 ;;
    *=*) [[ -n "${PATHS[${1%%=*}]+set}" ]] || usage; PATHS[${1%%=*}]=${1#*=} ;;
    *) usage ;;
  esac
  shift
done
LIMIT=$((${DURATION%.*} + 120))  # seconds a measured program may run at most

NAME=user_cost
abort() {
  echo "$NAME: $*" >&2
  exit 1
}
note() { echo "$NAME: $(date +%T) $*" >&2; }

# ---- build ----------------------------------------------------------------------------
mkdir -p "${PATHS[work]}"
BUILD_LOG=${PATHS[work]}/user_cost-build.log
if ((BUILD)); then
  note "building (log: $BUILD_LOG)"
  (
    cd "$ROOT"
    timeout -k 5 300 cmake --preset win64 &&
      timeout -k 5 900 cmake --build --preset win64 -j2 --target user_cost_programs
  ) >"$BUILD_LOG" 2>&1 || abort "the win64 build failed; see $BUILD_LOG"
  (
    cd "$ROOT"
    timeout -k 5 300 cmake --preset win32 &&
      timeout -k 5 900 cmake --build --preset win32 -j2 --target varno
  ) >>"$BUILD_LOG" 2>&1 || note "the win32 build failed; its size is left out (see $BUILD_LOG)"
fi
for program in saver baseline first_frame; do
  [[ -f "${PATHS[$program]}" ]] || abort "no $program program at ${PATHS[$program]}"
done

# ---- the Wine rig -------------------------------------------------------------------------
. "$ROOT/tools/wine-env.sh"
RUN_DIR=
RUNNING=()  # PIDs of the timeouts around programs still running

cleanup() {
  local pid
  set +e  # the rig's helpers return the status of what they stopped
  for pid in "${RUNNING[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  RUNNING=()
  wine_env_cleanup
  if [[ -n "$RUN_DIR" ]]; then rm -rf "$RUN_DIR/prefix"; fi
  return 0
}
trap cleanup EXIT

# A copy of the template when wine-env.sh made it with its present settings, as a 64-bit
# prefix with or without its 32-bit half (the Wine tests' prefix has one, which a 64-bit
# saver never uses); otherwise of the benchmark's own, made once. A template of other
# settings is never remade from here: it belongs to whoever made it.
RUN_DIR=$(mktemp -d "${PATHS[work]}/user_cost.XXXXXX")
OWN_PREFIX=${PATHS[work]}/wineprefix
template_stamp=$(cat "${PATHS[template]}/.varno-stamp" 2>/dev/null)
if [[ "$template_stamp" == "$(wine_prefix_stamp)" || "$template_stamp" == "$(wine_prefix_stamp)wow64" ]] &&
  wine_prefix_clone "${PATHS[template]}" "$RUN_DIR/prefix" 2>/dev/null; then
  PREFIX_SOURCE=${PATHS[template]}
else
  wine_prefix_ensure "$OWN_PREFIX" || abort "cannot make the Wine prefix $OWN_PREFIX"
  wine_prefix_clone "$OWN_PREFIX" "$RUN_DIR/prefix" || abort "cannot copy the prefix $OWN_PREFIX"
  PREFIX_SOURCE=$OWN_PREFIX
fi
export WINEPREFIX=$RUN_DIR/prefix
# The saver's ticks are counted in a traced run: only GetDC is traced, and only there.
printf '\n%s\n' '[Software\\Wine\\Debug]' '"RelayInclude"="user32.GetDC"' >>"$WINEPREFIX/user.reg"
x_server_start "$SCREEN" || abort "no X display"
wine_server_start || abort "no wineserver"

# shellcheck disable=SC1003  # tr reads '\\' as one backslash
windows_path() { printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"; }

# Processes of this run, found through what this script started, never by name: the
# program is the child of its own timeout; the X server the child of the Xvfb timeout;
# the wineserver and the other Wine processes carry this run's own WINEPREFIX.
child_of() {  # PID: the first child of PID, waiting up to 10 s for it
  local i pid
  for ((i = 0; i < 100; i++)); do
    pid=$(pgrep -P "$1" | head -n1) && [[ -n "$pid" ]] && { echo "$pid"; return 0; }
    sleep 0.1
  done
  return 1
}
prefix_processes() {  # "PID KIND" for every Wine process of this prefix
  local file pid exe
  grep -lFxz "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null | while read -r file; do
    pid=${file#/proc/}
    pid=${pid%/environ}
    exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || continue
    case ${exe##*/} in
      wineserver*) echo "$pid server" ;;
      wine*) echo "$pid wine" ;;
    esac
  done || true
}
cpu_ns() {  # PID: nanoseconds the process's threads have run (0 when it is gone)
  local file total=0 ns rest
  for file in /proc/"$1"/task/*/schedstat; do
    read -r ns rest <"$file" 2>/dev/null || continue
    total=$((total + ns))
  done
  echo "$total"
}
XSERVER=$(child_of "$X_SERVER_PID") || abort "cannot find the X server"

# snapshot PROGRAM-PID LIST ARRAY: the clock and the CPU nanoseconds of the program, the
# X server and each process of LIST (lines "PID KIND", from prefix_processes).
# shellcheck disable=SC2034  # into is the caller's array, by name
snapshot() {
  local -n into=$3
  local pid kind
  into=([time]=$EPOCHREALTIME [program]=$(cpu_ns "$1") [xserver]=$(cpu_ns "$XSERVER"))
  while read -r pid kind; do
    [[ "$pid" == "$1" ]] && continue
    into[$kind.$pid]=$(cpu_ns "$pid")
  done <"$2"
}
share() {  # NANOSECONDS SECONDS: per cent of one core
  awk -v t="$1" -v s="$2" 'BEGIN { printf "%.2f", 100 * t / 1e9 / s }'
}

# close_program TIMEOUT-PID WHAT: a key ends both programs (again every 0.2 s, in case
# the first came before their window); their exit code is returned.
close_program() {
  local waited rc=0
  for ((waited = 0; waited < 150; waited++)); do
    ((waited % 2)) || DISPLAY=$DISPLAY timeout -k 5 10 xdotool key a >/dev/null 2>&1 || true
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$1" 2>/dev/null; then
    note "$2 did not end on a key; stopping it"
    kill "$1" 2>/dev/null || true
  fi
  wait "$1" || rc=$?
  RUNNING=()
  return "$rc"
}

# cpu_run KEY PROGRAM ARGUMENTS...: runs the program full screen for a second of settling
# and DURATION measured seconds; appends the shares (per cent of one core) of the
# program, the wineserver, the other Wine processes, the X server and their total to
# CPUS[KEY.program|server|wine|xserver|total], and a line of them with the load average
# to cpu.txt in the run's directory.
declare -A CPUS CPU
cpu_run() {
  local key=$1 timer pid rc=0 elapsed name delta
  shift
  timeout -k 5 "$LIMIT" "$WINE64" "$@" >"$RUN_DIR/$key.log" 2>&1 &
  timer=$!
  RUNNING=("$timer")
  pid=$(child_of "$timer") || abort "$key: the program did not start"
  sleep "$WARM_UP"
  [[ $key != saver_off ]] || display_tool --display-off || abort "$key: the display was not reported off"
  prefix_processes >"$RUN_DIR/$key.processes"
  declare -A A B
  snapshot "$pid" "$RUN_DIR/$key.processes" A
  sleep "$DURATION"
  snapshot "$pid" "$RUN_DIR/$key.processes" B
  [[ $key != saver_off ]] || wake_times
  close_program "$timer" "$key" || rc=$?
  ((rc == 0)) || abort "$key: the program ended with $rc; see $RUN_DIR/$key.log"
  elapsed=$(awk -v a="${A[time]}" -v b="${B[time]}" 'BEGIN { print b - a }')
  declare -A ns=([program]=$((B[program] - A[program])) [xserver]=$((B[xserver] - A[xserver]))
                 [server]=0 [wine]=0)
  for name in "${!B[@]}"; do
    [[ $name == *.* && -n "${A[$name]+set}" ]] || continue  # processes there throughout
    delta=$((B[$name] - A[$name]))
    ((delta > 0)) || continue  # a thread that ended took its time with it
    case $name in
      server.*) ns[server]=$((ns[server] + delta)) ;;
      wine.*) ns[wine]=$((ns[wine] + delta)) ;;
    esac
  done
  ns[total]=$((ns[program] + ns[server] + ns[wine] + ns[xserver]))
  local line=$key value
  for name in program server wine xserver total; do
    value=$(share "${ns[$name]}" "$elapsed")
    CPUS[$key.$name]+="$value "
    line+=" $name $value"
  done
  echo "$line load $(cut -d' ' -f1 /proc/loadavg)" >>"$RUN_DIR/cpu.txt"
}

# cpu_summary KEY...: CPU[KEY.KIND] the median of the rounds, CPU[KEY.KIND.range] min-max.
cpu_summary() {
  local key name
  local -a values
  for key in "$@"; do
    for name in program server wine xserver total; do
      read -r -a values <<<"${CPUS[$key.$name]}"
      CPU[$key.$name]=$(median 2 "${values[@]}")
      ((ROUNDS == 1)) || CPU[$key.$name.range]=$(range 2 "${values[@]}")
    done
  done
}

# first_frames ROUNDS: ROUNDS rounds of one start of the baseline and one of the saver,
# all from one launcher; the first WARM_UP rounds only warm up. Appends each later start's
# frame_ms, window_ms and poll_ms to FRAME[KEY], WINDOW[KEY] and POLL[KEY].
declare -A FRAME WINDOW POLL
first_frames() {
  local result=$RUN_DIR/first_frames.txt round index key rest
  rm -f "$result"
  wine_run $((60 + 30 * $1)) "${PATHS[first_frame]}" "$(windows_path "$result")" "$1" \
    "\"$(windows_path "${BASELINE[0]}")\" -" "\"$(windows_path "${SAVER[0]}")\" ${SAVER[1]}" \
    >>"$RUN_DIR/first_frame.log" 2>&1 ||
    abort "no first frame seen; see $RUN_DIR/first_frame.log and $result"
  while read -r round index rest; do
    ((round >= WARM_UP)) || continue
    key=$( ((index == 0)) && echo baseline || echo saver)
    declare -A F=()
    # shellcheck disable=SC2086  # NAME VALUE pairs, split at their blanks
    set -- $rest
    while (($# >= 2)); do F[$1]=$2; shift 2; done
    FRAME[$key]+="${F[frame_ms]} "
    WINDOW[$key]+="${F[window_ms]} "
    POLL[$key]+="${F[poll_ms]} "
  done < <(tr -d '\r' <"$result")
}
median() {  # DECIMALS VALUES...
  local decimals=$1
  shift
  (($# != 1)) || { LC_NUMERIC=C printf '%.*f' "$decimals" "$1"; return; }  # no processes for one
  printf '%s\n' "$@" | sort -g | awk -v d="$decimals" '{ v[NR] = $1 }
    END { printf "%.*f", d, NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
range() {  # DECIMALS VALUES...: "min-max"
  local decimals=$1
  shift
  (($# != 1)) || { LC_NUMERIC=C printf '%.*f-%.*f' "$decimals" "$1" "$decimals" "$1"; return; }
  printf '%s\n' "$@" | sort -g |
    awk -v d="$decimals" 'NR == 1 { a = $1 } { b = $1 } END { printf "%.*f-%.*f", d, a, d, b }'
}

# display_tool ARGUMENTS: user_cost_first_frame.exe playing the system's part for the saver.
display_tool() { wine_run 60 "${PATHS[first_frame]}" "$@" >>"$RUN_DIR/display.log" 2>&1; }

# wake_times: REPEAT times the display reported on, after a moment off; WAKE gets the times
# from "on" to the next frame on the screen, WAKE_POLL the read-back periods.
WAKE='' WAKE_POLL=''
wake_times() {
  local result=$RUN_DIR/wake.txt round name value poll
  display_tool --wake "$(windows_path "$result")" "$REPEAT" || abort "no frame after the display was on; see $RUN_DIR/display.log"
  while read -r round name value name poll; do
    WAKE+="$value " WAKE_POLL+="$poll "
  done < <(tr -d '\r' <"$result")
}

SAVER=("${PATHS[saver]}" /s)
BASELINE=("${PATHS[baseline]}")
LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)

# baseline_run KEY [STEP]: cpu_run of the baseline, doing STEP's work on each tick; appends
# its ticks a second to RATES[KEY].
declare -A RATES
baseline_run() {
  local key=$1 result=$RUN_DIR/$1.txt name value
  shift
  rm -f "$result"
  cpu_run "$key" "${BASELINE[@]}" "$(windows_path "$result")" "$@"
  declare -A T=()
  while read -r name value; do T[$name]=$value; done < <(tr -d '\r' <"$result" 2>/dev/null)
  [[ -n "${T[ticks]:-}" ]] || abort "$key: the baseline wrote no tick count"
  RATES[$key]+="$(awk -v n="${T[ticks]}" -v t="${T[tick_span_ms]}" \
    'BEGIN { printf "%.1f", (t > 0 ? 1000 * (n - 1) / t : 0) }') "
}

# ---- warm-up: each program once, through the launcher ---------------------------------
note "display $DISPLAY ($SCREEN), prefix a copy of $PREFIX_SOURCE; warming up"
((WARM_UP)) && first_frames 1

# ---- CPU: ROUNDS alternations, with the steps between them under --explain --------------
STEPS=()
((EXPLAIN)) && STEPS=(yield dc window)
CPU_KEYS=(baseline "${STEPS[@]}" copies saver saver_off)
note "CPU: $ROUNDS round(s) of $DURATION s of each of: ${CPU_KEYS[*]}"
for ((round = 0; round < ROUNDS; round++)); do
  baseline_run baseline
  for step in "${STEPS[@]}"; do
    baseline_run "$step" "$step"
  done
  baseline_run copies copies
  cpu_run saver "${SAVER[@]}"
  cpu_run saver_off "${SAVER[@]}"
done
cpu_summary "${CPU_KEYS[@]}"

# ---- the saver's ticks, traced --------------------------------------------------------------
note "ticks: $DURATION s of the saver, traced, and $DURATION s more with the display off"
TRACE=$RUN_DIR/relay.log
WINEDEBUG=+timestamp,+pid,+relay timeout -k 5 "$LIMIT" "$WINE64" "${SAVER[@]}" \
  >/dev/null 2>"$TRACE" &
timer=$!
RUNNING=("$timer")
# DURATION seconds from its first tick, the second GetDC call (counting every process's).
for ((waited = 0; waited < 300; waited++)); do
  [[ "$(grep -ac ':Call user32.GetDC(' "$TRACE" 2>/dev/null)" -ge 2 ]] && break
  sleep 0.1
done
sleep "$DURATION"
display_tool --display-off || abort "the traced saver's display was not reported off"
OFF_MARK=$(grep -ac ':Call user32.GetDC(' "$TRACE")  # the calls before it was
OFF_START=$EPOCHREALTIME
sleep "$DURATION"
OFF_SPAN=$(awk -v a="$OFF_START" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }')
rc=0
close_program "$timer" "traced saver" || rc=$?
((rc == 0)) || abort "the traced saver ended with $rc"
# Lines read "SECONDS.MS:PID:TID:Call user32.GetDC(...)"; the saver is the process that
# calls it most. Its first call is the first erase; every later one is a tick, until the
# display was reported off.
read -r SAVER_TICKS SAVER_RATE OFF_RATE < <(grep -a ':Call user32.GetDC(' "$TRACE" |
  awk -F: -v mark="$OFF_MARK" -v span="$OFF_SPAN" '
  NR <= mark { n[$2]++; t[$2, n[$2]] = $1; next }
  { off[$2]++ }
  END {
    for (p in n) if (n[p] > best) { best = n[p]; pid = p }
    ticks = best - 1
    on = best > 2 ? t[pid, best] - t[pid, 2] : 0
    printf "%d %.1f %.1f\n", ticks, (on > 0 ? (best - 2) / on : 0), off[pid] / span
  }')
((SAVER_TICKS > 0)) || abort "no traced GetDC call of the saver; see $TRACE"

# ---- first frames -------------------------------------------------------------------------
note "first frame: $REPEAT starts of each, after one more of each to warm up"
first_frames $((REPEAT + WARM_UP))

# ---- report ---------------------------------------------------------------------------------
calc() { awk "BEGIN { printf \"$1\", $2 }"; }
verdict() {  # FIGURE LIMIT FORMAT: "within", or "over by" the excess in FORMAT
  awk -v f="$1" -v l="$2" -v form="$3" \
    'BEGIN { if (f <= l) print "within"; else printf "over by " form "\n", f - l }'
}
size_of() { [[ -f "$1" ]] && printf "%'d bytes" "$(stat -c %s "$1")" || echo "not built"; }
row() { printf '%-40s %12s %12s %12s %12s   %s\n' "$@"; }
rounds_text="$DURATION s a run"
((ROUNDS > 1)) && rounds_text="$ROUNDS rounds of $DURATION s a run, medians"
echo "What the running saver costs: $rounds_text; full screen $SCREEN (Xvfb), warm prefix"
cpu_model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
echo "Machine: $cpu_model, $(nproc) cores;" \
     "$("$WINE64" --version) (wine64); load average $LOAD_BEFORE at the start," \
     "$(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo
CPU_LIMIT=${CPU[copies.program]}
row "" "baseline" "+ copies" "saver" "display off" "target"
for kind in program server wine xserver total; do
  case $kind in
    program) title="CPU, the program (% of one core)"
             target="<= $CPU_LIMIT % (+ copies): $(verdict "${CPU[saver.program]}" "$CPU_LIMIT" "%.2f %%");"
             target+=" off < ${CPU[baseline.program]} % (baseline): $(verdict "${CPU[saver_off.program]}" \
               "$(calc %.2f "${CPU[baseline.program]} - 0.005")" "%.2f %%")" ;;
    server) title="CPU, its wineserver" target="" ;;
    wine) title="CPU, the prefix's other Wine processes" target="" ;;
    xserver) title="CPU, the X server" target="" ;;
    total) title="CPU, all of these" target="" ;;
  esac
  row "$title" "${CPU[baseline.$kind]} %" "${CPU[copies.$kind]} %" \
    "${CPU[saver.$kind]} %" "${CPU[saver_off.$kind]} %" "$target"
  if ((ROUNDS > 1)) && [[ $kind == program || $kind == total ]]; then
    row "  (range of $ROUNDS rounds)" "${CPU[baseline.$kind.range]}" \
      "${CPU[copies.$kind.range]}" "${CPU[saver.$kind.range]}" "${CPU[saver_off.$kind.range]}" ""
  fi
done
read -r -a baseline_rates <<<"${RATES[baseline]}"
read -r -a copies_rates <<<"${RATES[copies]}"
BASELINE_RATE=$(median 1 "${baseline_rates[@]}")
row "Timer ticks a second" "$BASELINE_RATE" \
  "$(median 1 "${copies_rates[@]}")" "$SAVER_RATE" "$OFF_RATE" \
  "(5 ms asked: 200); off: 0: $(verdict "$OFF_RATE" 0 "%.1f")"
read -r -a bf <<<"${FRAME[baseline]}"
read -r -a sf <<<"${FRAME[saver]}"
read -r -a bw <<<"${WINDOW[baseline]}"
read -r -a sw <<<"${WINDOW[saver]}"
read -r -a polls <<<"${POLL[baseline]} ${POLL[saver]}"
FRAME_LIMIT=$(calc %.1f "$(median 1 "${bf[@]}") + 100")
row "First frame after start, ms: median" "$(median 1 "${bf[@]}")" "" \
  "$(median 1 "${sf[@]}")" "" \
  "<= $FRAME_LIMIT (baseline + 100): $(verdict "$(median 1 "${sf[@]}")" "$FRAME_LIMIT" "%.0f ms")"
row "  (range of $REPEAT starts)" "$(range 0 "${bf[@]}")" "" "$(range 0 "${sf[@]}")" "" ""
row "  the window covering the screen" "$(median 1 "${bw[@]}")" "" \
  "$(median 1 "${sw[@]}")" "" ""
# One tick period (5 ms) and the platform's timer resolution (the period its timer ticks
# at when asked for 5 ms, the baseline's), and the read-back that sees the frame.
read -r -a wakes <<<"$WAKE"
read -r -a wake_polls <<<"$WAKE_POLL"
WAKE_POLL_MS=$(median 1 "${wake_polls[@]}")
WAKE_LIMIT=$(calc %.1f "5 + 1000 / ($BASELINE_RATE > 0 ? $BASELINE_RATE : 1) + $WAKE_POLL_MS")
row "From \"on\" to the next frame, ms: median" "" "" "" "$(median 1 "${wakes[@]}")" \
  "<= $WAKE_LIMIT (5 + timer resolution + a read-back): $(verdict "$(median 1 "${wakes[@]}")" "$WAKE_LIMIT" "%.1f ms")"
row "  (range of $REPEAT)" "" "" "" "$(range 0 "${wakes[@]}")" ""
echo
if ((ROUNDS > 1)); then
  read -r -a saver_cpu <<<"${CPUS[saver.program]}"
  read -r -a limit_cpu <<<"${CPUS[copies.program]}"
  within=0
  for ((round = 0; round < ROUNDS; round++)); do
    [[ "$(verdict "${saver_cpu[round]}" "${limit_cpu[round]}" "")" == within ]] && ((++within))
  done
  echo "The saver's CPU was within the target in $within of $ROUNDS rounds."
  echo
fi
echo "VARNO.scr: i686 release (build/win32) $(size_of "$SAVER32");" \
     "x86_64 (build/win64) $(size_of "${PATHS[saver]}")"
echo
cat <<EOF
Baseline: an empty full-screen program with the saver's 5 ms timer. + copies: the same
program doing the saver's per-tick platform work on each tick: Sleep(0), GetDC and
ReleaseDC, and the seven block copies that move the logo (its largest region, 237 x 117,
read from the window and written back, and five copies between memory surfaces, two of
them through the logo's mask and image), measured in the same run. The saver's CPU target
is that figure: no more than what the copies cost on the bare platform. The saver does
more on some ticks (the picture reveal, the sound cue), which the target leaves out.
CPU: the time the threads of each Unix process ran, over $DURATION s after $WARM_UP s of
settling. Ticks: the baseline counts its WM_TIMER messages; the saver's are its GetDC
calls, less the first erase's, in a separate traced run ($SAVER_TICKS ticks, for $DURATION s
from the first).
Display off: the saver told that the console display is off, as Windows tells it (the
record in its own memory), a second after its start; its CPU in a run of its own, its
ticks in the traced run's next $DURATION s. "On" to the next frame: the display reported on
after a moment off, to the first read-back of the screen that differs from the screen
while off (one every $WAKE_POLL_MS ms), $REPEAT times.
First frame: from just before CreateProcess to the first read-back of the screen (one
every $(median 1 "${polls[@]}") ms) that shows the window covering it with something
drawn: the saver's first picture, drawn on its first tick; the baseline's paint. All
starts from one launcher, alternating, the desktop process up.
EOF

if ((EXPLAIN)); then
  echo
  echo "Where the saver's CPU goes: the baseline with the saver's per-tick platform work"
  echo "added one step on top of the other (a window DC of its own, as the saver's class has):"
  row "" "program" "wineserver" "X server" "all" ""
  for key in baseline yield dc window copies saver; do
    case $key in
      baseline) title="baseline: the tick does nothing" ;;
      yield) title="+ Sleep(0)" ;;
      dc) title="+ GetDC/ReleaseDC" ;;
      window) title="+ region window->memory->window" ;;
      copies) title="+ 5 memory copies (+ copies)" ;;
      saver) title="the saver" ;;
    esac
    row "$title" "${CPU[$key.program]} %" "${CPU[$key.server]} %" \
      "${CPU[$key.xserver]} %" "${CPU[$key.total]} %" ""
  done
fi

# Keep this run's logs beside the others, without its prefix.
cleanup
rm -rf "${PATHS[work]}/user_cost-last"
mv "$RUN_DIR" "${PATHS[work]}/user_cost-last"
RUN_DIR=
exit 0
