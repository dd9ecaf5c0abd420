#!/usr/bin/env bash
# The built program, unattended, on trees made to lose data: a filter hiding a newer target, a
# case-only twin, a daylight-saving change, a linked target folder, overlapping folders, names
# like the copy's temporary files, a fifo in the source, a private folder, a negative size limit.
# Each case is what a user would try; each checks that nothing was lost or exposed.
source "$(dirname "$0")/common.bash"
cfg="$TANDEMIX_HOME/TXDef.CFG"

# A size filter must not hide a newer target twin from the decision.
settings "$cfg" MaxFileSize=100
pair
printf 'old small source\n' >"$src/a.txt"
touch -d '2001-01-01 12:00' "$src/a.txt"
head -c 677 /dev/urandom >"$dst/a.txt"
touch -d '2024-01-01 12:00' "$dst/a.txt"
cp "$dst/a.txt" "$work/newer"
run "$src" "$dst" AUTORUN
check "filter: run exits 0" test "$status" -eq 0
check "filter: the newer target is kept" cmp -s "$dst/a.txt" "$work/newer"
check "filter: nothing logged as added" test -z "$(grep 'Added: a.txt' "$log")"

# A case-only twin is updated under its own name, never doubled.
settings "$cfg"
pair
printf 'new report\n' >"$src/Report.TXT"
printf 'old report\n' >"$dst/report.txt"
touch -d '2020-01-01' "$dst/report.txt"
run "$src" "$dst" AUTORUN
check "case twin: run exits 0" test "$status" -eq 0
check "case twin: one file in the target" test "$(ls "$dst" | wc -l)" -eq 1
check "case twin: under its own name, with the new content" grep -q 'new report' "$dst/report.txt"

# Across the autumn daylight-saving change the decision is that of UTC.
pair
printf 'source\n' >"$src/early.txt"
printf 'target\n' >"$dst/early.txt"
TZ=UTC touch -d '2024-10-27 00:45:00' "$src/early.txt" # older than its target
TZ=UTC touch -d '2024-10-27 01:15:00' "$dst/early.txt"
printf 'source\n' >"$src/later.txt"
printf 'target\n' >"$dst/later.txt"
TZ=UTC touch -d '2024-10-27 01:50:00' "$src/later.txt" # an hour newer than its target
TZ=UTC touch -d '2024-10-27 00:50:00' "$dst/later.txt"
TZ=Europe/Berlin run "$src" "$dst" AUTORUN
check "dst: run exits 0" test "$status" -eq 0
check "dst: an older source never replaces a newer target" grep -q target "$dst/early.txt"
check "dst: a newer source is copied" grep -q source "$dst/later.txt"

# A link in the target is never written through.
pair
mkdir -p "$src/d" "$work/elsewhere"
printf 'x\n' >"$src/d/x.txt"
ln -s "$work/elsewhere" "$dst/d"
run "$src" "$dst" AUTORUN
check "linked folder: the run fails" test "$status" -eq 1
check "linked folder: nothing written through the link" test -z "$(ls -A "$work/elsewhere")"
check "linked folder: the link stays a link" test -L "$dst/d"

# Overlapping pairs and the root are refused before anything is written, the log included.
pair
printf 'x\n' >"$src/x.txt"
mkdir -p "$src/inner"
log_before=$(wc -c <"$log")
for case in "$src|$src/inner" "$src|$src" "$src/inner|$src" "/|$dst" "$src|/"; do
    run "${case%%|*}" "${case##*|}" AUTORUN
    check "overlap ${case}: status 2" test "$status" -eq 2
    check "overlap ${case}: says why" grep -q -e 'overlap' -e 'root cannot' "$work/out"
done
check "overlap: nothing nested" test -z "$(ls -A "$src/inner")"
check "overlap: the log is left alone" test "$(wc -c <"$log")" -eq "$log_before"

# Names like the copy's temporary files are the user's files like any other.
pair
printf 'report\n' >"$src/.report.AbC123.txpart"
printf 'keep\n' >"$dst/.keep.Zz9999.txpart"
run "$src" "$dst" AUTORUN
check "temp-like names: the source file is copied" test -f "$dst/.report.AbC123.txpart"
check "temp-like names: the user's target file is kept" test -f "$dst/.keep.Zz9999.txpart"

# A fifo in the source is said, not copied, and never hangs the run.
pair
mkfifo "$src/pipe"
printf 'y\n' >"$src/y.txt"
run "$src" "$dst" AUTORUN
check "fifo: run ends" test "$status" -ne 124
check "fifo: the file beside it is copied" test -f "$dst/y.txt"
check "fifo: said in the log" grep -q "Not a regular file: .*pipe" "$log"

# A private folder stays private in the target.
pair
mkdir -m 700 "$src/private"
printf 'secret\n' >"$src/private/s.txt"
mkdir -m 555 "$src/readonly"
printf 'r\n' >"$src/readonly/r.txt"
chmod 555 "$src/readonly"
run "$src" "$dst" AUTORUN
check "modes: run exits 0" test "$status" -eq 0
check "modes: a private folder is made private" test "$(stat -c %a "$dst/private")" = 700
check "modes: a read-only folder is filled, then made read-only" test "$(stat -c %a "$dst/readonly")" = 555
check "modes: its file arrived" test -f "$dst/readonly/r.txt"

# A negative maximum size is a limit, as the log's trailer says.
settings "$cfg" MaxFileSize=-5
pair
printf 'z\n' >"$src/z.txt"
run "$src" "$dst" AUTORUN
check "size -5: nothing copied" test ! -e "$dst/z.txt"
check "size -5: the trailer says so" grep -q 'Exclude Files >  -5' "$log"

finish
