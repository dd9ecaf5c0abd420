#!/usr/bin/env bash
# A batch file run unattended from the command line: each row with its own options, a row's
# items kept by its own settings never deleted by a later row, a damaged row refused whole, and
# the worst row deciding the exit status.
source "$(dirname "$0")/common.bash"
settings "$cfg"

job() { printf 'Nightly\r\n' >"$TANDEMIX_HOME/JOB.SNC"; } # job: a new batch file, its rows to follow
row() { # row N SOURCE TARGET INCLUDE DELETE: a row carrying its options (every attribute on)
    local cells=("$1" "$2" ">" "$3" 167 3 "" "" "" -1 0 -1 -1 "$4" "" 0 0 0 0 -1 0 "" Tandemix.Log "" 0 0 0 "$5" 0 0 "" "" "" "")
    { printf '%s\t' "${cells[@]}" && printf '\r\n'; } >>"$TANDEMIX_HOME/JOB.SNC"
}

b="$work/b"
put "$b/s1/a.txt" a
put "$b/d1/keep.txt" 'row 1 deletes nothing'
put "$b/s2/b.txt" b
put "$b/s2/c.doc" c
put "$b/d2/stale.doc" 'row 2 deletes what its source lacks'
job
row 1 "$b/s1" "$b/d1" '*.*' 0
row 2 "$b/s2" "$b/d2" '*.doc' -1
expect 0 "batch" JOB.SNC AUTORUN
check "batch: row 1 copied with its own mask" test -e "$b/d1/a.txt"
check "batch: row 2 copied only its own mask" test -e "$b/d2/c.doc" -a ! -e "$b/d2/b.txt"
check "batch: row 2 deleted what its source lacks" test ! -e "$b/d2/stale.doc"
check "batch: row 1's items are not row 2's to delete" test -e "$b/d1/keep.txt"

# A row with a TAB in a folder name cannot be read whole: it is refused and the others run; a
# row whose folder is missing fails the run, after the rows that could run.
put "$b/s1/later.txt" later
job
row 1 "$b/s1" "$b/d1" '*.*' 0
row 2 "$b/s2"$'\t'"x" "$b/d2" '*.*' -1
row 3 "$b/missing" "$b/d2" '*.*' -1
expect 1 "damaged batch" JOB.SNC AUTORUN
check "damaged batch: the damaged line is named" grep -q 'Line 3 of the batch file was not read' "$work/out"
check "damaged batch: the good row ran" test -e "$b/d1/later.txt"
check "damaged batch: nothing deleted for the refused rows" test -e "$b/d2/c.doc"

# Rows may share a target without keeping each other out; another run writing into one of
# them keeps the whole batch out, before anything is written.
job
row 1 "$b/s1" "$b/d1" '*.*' 0
row 2 "$b/s2" "$b/d1" '*.*' 0
expect 0 "shared target" JOB.SNC AUTORUN
check "shared target: both rows copied into it" test -e "$b/d1/b.txt" -a -e "$b/d1/a.txt"
put "$b/s2/new.txt" new
busy "busy target: the batch" "$b/d1" JOB.SNC AUTORUN
check "busy target: nothing was copied" test ! -e "$b/d1/new.txt"

finish
