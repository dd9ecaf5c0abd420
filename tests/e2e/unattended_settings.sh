#!/usr/bin/env bash
# Settings reach an unattended run exactly as they reach the window: the exclusion list of the
# default settings file and of a -C file filters the run, a negative size limit is a limit the
# log's trailer states, a long -C path is read whole, and a -C file that cannot be read refuses
# the run instead of running on the defaults.
source "$(dirname "$0")/common.bash"

fresh_pair() {
    pair
    put "$src/notes.txt" keep
    put "$src/report.bak" bak
}

settings "$TANDEMIX_HOME/TXDef.CFG" '[Exclude File List]' '0=bak'
fresh_pair
expect 0 "default settings" "$src" "$dst" AUTORUN
check "default settings: plain file copied" test -f "$dst/notes.txt"
check "default settings: report.bak excluded" test ! -e "$dst/report.bak"

settings "$TANDEMIX_HOME/TXDef.CFG" MaxFileSize=-5
fresh_pair
run "$src" "$dst" AUTORUN
check "size -5: nothing copied" test -z "$(ls -A "$dst")"
check "size -5: the trailer says so" grep -q 'Exclude Files >  -5' "$log"

# A -C file with a path far longer than fifty characters.
rm -f "$TANDEMIX_HOME/TXDef.CFG"
deep="$work/settings/a-rather-long-folder-name-for-nightly-jobs/and-another-level"
mkdir -p "$deep"
settings "$deep/nightly-settings.cfg" '[Exclude File List]' '0=notes'
fresh_pair
expect 0 "long -C path" "$src" "$dst" "-C:$deep/nightly-settings.cfg"
check "long -C path: its exclusion applies" test ! -e "$dst/notes.txt"
check "long -C path: other files copied" test -f "$dst/report.bak"

# A -C file that is missing: nothing runs, status 2.
fresh_pair
expect 2 "missing -C file" "$src" "$dst" "-C:$work/missing.cfg"
check "missing -C file: nothing copied" test -z "$(ls -A "$dst")"
check "missing -C file: says why" grep -q "not a settings file" "$work/out"

finish
