#!/usr/bin/env bash
# Runs the user guide's tolm-cli examples against mirvak-sim on 127.0.0.1 and
# writes each command line with its output, as a person sees them on the
# terminal, into OUTDIR/<name>.md (a fenced block the guide includes), so the
# guide's examples are always those of the programs built beside it.
# The output is the same on every build: a temporary home and settings store
# shown as "~", a fixed clock and zone, the simulator's port kept in the
# settings store and never shown.
# The engine report's first flight page becomes a figure in FIGURES.
# Usage: cli-examples.sh TOLM-CLI MIRVAK-SIM OUTDIR FIGURES
set -euo pipefail
cli=$1 sim=$2 out=$3 figures=$4

work=$(mktemp -d)
mkdir -p "$out" "$work/home" "$work/settings/Quellwerk" "$work/tmp"
mkdir -m 700 "$work/runtime"
simpids=()
trap 'kill "${simpids[@]}" 2>/dev/null; wait "${simpids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

# start_sim LOG OPTION...: starts mirvak-sim on 127.0.0.1 and sets port to the port it listens on.
start_sim() {
  local log=$1
  shift
  : >"$log"  # the background job opens it later: sed must find it at once
  "$sim" --listen 127.0.0.1 --port 0 --erase-delay-ms 0 --reprog-delay-ms 0 "$@" >"$log" 2>&1 &
  local pid=$!
  simpids+=("$pid")
  port=
  for _ in $(seq 1 100); do
    port=$(sed -n 's/^Listening on port \([0-9]*\)\..*/\1/p' "$log")
    [ -n "$port" ] && return
    kill -0 "$pid" 2>/dev/null || { cat "$log" >&2; echo "mirvak-sim did not start" >&2; exit 1; }
    sleep 0.1
  done
  echo "mirvak-sim did not report its port (see $log)" >&2
  exit 1
}
start_sim "$out/mirvak-sim.log"

# The settings point at the simulator as they point at the unit on a
# technician's computer, so the examples need no --address or --port.
printf '[General]\nIP%%20Address=127.0.0.1\nPort=%s\n' "$port" >"$work/settings/Quellwerk/Mirvak.conf"
export HOME="$work/home" XDG_CONFIG_HOME="$work/settings" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp"
export TOLM_FIXED_CLOCK=2026-12-08T13:44:00 TZ=UTC LC_ALL=C.UTF-8 TERM=dumb
export PATH="$(cd "$(dirname "$cli")" && pwd):$PATH"
fixed_time=202612081344.30  # the download's files carry the fixed clock's time, which flights shows
engine=~/tolm-data/Mirvak/F-GABC_data/engine_4

# The temporary home reads "~". Lines wrap as on a terminal 80 columns wide,
# which is also what a page of the guide holds.
shown() {
  sed "s|$HOME|~|g" | fold -w 80
}

# example NAME LINE...: the lines run in one shell, each shown after "$ ".
example() {
  local name=$1
  shift
  {
    echo '```'
    (
      set +o pipefail  # "| head" ends a command early on purpose
      cd ~
      for line in "$@"; do
        printf '$ %s\n' "$line"
        eval "$line" 2>&1 || { echo "cli-examples: \"$line\" failed (status $?)" >&2; exit 1; }
      done
    ) | shown
    echo '```'
  } >"$out/$name.md.new"
  mv "$out/$name.md.new" "$out/$name.md"
}

example status 'tolm-cli status'
example download 'tolm-cli download --registration F-GABC --engine-type CFM56-5 \
    --accept-incompatible --erase'
touch -t "$fixed_time" "$engine"/*
example flights 'tolm-cli flights --json | head -n 15'
example export 'cd ~/tolm-data/Mirvak/F-GABC_data/engine_4' 'raw=ESNGHIJKLM-fd-20261208-1344.raw' \
  'tolm-cli export --out ~/export $raw:3 $raw@5'
example spectrum 'cd ~/tolm-data/Mirvak/F-GABC_data/engine_4' 'raw=ESNGHIJKLM-fd-20261208-1344.raw' \
  "tolm-cli spectrum \$raw:3 --bin 12 | sed -n '1p;64,68p'"
printf '%s\n' 1 2 3 4 5 6 7 8 >~/tolm-data/Mirvak/SW_uploads/614_207-000-2.dat
example upload 'cd ~/tolm-data/Mirvak/SW_uploads' \
  'echo tulip | tolm-cli upload --kind dsp --password-stdin \
    --accept-incompatible 614_207-000-2.dat'

# An engine whose vibration creeps up, on another aircraft: a second simulator
# plays it (--varied), downloaded and erased three times two weeks apart.
# These downloads are not shown; the index, trend and fleet examples read them.
start_sim "$out/mirvak-sim-varied.log" --varied 3
for day in 01 15 29; do
  TOLM_FIXED_CLOCK=2026-11-${day}T09:30:00 tolm-cli download --registration F-GXYZ --engine-type CFM56-5 \
    --engine-sn 778899 --accept-incompatible --erase --address 127.0.0.1 --port "$port" >/dev/null 2>&1 \
    || { echo "cli-examples: the download of 2026-11-$day failed" >&2; exit 1; }
done
example index 'tolm-cli index --rebuild'
example trend "tolm-cli trend --esn 778899 --parameter A4R --highest --csv \\
    | cut -d, -f1-3,6-8 | sed -n '1,4p;57,59p'"
example fleet 'tolm-cli fleet --json | head -n 26'
example report 'cd ~/tolm-data/Mirvak/F-GXYZ_data/engine_*' \
  'tolm-cli report ESN778899-fd-20261129-0930.raw --out ~/report.pdf'
mkdir -p "$figures"
# The first flight page within its margins (15 mm), at 70 dpi.
pdftoppm -png -r 70 -f 5 -l 5 -x 41 -y 41 -W 496 -H 661 -singlefile ~/report.pdf "$figures/engine-report-page"
