# A private X server for the Wine tests, the benchmark and tools/run.sh. Sourced by
# wine-env.sh; it needs nothing of Wine and can be sourced alone.

# x_server_start [WxHxD | LAYOUT.conf]: a private X server on a free display, white until
# something draws: Xvfb with one screen, or Xorg with the dummy driver as the layout file
# says (monitors side by side, modes to switch between: Xvfb can do neither; its log in
# XORG_LOG). Sets DISPLAY and X_SERVER_PID. The server ends by itself after an hour at the latest.
x_server_start() {
  local screen=${1:-800x600x24} file waited=0
  file=$(mktemp)
  if [[ "$screen" == *.conf ]]; then
    timeout -k 5 3600 Xorg -displayfd 3 -config "$screen" -noreset -nolisten tcp \
      -logfile "${XORG_LOG:-/dev/null}" 3>"$file" >/dev/null 2>&1 &
  else
    timeout -k 5 3600 Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -wr \
      3>"$file" >/dev/null 2>&1 &
  fi
  X_SERVER_PID=$!
  until grep -q '^[0-9]' "$file"; do
    if ((waited++ > 300)) || ! kill -0 "$X_SERVER_PID" 2>/dev/null; then
      echo "x-server: the X server did not start" >&2
      rm -f "$file"
      return 1
    fi
    sleep 0.1
  done
  DISPLAY=":$(head -n1 "$file")"
  export DISPLAY
  rm -f "$file"
}

x_server_stop() {
  if [[ -z "${X_SERVER_PID:-}" ]]; then return 0; fi
  kill "$X_SERVER_PID" 2>/dev/null
  wait "$X_SERVER_PID" 2>/dev/null
  X_SERVER_PID=
}
