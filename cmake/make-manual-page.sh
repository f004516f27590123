#!/bin/sh
# make-manual-page.sh SOURCE_DIR BIN_DIR PROGRAM SUMMARY OUTPUT [COMMAND...]:
# writes the manual page of PROGRAM from its own --help and --version, with a
# section of each COMMAND's `PROGRAM help COMMAND`, compressed as Debian wants
# it. The program is found on the PATH, so that its usage line names it
# without the build tree's path; the page is dated by the sources' last
# change, as the About box is, so the same sources give the same page.
set -eu
source_dir=$1 bin_dir=$2 program=$3 summary=$4 output=$5
shift 5
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && epoch=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null); then
  export SOURCE_DATE_EPOCH="$epoch"
fi
mkdir -p "$(dirname "$output")"
# A sanitized build's programs report the toolkit's leaks at exit; the page needs only their answers.
export PATH="$bin_dir:$PATH" ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
# help2man takes extra sections from a file: one per command's own help.
sections="${output%.1.gz}.commands"
echo "[COMMANDS]" > "$sections"
for command in "$@"; do
  printf '.SS %s\n' "$command" >> "$sections"
  # Backslashes and lines starting with a dot or quote would be read as roff;
  # the description is filled, the options and examples keep their columns.
  "$program" help "$command" | sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/" \
    | awk '/^Options:$/ && !kept { print ".PP"; print ".nf"; kept = 1 } { print } NR == 1 { print ".br" } END { if (kept) print ".fi" }' \
    >> "$sections"
done
help2man --no-info --section=1 --name="$summary" --include="$sections" --output="${output%.gz}" "$program"
rm -f "$sections"
gzip -9nf "${output%.gz}"
