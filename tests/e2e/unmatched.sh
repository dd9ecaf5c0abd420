#!/usr/bin/env bash
# "Delete Unmatched" unattended, as a cron job meets it: what the source lacks goes, and an
# interrupt during the countdown deletes nothing. The guards are the core tests' to check.
source "$(dirname "$0")/common.bash"

settings "$cfg" DeleteUnmatched=1 DeleteUnmatchedWarningDelay=0
pair
put "$src/a.txt" same 2020-01-01
put "$dst/a.txt" same 2020-01-01
put "$dst/stale.txt" 'only in the target'
put "$dst/old/inside.txt" 'a folder the source lacks'
expect 0 "delete" "$src" "$dst" AUTORUN
check "delete: what the source lacks is gone" test ! -e "$dst/stale.txt" -a ! -e "$dst/old"
check "delete: the matched file stays" test -e "$dst/a.txt"

# SIGTERM during the countdown: nothing is deleted and the run says it was stopped.
settings "$cfg" DeleteUnmatched=1 DeleteUnmatchedWarningDelay=30
put "$dst/stale.txt" 'only in the target'
start "$src" "$dst" AUTORUN
waitfor 5 grep -q 'will be deleted in' "$work/out" || true
stop "countdown: the run ends as stopped" 3
check "countdown: it was shown" grep -q 'will be deleted in 30 seconds' "$work/out"
check "countdown: SIGTERM deletes nothing" test -e "$dst/stale.txt"

finish
