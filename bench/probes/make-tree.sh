#!/usr/bin/env bash
# Builds a data tree of many raw files at no disk cost: hard links to a few
# real ones. Usage: make-tree.sh SEED_DIR DATA_DIR FILES AIRCRAFT [TRUNCATED]
# SEED_DIR holds raw files (*.raw, searched below it); the tree gets FILES
# links spread over AIRCRAFT aircraft folders of four engines, TRUNCATED of
# them links to one copy cut inside its fifth flight.
set -euo pipefail
seed=$1 data=$2 files=$3 aircraft=$4 truncated=${5:-0}
mapfile -t raws < <(find "$seed" -name '*.raw' | sort)
[ ${#raws[@]} -gt 0 ] || { echo "no raw files below $seed" >&2; exit 1; }
root=$data/Mirvak
mkdir -p "$root"
cut=$data/cut.raw
if [ "$truncated" -gt 0 ]; then
  cp "${raws[0]}" "$cut"
  # The header (640 bytes) and four whole flights of 278196 bytes, and a piece of the fifth.
  truncate -s $((640 + 4 * 278196 + 1000)) "$cut"
fi
for ((i = 0; i < files; i++)); do
  a=$((i % aircraft)) e=$((i / aircraft % 4 + 1))
  dir=$root/AC$(printf %05d $a)_data/engine_$e
  [ -d "$dir" ] || mkdir -p "$dir"
  source=${raws[i % ${#raws[@]}]}
  [ "$i" -lt "$truncated" ] && source=$cut
  ln "$source" "$dir/ESNX$(printf %05d $i)-fd-20261208-1200.raw"
done
