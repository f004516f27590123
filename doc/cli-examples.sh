#!/usr/bin/env bash
# Runs the user guide's tolm-cli examples against mirvak-sim on 127.0.0.1 and
# writes each command line with its output, as a person sees them on the
# terminal, into OUTDIR/<name>.md (a fenced block the guide includes), so the
# guide's examples are always those of the programs built beside it.
# The output is the same on every build: a temporary home and settings store
# shown as "~", a fixed clock and zone, the simulator's port kept in the
# settings store and never shown.
# Usage: cli-examples.sh TOLM-CLI MIRVAK-SIM OUTDIR
set -euo pipefail
cli=$1 sim=$2 out=$3

work=$(mktemp -d)
simlog="$out/mirvak-sim.log"
mkdir -p "$out" "$work/home" "$work/settings/Quellwerk" "$work/tmp"
mkdir -m 700 "$work/runtime"
"$sim" --listen 127.0.0.1 --port 0 --erase-delay-ms 0 --reprog-delay-ms 0 >"$simlog" 2>&1 &
simpid=$!
trap 'kill "$simpid" 2>/dev/null; wait "$simpid" 2>/dev/null || true; rm -rf "$work"' EXIT

port=
for _ in $(seq 1 100); do
  port=$(sed -n 's/^Listening on port \([0-9]*\)\..*/\1/p' "$simlog")
  [ -n "$port" ] && break
  kill -0 "$simpid" 2>/dev/null || { cat "$simlog" >&2; echo "mirvak-sim did not start" >&2; exit 1; }
  sleep 0.1
done
[ -n "$port" ] || { echo "mirvak-sim did not report its port (see $simlog)" >&2; exit 1; }

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
