#!/usr/bin/env bash
# Measures the station from outside, as a person meets it (run by hand, never in CI):
#   flights  memory and time of `tolm-cli flights --json` at 1000, 4000 and
#            10 000 raw files (and 4000 with 4000 and 8000 cut files), next to
#            the listing alone (probe_listing)
#   startup  first start on 10 000 new aircraft folders: the main window mapped,
#            next to a bare window of the same toolkit
#   (selection-probe.sh beside it times F6 to the flight selection on screen)
#   session  the longest wait of the window's event loop during a whole
#            download session against mirvak-sim on 127.0.0.1, every disk
#            flush made 10 ms slower, next to the same window left idle
# Each figure is the median of three runs. Trees are hard links to a few real
# raw files, removed at the end.
# Usage: bench/probes/outside-probes.sh [BUILD_DIR] [flights|startup|session]...
#   BUILD_DIR: a Release tree built with -DTOLM_BUILD_BENCH=ON (default build-bench)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$source_dir/build-bench}
[ $# -gt 0 ] && shift
probes=("$@")
[ ${#probes[@]} -gt 0 ] || probes=(flights startup session)
bin=$build/bin
probe=$build/bench
tools=$source_dir/bench/probes

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "${probes[@]}"
fi

work=$(mktemp -d /tmp/tolm-probes-XXXXXX)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
# Settings and data of these runs only; nothing of the user's is touched.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME/Quellwerk" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# Starts mirvak-sim on a free loopback port; sets sim_port.
start_simulator() {
  : >"$work/sim.out"  # there before the port is read from it
  "$bin/mirvak-sim" --listen 127.0.0.1 --port 0 --varied 7 --erase-delay-ms 10 > "$work/sim.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do
    sim_port=$(sed -n 's/^Listening on port \([0-9]*\)\.$/\1/p' "$work/sim.out")
    [ -n "$sim_port" ] && return 0
    sleep 0.1
  done
  echo "the simulator did not start" >&2
  exit 1
}

# Three real raw files, downloaded from the simulator.
seed_raw_files() {
  [ -d "$work/seed" ] && return 0
  start_simulator
  for _ in 1 2 3; do
    "$bin/tolm-cli" download --data-dir "$work/seed" --address 127.0.0.1 --port "$sim_port" \
      --registration F-SEED --erase --erase-deactivated --accept-incompatible > /dev/null 2>&1
  done
}

# The first shown window whose name matches the pattern, once there is one.
first_window() {
  local found
  found=$(xdotool search --sync --onlyvisible --name "$1")
  echo "${found%%$'\n'*}"
}

# Answers the window (a box, a dialog) with a key, as a person would.
press() {
  xdotool windowfocus --sync "$(first_window "$1")"
  xdotool key "$2"
}

use_data_dir() { printf '[General]\nDataDir=%s\n' "$1" > "$XDG_CONFIG_HOME/Quellwerk/Mirvak.conf"; }

probe_flights() {
  seed_raw_files
  echo "== tolm-cli flights --json (load: $(cut -d' ' -f1-3 /proc/loadavg))"
  printf '%-26s %12s %12s %12s %8s\n' "tree" "json s" "listing s" "json MB" "ratio"
  local files cut size tree run
  for size in 1000:0 4000:0 10000:0 4000:4000 4000:8000; do
    files=${size%%:*} cut=${size##*:}
    [ "$cut" -gt "$files" ] && files=$cut
    tree=$work/tree-$files-$cut
    bash "$tools/make-tree.sh" "$work/seed" "$tree" "$files" $((files / 10)) "$cut"
    "$probe/probe_listing" "$tree/Mirvak" > /dev/null 2>&1  # warm the page cache
    : > "$work/json" ; : > "$work/listing"
    for run in 1 2 3; do
      /usr/bin/time -f "%e %M" -a -o "$work/json" "$bin/tolm-cli" flights --json --data-dir "$tree" > /dev/null 2>&1 || true
      /usr/bin/time -f "%e" -a -o "$work/listing" "$probe/probe_listing" "$tree/Mirvak" > /dev/null 2>&1
    done
    local json listing memory
    json=$(awk '{print $1}' "$work/json" | median)
    memory=$(awk '{print $2}' "$work/json" | median)
    listing=$(median < "$work/listing")
    awk -v tree="$files files, $cut cut" -v json="$json" -v listing="$listing" -v memory="$memory" \
      'BEGIN { printf "%-26s %12s %12s %12.1f %8.2f\n", tree, json, listing, memory / 1024, json / listing }' 
    rm -rf "$tree"
  done
}

probe_startup() {
  seed_raw_files
  echo "== first start on 10 000 new aircraft folders (load: $(cut -d' ' -f1-3 /proc/loadavg))"
  local tree=$work/startup run
  bash "$tools/make-tree.sh" "$work/seed" "$tree" 10000 10000
  use_data_dir "$tree"
  : > "$work/window" ; : > "$work/bare"
  for run in 1 2 3; do
    rm -f "$tree/Mirvak/tolm.db"  # every run a first start: all folders are new to the database
    "$probe/probe_window" start Tolmarin "$bin/tolm-mirvak" --address 127.0.0.1 --port 9 >> "$work/window"
    "$probe/probe_window" start "Bare window" "$probe/probe_bare_window" >> "$work/bare"
  done
  local window bare
  window=$(median < "$work/window") bare=$(median < "$work/bare")
  awk -v window="$window" -v bare="$bare" \
    'BEGIN { printf "main window mapped after %d ms, bare window %d ms (ratio %.2f)\n", window, bare, window / bare }' 
  rm -rf "$tree"
}

# One session in the window, pressed through as a person would: OK on the
# note that the simulator's software is not the unit's, F5, Yes to go on with
# it, OK in the request, and OK on "Processing complete!". Prints the ping
# result of the window's event loop from F5 to the end of the session.
session_run() {
  local data=$work/session-data window stop=$work/stop
  rm -rf "$data" "$stop"
  mkdir -p "$data"
  use_data_dir "$data"
  strace -f --seccomp-bpf -e trace=fsync,fdatasync -e inject=fsync,fdatasync:delay_exit=10000 -o /dev/null \
    "$bin/tolm-mirvak" --address 127.0.0.1 --port "$sim_port" &
  local app=$!
  window=$(first_window 'Tolmarin.*2\.2\.0$')
  press '^ Tolmarin \(Tolm\) for Advanced Korvel $' Return
  "$probe/probe_window" ping "$window" "$stop" > "$work/ping" &
  local pinger=$!
  press 'Tolmarin.*2\.2\.0$' F5
  press '^ Tolm for Advanced Korvel $' y
  press 'Download/Erase$' Return
  first_window '^Download / Erase$' > /dev/null
  touch "$stop"
  wait "$pinger"
  press '^Download / Erase$' Return
  kill "$(pgrep -P "$app")" 2>/dev/null || true  # the window, which strace started
  wait "$app" 2>/dev/null || true
  cat "$work/ping"
}

# The same window, idle for as long as a session takes: the floor.
idle_run() {
  local stop=$work/stop window
  rm -f "$stop"
  "$bin/tolm-mirvak" --address 127.0.0.1 --port "$sim_port" &
  local app=$!
  window=$(first_window 'Tolmarin.*2\.2\.0$')
  press '^ Tolmarin \(Tolm\) for Advanced Korvel $' Return
  (sleep 6; touch "$stop") &
  "$probe/probe_window" ping "$window" "$stop"
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
}

probe_session() {
  echo "== download session, every flush 10 ms slower (load: $(cut -d' ' -f1-3 /proc/loadavg))"
  start_simulator
  local run
  for run in 1 2 3; do echo -n "session: "; session_run; done
  for run in 1 2 3; do echo -n "idle:    "; idle_run; done
}

for name in "${probes[@]}"; do
  "probe_$name"
done
