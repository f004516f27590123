#!/usr/bin/env bash
# check_package.sh BUILD_DIR PREFIX PROGRAM...: builds the Debian package of
# BUILD_DIR, shows its control data and contents, checks the installed layout
# (every program, the correction table beside them, the two documents under
# the names the Help menu opens, the desktop entry and icon, the links onto
# the PATH and the desktop), then unpacks it and starts the programs from the
# unpacked tree: mirvak-sim on 127.0.0.1, tolm-mirvak and tolm-cli --version, and
# tolm-mirvak offscreen against that simulator until it asks for part numbers.
set -uo pipefail
build=${1:?usage: check_package.sh BUILD_DIR PREFIX PROGRAM...}
prefix=$2
shift 2
programs=("$@")
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! cmake --build "$build" --target package >"$work/package.log" 2>&1; then
  cat "$work/package.log"
  echo "FAIL: the package could not be built"
  exit 1
fi
deb=$(ls -t "$build"/*.deb | head -1)
echo "== $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Depends
dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' >"$work/contents"
cat "$work/contents"

has() { grep -qxF -- "$1" "$work/contents" || fail "the package lacks $1"; }
for program in "${programs[@]}"; do
  has "./${prefix#/}/bin/$program"
  has "./usr/bin/$program -> $prefix/bin/$program"
done
has "./${prefix#/}/bin/correction_table.csv"
has "./${prefix#/}/doc/KDM-310-Rev3.pdf"
has "./${prefix#/}/doc/releasenotes.pdf"
for file in share/applications/tolm-mirvak.desktop share/icons/hicolor/scalable/apps/tolm-mirvak.svg; do
  has "./${prefix#/}/$file"
  has "./usr/$file -> $prefix/$file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6network6 libarchive13 libqt6sql6-sqlite xdg-utils; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "the package does not depend on $package"
done

dpkg-deb -x "$deb" "$work/root"
bin=$work/root$prefix/bin
for program in tolm-mirvak tolm-cli; do
  version=$("$bin/$program" --version 2>&1) || fail "$program --version ended with an error: $version"
  grep -q "2\.2\.0" <<<"$version" || fail "$program --version printed: $version"
done

"$bin/mirvak-sim" --listen 127.0.0.1 --port 0 --log "$work/requests.log" >/dev/null 2>"$work/sim.out" &
pids+=($!)
port=
for _ in $(seq 1 200); do
  port=$(sed -n 's/^Listening on port \([0-9]*\)\..*/\1/p' "$work/sim.out")
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  fail "the unpacked mirvak-sim did not start: $(cat "$work/sim.out")"
else
  mkdir -p "$work/home"
  HOME=$work/home XDG_CONFIG_HOME=$work/home/config TMPDIR=$work/home QT_QPA_PLATFORM=offscreen \
    "$bin/tolm-mirvak" --address 127.0.0.1 --port "$port" >"$work/station.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 300); do
    grep -q " CMD_PN " "$work/requests.log" 2>/dev/null && break
    sleep 0.1
  done
  grep -q " CMD_PN " "$work/requests.log" 2>/dev/null ||
    fail "the unpacked tolm-mirvak did not query the unpacked simulator: $(cat "$work/station.out")"
fi

[ $failures -eq 0 ] && echo "The package installs the layout and its programs start from the unpacked tree."
[ $failures -eq 0 ]
