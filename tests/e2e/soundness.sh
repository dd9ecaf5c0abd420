#!/usr/bin/env bash
# The built program, unattended, on trees made to lose data: a filter hiding a newer target, a
# case-only twin, a daylight-saving change, a linked target folder, overlapping folders, names
# like the copy's temporary files, a fifo in the source, a private folder, a negative size limit.
# Each case is what a user would try; each checks that nothing was lost or exposed.
source "$(dirname "$0")/common.bash"

# A size filter must not hide a newer target twin from the decision.
settings "$cfg" MaxFileSize=100
pair
put "$src/a.txt" 'old small source' '2001-01-01 12:00'
head -c 677 /dev/urandom >"$dst/a.txt"
touch -d '2024-01-01 12:00' "$dst/a.txt"
cp "$dst/a.txt" "$work/newer"
expect 0 filter "$src" "$dst" AUTORUN
check "filter: the newer target is kept" cmp -s "$dst/a.txt" "$work/newer"
check "filter: nothing logged as added" test -z "$(grep 'Added: a.txt' "$log")"

# A case-only twin is updated under its own name, never doubled.
settings "$cfg"
pair
put "$src/Report.TXT" 'new report'
put "$dst/report.txt" 'old report' 2020-01-01
expect 0 "case twin" "$src" "$dst" AUTORUN
check "case twin: one file in the target, under its own name" test "$(ls "$dst")" = report.txt
check "case twin: with the new content" grep -q 'new report' "$dst/report.txt"

# Across the autumn daylight-saving change the decision is that of UTC.
pair
put "$src/early.txt" source '2024-10-27 00:45:00 UTC' # older than its target
put "$dst/early.txt" target '2024-10-27 01:15:00 UTC'
put "$src/later.txt" source '2024-10-27 01:50:00 UTC' # an hour newer than its target
put "$dst/later.txt" target '2024-10-27 00:50:00 UTC'
TZ=Europe/Berlin expect 0 dst "$src" "$dst" AUTORUN
check "dst: an older source never replaces a newer target" grep -q target "$dst/early.txt"
check "dst: a newer source is copied" grep -q source "$dst/later.txt"

# A link in the target is never written through.
pair
put "$src/d/x.txt" x
mkdir -p "$work/elsewhere"
ln -s "$work/elsewhere" "$dst/d"
expect 1 "linked folder" "$src" "$dst" AUTORUN
check "linked folder: nothing written through the link" test -z "$(ls -A "$work/elsewhere")"
check "linked folder: the link stays a link" test -L "$dst/d"

# Overlapping pairs and the root are refused before anything is written, the log included.
pair
put "$src/x.txt" x
mkdir -p "$src/inner"
log_before=$(wc -c <"$log")
for case in "$src|$src/inner" "$src|$src" "$src/inner|$src" "/|$dst" "$src|/"; do
    expect 2 "overlap ${case}" "${case%%|*}" "${case##*|}" AUTORUN
    check "overlap ${case}: says why" grep -q -e 'overlap' -e 'root cannot' "$work/out"
done
check "overlap: nothing nested" test -z "$(ls -A "$src/inner")"
check "overlap: the log is left alone" test "$(wc -c <"$log")" -eq "$log_before"

# Names like the copy's temporary files are the user's files like any other.
pair
put "$src/.report.AbC123.txpart" report
put "$dst/.keep.Zz9999.txpart" keep
run "$src" "$dst" AUTORUN
check "temp-like names: the source file is copied" test -f "$dst/.report.AbC123.txpart"
check "temp-like names: the user's target file is kept" test -f "$dst/.keep.Zz9999.txpart"

# A fifo in the source is said, not copied, and never hangs the run.
pair
mkfifo "$src/pipe"
put "$src/y.txt" y
run "$src" "$dst" AUTORUN
check "fifo: run ends" test "$status" -ne 124
check "fifo: the file beside it is copied" test -f "$dst/y.txt"
check "fifo: said in the log" grep -q "Not a regular file: .*pipe" "$log"

# A private folder stays private in the target; a read-only one is filled, then made read-only.
pair
put "$src/private/s.txt" secret
put "$src/readonly/r.txt" r
chmod 700 "$src/private"
chmod 555 "$src/readonly"
expect 0 modes "$src" "$dst" AUTORUN
check "modes: a private folder is made private" test "$(stat -c %a "$dst/private")" = 700
check "modes: a read-only folder is made read-only" test "$(stat -c %a "$dst/readonly")" = 555
check "modes: its file arrived" test -f "$dst/readonly/r.txt"

# A negative maximum size is a limit, as the log's trailer says.
settings "$cfg" MaxFileSize=-5
pair
put "$src/z.txt" z
run "$src" "$dst" AUTORUN
check "size -5: nothing copied" test ! -e "$dst/z.txt"
check "size -5: the trailer says so" grep -q 'Exclude Files >  -5' "$log"

finish
