#!/usr/bin/env bash
# The built program run unattended, as cron or ssh would run it: no display, a folder pair and
# AUTORUN. Checks exit statuses, the copies and the log.
source "$(dirname "$0")/common.bash"

# A source tree with sub-folders, an older copy already in the target, and a newer one.
src="$work/data" # the target's last name differs: the run creates data/ inside it
dst="$work/backup"
put "$src/a.txt" 'new text'
put "$src/sub/b.txt" 'sub file' '2002-03-04 05:06:08'
put "$src/sub/deeper/c.txt" deep
put "$src/.hidden/d.txt" dot
: >"$src/empty.txt"
put "$dst/data/a.txt" old '2001-01-01 00:00:00'
put "$dst/data/keep.txt" 'target only'

expect 0 "first run" "$src" "$dst" AUTORUN
check "update replaced the older copy" cmp -s "$src/a.txt" "$dst/data/a.txt"
check "sub-folders copied to any depth" cmp -s "$src/sub/deeper/c.txt" "$dst/data/sub/deeper/c.txt"
check "hidden folder copied" cmp -s "$src/.hidden/d.txt" "$dst/data/.hidden/d.txt"
check "empty file copied" test -f "$dst/data/empty.txt"
check "target-only file kept" test -f "$dst/data/keep.txt"
check "modification time carried" test "$(stat -c %Y "$src/sub/b.txt")" = \
    "$(stat -c %Y "$dst/data/sub/b.txt")"
check "log has CR LF line ends" grep -q $'Synchronization Completed: .*\r$' "$log"
check "log counts four added" grep -q $'     4 Files added.\r' "$log"
check "log counts one updated" grep -q $'     1 Files updated.\r' "$log"
check "no temporary file left" test -z "$(find "$dst" -name '*.txpart')"

expect 0 "no-op run" "$src" "$dst" AUTORUN
check "no-op run adds nothing" grep -q $'     0 Files added.\r' <(tail -n 8 "$log")

# Nothing usable on the command line: a clear message and status 2, never a wait.
expect 2 "missing source" "$work/missing" "$dst" AUTORUN
expect 2 "relative source" relative/path "$dst" AUTORUN
check "a reason is printed" test -s "$work/out"

# A target another run is writing to is refused (status 1) and that run's log is left alone.
# The lock is held by this shell itself: a holder process of its own would pass the lock on
# to its children, and ending it would not end the lock.
exec 9<"$dst/data"
flock -x -n 9
log_before=$(wc -c <"$log")
run "$src" "$dst" AUTORUN
exec 9<&-
check "a busy target gives 1" test "$status" -eq 1
check "a busy target says so" grep -q 'Another run' "$work/out"
check "a busy target leaves the log alone" test "$(wc -c <"$log")" -eq "$log_before"

# An unreadable source file makes the run fail (status 1); the other files still arrive.
if command -v setpriv >/dev/null && [ "$(id -u)" -eq 0 ]; then
    put "$src/locked.txt" secret
    chmod 000 "$src/locked.txt"
    put "$src/fresh.txt" fresh
    # The program is run by setpriv for this one run; "$exe" in the arguments is still the program.
    exe=setpriv expect 1 "unreadable file" \
        --bounding-set=-dac_override,-dac_read_search --inh-caps=-all "$exe" "$src" "$dst" AUTORUN
    check "readable files still copied" grep -q fresh "$dst/data/fresh.txt"
    rm -f "$src/locked.txt"
else
    echo "skipped: unreadable-file case needs root and setpriv to drop the permission override"
fi

# A large copy, started in the background and caught (caught=1) while its temporary file exists:
# a named one in the target, or one without a name, which only the program's open files show.
start_large_copy() {
    "$exe" "$big" "$work/bigdst" AUTORUN </dev/null >"$work/out" 2>&1 &
    pid=$!
    caught=
    for _ in $(seq 1 800); do
        if ls -l "/proc/$pid/fd" 2>/dev/null | grep -q "$work/bigdst/.*(deleted)" \
            || [ -n "$(find "$work/bigdst" -name '*.txpart' 2>/dev/null)" ]; then
            caught=1
            break
        fi
        sleep 0.005
    done
}
big="$work/bigsrc"
mkdir -p "$big"
head -c $((400 * 1024 * 1024)) /dev/zero >"$big/large.bin"
put "$work/bigdst/bigsrc/large.bin" 'previous version' 2001-01-01

# SIGTERM in the middle: status 3, the old target intact, no partial file.
start_large_copy
kill -TERM "$pid" 2>/dev/null || true
status=0
wait "$pid" || status=$?
if [ -z "$caught" ]; then
    echo "skipped: the copy finished before its temporary file could be seen"
else
    check "stopped run exits 3" test "$status" -eq 3
    check "old target intact after a stop" grep -q 'previous version' "$work/bigdst/bigsrc/large.bin"
    check "no partial file after a stop" test -z "$(find "$work/bigdst" -name '*.txpart')"
    check "log says stopped" grep -q 'Synchronization Stopped: ' "$log"
fi

# A run killed outright leaves no lock behind: the next run into the same target goes ahead.
start_large_copy
kill -KILL "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
expect 0 "the run after a killed one" "$big" "$work/bigdst" AUTORUN

finish
