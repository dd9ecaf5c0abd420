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
if can_drop_override; then
    put "$src/locked.txt" secret
    chmod 000 "$src/locked.txt"
    put "$src/fresh.txt" fresh
    unprivileged 1 "unreadable file" "$src" "$dst" AUTORUN
    check "readable files still copied" grep -q fresh "$dst/data/fresh.txt"
    rm -f "$src/locked.txt"
else
    echo "skipped: unreadable-file case needs root and setpriv to drop the permission override"
fi

# A large copy, started in the background and caught while its temporary file exists.
big="$work/bigsrc"
mkdir -p "$big"
head -c $((400 * 1024 * 1024)) /dev/zero >"$big/large.bin"
put "$work/bigdst/bigsrc/large.bin" 'previous version' 2001-01-01

# SIGTERM in the middle: status 3, the old target intact, no partial file.
start "$big" "$work/bigdst" AUTORUN
catch_copy "$work/bigdst"
stop
stopped_copy "SIGTERM" "$work/bigdst" "$work/bigdst/bigsrc/large.bin"

# A run killed outright leaves no lock behind: the next run into the same target goes ahead.
start "$big" "$work/bigdst" AUTORUN
catch_copy "$work/bigdst"
kill -KILL "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
expect 0 "the run after a killed one" "$big" "$work/bigdst" AUTORUN

finish
