#!/usr/bin/env bash
# "Delete Unmatched" unattended, as a cron job meets it: what the source lacks goes, an interrupt
# during the countdown deletes nothing, and an empty source (an unmounted drive) deletes nothing.
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
stop
check "countdown: it was shown" grep -q 'will be deleted in 30 seconds' "$work/out"
check "countdown: SIGTERM deletes nothing" test -e "$dst/stale.txt"
check "countdown: the run ends as stopped" test "$status" -eq 3

# An empty source folder beside a full target is how an unmounted drive looks: refused.
settings "$cfg" DeleteUnmatched=1 DeleteUnmatchedWarningDelay=0
pair
put "$dst/photo.jpg" 'the only copy left'
expect 1 "empty source" "$src" "$dst" AUTORUN
check "empty source: nothing deleted" test -e "$dst/photo.jpg"
check "empty source: the reason is printed" grep -q 'source folder is empty' "$work/out"

# A source sub-folder the run may not read protects its whole target sub-tree.
if can_drop_override; then
    settings "$cfg" DeleteUnmatched=1 DeleteUnmatchedWarningDelay=0 MassDeletionGuard=0
    pair
    put "$src/a.txt" a
    put "$src/private/mine.txt" mine
    put "$dst/a.txt" a
    put "$dst/private/mine.txt" mine
    put "$dst/private/only-copy.txt" 'not in the source any more, or was it?'
    chmod 000 "$src/private"
    unprivileged 1 "unreadable folder" "$src" "$dst" AUTORUN
    chmod 755 "$src/private"
    check "unreadable folder: its target twin keeps everything" test -e "$dst/private/only-copy.txt"
else
    echo "skipped: unreadable-folder case needs root and setpriv to drop the permission override"
fi

# Replication makes the target a copy of a random tree, whatever the filters say.
settings "$cfg" DeleteUnmatched=1 ReplicateFolders=1 DeleteUnmatchedWarningDelay=0 \
    IncludeString='*.doc' CheckHidden=0 '[Exclude File List]' '0=.bak;'
pair
RANDOM=7
for n in $(seq 60); do
    dir="$src/d$((RANDOM % 5))/e$((RANDOM % 3))"
    case $((n % 4)) in
    0) name=".hidden$n" ;;
    1) name="file$n.bak" ;;
    *) name="file$n.txt" ;;
    esac
    put "$dir/$name" "content $n $RANDOM"
done
cp -a "$src/d1" "$dst/d1" # part of it there already
for n in $(seq 8); do put "$dst/junk$((n % 3))/old$n.txt" "left over $n"; done
put "$dst/d1/stale.txt" 'gone from the source'
expect 0 "replicate" "$src" "$dst" AUTORUN
check "replicate: the target is a copy of the source" diff -r --no-dereference "$src" "$dst"

finish
