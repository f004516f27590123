#!/usr/bin/env bash
# From outside the program, as a person meets it: the time from pressing F6 in
# the main window to the flight selection dialog being mapped, on data trees
# of 1000, 4000 and 10 000 raw files of 1000 aircraft, warm and out of cache,
# next to the floor (a stat of every raw file of the tree, warm and cold).
#
# Each aircraft has one sparse raw file of its own (header and date words
# written, the rest a hole) and its other raw files are hard links to it: no
# disk, distinct registrations. The first opening brings the flight index up
# to date; the ones measured find it so. Needs root for the out-of-cache runs
# (it drops the page cache). Run by hand, on an X display:
#   xvfb-run -a bench/probes/selection-probe.sh [build-bench/bin/tolm-mirvak] [sizes...]
set -euo pipefail
program=$(realpath "${1:-build-bench/bin/tolm-mirvak}")
shift || true
sizes=("${@:-1000 4000 10000}")
runs=3
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
pid=0

make_tree() {  # root files
  python3 - "$1" "$2" <<'PY'
import os, struct, sys
root, files = sys.argv[1], int(sys.argv[2])
aircraft, block, header = 1000, 278196, 640
for a in range(aircraft):
    reg = "T-%04d" % a
    directory = os.path.join(root, reg + "_data", "engine_1")
    os.makedirs(directory, exist_ok=True)
    source = os.path.join(directory, "ESN%d-fd-20260101-0000.raw" % a)
    with open(source, "wb") as f:
        head = bytearray(header)
        struct.pack_into("<I", head, 0, 0xAEEAAEED)
        head[4:4 + len(reg)] = reg.encode()
        struct.pack_into("<i", head, 40, 1)
        for slot in range(21):
            struct.pack_into("<i", head, 88 + 4 * slot, a * 21 + slot + 1)
            struct.pack_into("<i", head, 256 + 4 * slot, slot % 2)
            f.seek(header + slot * block + 278188)
            f.write(struct.pack("<HH", (10 + a % 15) << 9 | (1 + slot % 12) << 5 | 1 + slot % 28, slot << 11))
        f.seek(0)
        f.write(head)
        f.truncate(header + 21 * block)
    for n in range(1, files // aircraft):
        os.link(source, os.path.join(directory, "ESN%d-fd-20260101-%04d.raw" % (a, n)))
PY
}

floor_ms() {  # root: the listing's system calls alone
  python3 - "$1" <<'PY'
import os, sys, time
root = sys.argv[1]
t = time.perf_counter()
n = 0
for a in os.scandir(root):
    if a.is_dir() and a.name.endswith("_data"):
        for e in os.scandir(a.path):
            if e.is_dir() and e.name.startswith("engine_"):
                for r in os.scandir(e.path):
                    if r.name.endswith(".raw"):
                        os.stat(r.path); n += 1
print("%.1f" % ((time.perf_counter() - t) * 1000))
PY
}

drop_caches() { sync; echo 3 > /proc/sys/vm/drop_caches 2>/dev/null; }

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

# ms from F6 to the dialog mapped; the dialog is closed again (Escape) once its list is complete.
press_f6() {
  local start end
  xdotool windowfocus --sync "$main"
  start=$(date +%s%N)
  xdotool key F6
  until xdotool search --onlyvisible --name '^Data Selection Dialog$' >/dev/null 2>&1; do :; done
  end=$(date +%s%N)
  sleep "${settle:-1}"
  xdotool key Escape
  while xdotool search --onlyvisible --name '^Data Selection Dialog$' >/dev/null 2>&1; do sleep 0.05; done
  echo $(((end - start) / 1000000))
}

run_size() {
  local files=$1 home="$work/home-$1" root="$work/home-$1/tolm-data"
  mkdir -p "$root" "$home/.config/Quellwerk"
  make_tree "$root" "$files"
  printf '[General]\nDataDir=%s\nIpAddress=127.0.0.1\nPort=9\n' "$root" > "$home/.config/Quellwerk/Mirvak.conf"
  HOME=$home XDG_CONFIG_HOME=$home/.config "$program" --address 127.0.0.1 --port 9 >/dev/null 2>&1 &
  pid=$!
  main=$(xdotool search --sync --onlyvisible --name 'Tolm' | head -1)
  # No unit listens on port 9: the first attempt's "Error" box is closed, later attempts are quiet.
  local refused
  refused=$(xdotool search --sync --onlyvisible --name '^Error$' | head -1)
  xdotool windowfocus --sync "$refused" key Return
  while xdotool search --onlyvisible --name '^Error$' >/dev/null 2>&1; do sleep 0.05; done
  settle=${first_settle:-60} press_f6 >/dev/null  # indexes the tree
  local warm=() cold=() floors=() cold_floors=()
  for _ in $(seq $runs); do warm+=("$(press_f6)"); floors+=("$(floor_ms "$root")"); done
  if drop_caches; then
    for _ in $(seq $runs); do drop_caches; cold+=("$(settle=5 press_f6)"); drop_caches; cold_floors+=("$(floor_ms "$root")"); done
  fi
  local w f
  w=$(printf '%s\n' "${warm[@]}" | median); f=$(printf '%s\n' "${floors[@]}" | median)
  echo "$files files: F6 to dialog warm ${warm[*]} ms (median $w), stat floor ${floors[*]} ms (median $f), ratio $(awk -v a="$w" -v b="$f" 'BEGIN{printf "%.1f", a/b}')"
  if [ ${#cold[@]} -gt 0 ]; then
    echo "$files files: out of cache ${cold[*]} ms (median $(printf '%s\n' "${cold[@]}" | median)), stat floor ${cold_floors[*]} ms"
  else
    echo "$files files: out of cache not measured (no permission to drop caches)"
  fi
  kill "$pid"; wait "$pid" 2>/dev/null || true
}

echo "load: $(uptime)"
for files in ${sizes[@]}; do run_size "$files"; done
