#!/usr/bin/env bash
# Staying resident without a display: "-S" repeats on a schedule, "-R" runs when the source
# changes; SIGTERM ends either cleanly, and a source that goes away never starts a deleting run.
source "$(dirname "$0")/common.bash"
errlog="$TANDEMIX_HOME/TXError.LOG"

# The schedule: the first run at once, then resident until SIGTERM.
settings "$cfg"
pair
put "$src/a.txt" one
start "$src" "$dst" AUTORUN -S30
check "schedule: first run copies" waitfor 10 test -f "$dst/a.txt"
check "schedule: says it stays" waitfor 5 grep -q 'staying resident, running every 30 minutes' "$work/out"
sleep 1
check "schedule: still running after its run" alive
stop "schedule: SIGTERM ends it" 0
check "schedule: the log was closed" test "$(tail -c 2 "$log" | od -An -c | tr -d ' ')" = '\r\n'

# Changes: each one reaches the target, a burst of them as a whole.
pair
settings "$cfg" DeleteUnmatched=1 DeleteUnmatchedWarningDelay=0
put "$src/a.txt" one
put "$dst/keep/inside.txt" 'the source lacks this folder: the first run deletes it'
start "$src" "$dst" AUTORUN -R1
check "monitor: first run" waitfor 10 test -f "$dst/a.txt"
check "monitor: says it stays" waitfor 5 grep -q 'running when the source changes' "$work/out"
sleep 1.5 # the watcher starts at the first queue check
put "$src/b.txt" two
check "monitor: a new file is copied" waitfor 10 test -f "$dst/b.txt"
for i in $(seq 300); do printf 'x' >"$src/burst$i.txt"; done
check "monitor: a burst is copied whole" waitfor 15 test -f "$dst/burst300.txt"

# The source goes away while watched: the watcher stops and says so, nothing in the target goes.
rm -rf "$src"
check "monitor: the end of the watch is logged" waitfor 5 grep -q 'Stopped Monitoring Source Folder: it is no longer there' "$errlog"
check "monitor: and said" grep -q 'tandemix: Stopped Monitoring Source Folder' "$work/out"
sleep 2
check "monitor: nothing deleted after the source went" test -f "$dst/a.txt" -a -f "$dst/burst1.txt"
check "monitor: still resident" alive
stop "monitor: SIGTERM ends it" 0

# SIGTERM in the middle of a copy started by a change: status 3, the old target intact.
pair
settings "$cfg"
put "$dst/large.bin" 'previous version' 2001-01-01
start "$src" "$dst" AUTORUN -R1
waitfor 10 grep -q 'running when the source changes' "$work/out" || true
sleep 1.5
# Written beside the source and moved in: one change, and a file that stays as it is.
head -c $((300 * 1024 * 1024)) /dev/zero >"$work/large.bin"
mv "$work/large.bin" "$src/large.bin"
stopped_copy "copy" "$dst" "$dst/large.bin"

finish
