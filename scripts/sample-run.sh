#!/usr/bin/env bash
# Without a display the window cannot open. Instead of failing, show the program's main job on
# a small sample: build a source tree, synchronise it unattended into a target that already
# holds one older copy, and say what happened and where the log is.
set -euo pipefail
exe="$1"
sample=$(mktemp -d "${TMPDIR:-/tmp}/tandemix-sample.XXXXXX")
src="$sample/Projects"
dst="$sample/Backup"
export TANDEMIX_HOME="$sample/program"
mkdir -p "$src/letters" "$src/photos/2023" "$dst/Projects" "$TANDEMIX_HOME"

printf 'Shopping list\n' >"$src/notes.txt"
printf 'Dear Sam,\n' >"$src/letters/sam.txt"
printf 'Minutes of the meeting\n' >"$src/letters/minutes.txt"
head -c 20000 /dev/urandom >"$src/photos/2023/beach.jpg"
touch -d '2023-07-14 10:00:00' "$src/photos/2023/beach.jpg"
touch -d '2021-02-03 09:30:00' "$src/letters/sam.txt"
# One older copy is already in the target: the run updates it.
printf 'Shopping list (old)\n' >"$dst/Projects/notes.txt"
touch -d '2020-01-01 08:00:00' "$dst/Projects/notes.txt"

echo "No display found: the window cannot open here, so here is an unattended run on a sample."
echo "  source: $src"
echo "  target: $dst"
echo
echo "\$ tandemix \"$src\" \"$dst\" AUTORUN"
set +e
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" "$src" "$dst" AUTORUN
status=$?
set -e
echo
echo "Exit status: $status (0 completed, 1 failed, 2 nothing to run, 3 stopped)"
log="$TANDEMIX_HOME/Tandemix.Log"
if [ -f "$log" ]; then
    echo "What the run did (from its log):"
    grep -E 'Added:|Updated:|Creating Folder:|Files (added|updated|checked)' "$log" | tr -d '\r' | sed 's/^/  /'
    echo
    echo "The log is $log"
fi
echo "Start the window where there is a display, or under a virtual one:  xvfb-run $exe"
