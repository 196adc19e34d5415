#!/usr/bin/env bash
# Program start to the main window shown on an X display, table loaded: launches kestrel
# RUNS times under the current DISPLAY and prints the median in milliseconds. Run it inside
# xvfb-run, its server started with -noreset. Usage: bench/window_start.sh KESTREL DATA_DIR [RUNS]
set -euo pipefail
kestrel=$1
data=$2
runs=${3:-7}
config=$(mktemp -d)
trap 'cat "$config/stderr" >&2 2>/dev/null; rm -rf "$config"' EXIT
mkdir -p "$config/kestrel"
printf '[File Paths]\nClient dataset path=%s\n' "$data" >"$config/kestrel/kestrel.INI"
# The server must not reset when its last client leaves (Xvfb -noreset), or a start may find it
# gone; xvfb-run can also return before it takes connections: wait for it (at most 10 s).
for _ in $(seq 200); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.05
done
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  XDG_CONFIG_HOME=$config "$kestrel" >/dev/null 2>>"$config/stderr" &
  pid=$!
  until xdotool search --onlyvisible --name "Compare two probability" >/dev/null 2>&1; do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "window_start: kestrel ended before its window was shown" >&2
      exit 1
    fi
    sleep 0.002
  done
  times+=($(( ($(date +%s%N) - start) / 1000000 )))
  kill "$pid"
  wait "$pid" 2>/dev/null || true
done
printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
