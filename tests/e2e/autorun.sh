#!/usr/bin/env bash
# The built program run unattended, as cron or ssh would run it: no display, a folder pair and
# AUTORUN. Checks exit statuses, the copies and the log.
source "$(dirname "$0")/common.bash"

# A source tree with a sub-folder, an older copy already in the target, and a newer one.
src="$work/data" # the target's last name differs: the run creates data/ inside it
dst="$work/backup"
put "$src/a.txt" 'new text'
put "$src/sub/b.txt" 'sub file'
put "$dst/data/a.txt" old '2001-01-01 00:00:00'
put "$dst/data/keep.txt" 'target only'

expect 0 "first run" "$src" "$dst" AUTORUN
check "update replaced the older copy" cmp -s "$src/a.txt" "$dst/data/a.txt"
check "target-only file kept" test -f "$dst/data/keep.txt"
check "sub-folder copied" cmp -s "$src/sub/b.txt" "$dst/data/sub/b.txt"
check "log has CR LF line ends" grep -q $'Synchronization Completed: .*\r$' "$log"
check "no temporary file left" test -z "$(find "$dst" -name '*.txpart')"

# Nothing usable on the command line, or folders that overlap: a clear message and status 2,
# never a wait, and nothing written.
expect 2 "missing source" "$work/missing" "$dst" AUTORUN
check "a reason is printed" test -s "$work/out"
expect 2 "overlap" "$src" "$src/sub" AUTORUN
check "overlap: says why" grep -q 'overlap' "$work/out"
check "overlap: nothing nested" test ! -e "$src/sub/data"

# A target another run is writing to is refused.
busy "a busy target" "$dst/data" "$src" "$dst" AUTORUN

# A large copy, started in the background and caught while its temporary file exists.
big="$work/bigsrc"
mkdir -p "$big"
head -c $((400 * 1024 * 1024)) /dev/zero >"$big/large.bin"
put "$work/bigdst/bigsrc/large.bin" 'previous version' 2001-01-01

# SIGTERM in the middle: status 3, the old target intact, no partial file.
start "$big" "$work/bigdst" AUTORUN
stopped_copy "SIGTERM" "$work/bigdst" "$work/bigdst/bigsrc/large.bin"

# A run killed outright leaves no lock behind: the next run into the same target goes ahead.
start "$big" "$work/bigdst" AUTORUN
catch_copy "$work/bigdst"
kill -KILL "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
expect 0 "the run after a killed one" "$big" "$work/bigdst" AUTORUN

finish
