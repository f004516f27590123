#!/usr/bin/env bash
# check_package.sh BUILD_DIR PROGRAM...: builds the Debian package of
# BUILD_DIR and runs lintian on it (any error or warning fails); then, as
# root, installs it with dpkg into a scratch root, checks the installed layout
# (the programs with the correction table beside them and links onto the
# PATH, the documents where the Help menu finds them, desktop entry, icon,
# manual pages, copyright and changelog), starts the installed programs
# (--version each; mirvak-sim on 127.0.0.1 and tolm-mirvak offscreen against
# it until it asks for part numbers), removes and purges the package, and
# checks that nothing of it remains and that a folder it does not own
# survives. Without root dpkg cannot install: the test is skipped (77).
set -uo pipefail
build=${1:?usage: check_package.sh BUILD_DIR PROGRAM...}
shift
programs=("$@")
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: installing the package into a scratch root with dpkg needs root"
  exit 77
fi
export PATH=$PATH:/usr/local/sbin:/usr/sbin:/sbin  # dpkg looks for ldconfig and friends there
work=$(mktemp -d)
pids=()
stop_programs() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  pids=()
}
trap 'stop_programs; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! cmake --build "$build" --target package >"$work/package.log" 2>&1; then
  cat "$work/package.log"
  echo "FAIL: the package could not be built"
  exit 1
fi
deb=$(ls -t "$build"/*.deb | head -1)
echo "== $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Maintainer Depends Recommends
dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }'

echo "== lintian"
lintian "$deb" >"$work/lintian" 2>&1
cat "$work/lintian"
grep -qE '^[EW]: ' "$work/lintian" && fail "lintian reports errors or warnings"
dpkg-deb -c "$deb" | grep -q ' \./opt/' && fail "the package installs into /opt"

root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/opt/other"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available" "$root/opt/other/kept"
list_root() { find "$root" -path "$root/var/lib/dpkg" -prune -o -print | sort; }
list_root >"$work/before"
dpkg_root() { dpkg --root="$root" --log="$work/dpkg.log" "$@" >>"$work/dpkg.out" 2>&1 || fail "dpkg $*: $(cat "$work/dpkg.out")"; }
dpkg_root --force-depends -i "$deb"

has() { [ -e "$root/$1" ] || fail "the installed package lacks /$1"; }
links() { [ "$(readlink "$root/$1")" = "$2" ] || fail "/$1 is not a link to $2"; }
for program in "${programs[@]}"; do
  has "usr/lib/tolm/bin/$program"
  links "usr/bin/$program" "../lib/tolm/bin/$program"
  has "usr/share/man/man1/$program.1.gz"
done
links usr/lib/tolm/doc ../../share/tolm/doc
for file in lib/tolm/bin/correction_table.csv lib/tolm/doc/KDM-310-Rev3.pdf lib/tolm/doc/releasenotes.pdf \
            share/applications/tolm-mirvak.desktop share/icons/hicolor/scalable/apps/tolm-mirvak.svg \
            share/doc/tolm/copyright share/doc/tolm/changelog.gz; do
  has "usr/$file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6network6 libarchive13 libqt6sql6-sqlite xdg-utils; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "the package does not depend on $package"
done

mkdir -p "$work/home"
run_installed() {
  HOME=$work/home XDG_CONFIG_HOME=$work/home/config TMPDIR=$work/home QT_QPA_PLATFORM=offscreen \
    "$root/usr/bin/$1" "${@:2}"
}
for program in "${programs[@]}"; do
  version=$(run_installed "$program" --version 2>&1) || fail "$program --version ended with an error: $version"
  grep -qx "$program 2\.2\.0" <<<"$version" || fail "$program --version printed: $version"
done

: >"$work/sim.out"  # there before the port is read from it
run_installed mirvak-sim --listen 127.0.0.1 --port 0 --log "$work/requests.log" >/dev/null 2>"$work/sim.out" &
pids+=($!)
port=
for _ in $(seq 1 200); do
  port=$(sed -n 's/^Listening on port \([0-9]*\)\..*/\1/p' "$work/sim.out")
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  fail "the installed mirvak-sim did not start: $(cat "$work/sim.out")"
else
  run_installed tolm-mirvak --address 127.0.0.1 --port "$port" >"$work/station.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 300); do
    grep -q " CMD_PN " "$work/requests.log" 2>/dev/null && break
    sleep 0.1
  done
  grep -q " CMD_PN " "$work/requests.log" 2>/dev/null ||
    fail "the installed tolm-mirvak did not query the installed simulator: $(cat "$work/station.out")"
fi
stop_programs

dpkg_root -r tolm
dpkg_root -P tolm
list_root | diff "$work/before" - >"$work/left" || fail "purging the package left or removed: $(cat "$work/left")"

[ $failures -eq 0 ] && echo "The package is lintian clean, installs its layout, its programs start and a purge removes it."
[ $failures -eq 0 ]
