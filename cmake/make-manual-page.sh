#!/bin/sh
# make-manual-page.sh SOURCE_DIR BIN_DIR PROGRAM SUMMARY OUTPUT: writes the
# manual page of PROGRAM from its own --help and --version, compressed as
# Debian wants it. The program is found on the PATH, so that its usage line
# names it without the build tree's path; the page is dated by the sources'
# last change, as the About box is, so the same sources give the same page.
set -eu
source_dir=$1 bin_dir=$2 program=$3 summary=$4 output=$5
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && epoch=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null); then
  export SOURCE_DATE_EPOCH="$epoch"
fi
mkdir -p "$(dirname "$output")"
# A sanitized build's programs report the toolkit's leaks at exit; the page needs only their answers.
PATH="$bin_dir:$PATH" ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen \
  help2man --no-info --section=1 --name="$summary" --output="${output%.gz}" "$program"
gzip -9nf "${output%.gz}"
