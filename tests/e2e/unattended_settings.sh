#!/usr/bin/env bash
# Settings reach an unattended run exactly as they reach the window: the exclusion list of the
# default settings file and of a -C file filters the run, a long -C path is read whole, and a
# -C file that cannot be read or is not a settings file refuses the run instead of running on
# the defaults.
set -euo pipefail
exe="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TANDEMIX_HOME="$work/home"
mkdir -p "$TANDEMIX_HOME"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
passed=0
failed=0
check() { # check NAME CONDITION...
    local name="$1"
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name"
        cat "$work/out"
    fi
}
run() { # run ARGS... ; sets status
    set +e
    timeout 120 "$exe" "$@" </dev/null >"$work/out" 2>&1
    status=$?
    set -e
}
settings() { # settings FILE EXCLUSION: a settings file excluding EXCLUSION, sub-folder option off
    printf '[Misc Options]\r\nCompile Date=July 23, 1997\r\n[File Options]\r\nCreateSubFolderOption=0\r\n[Exclude File List]\r\n0=%s\r\n' "$2" >"$1"
}
fresh_pair() {
    rm -rf "$work/src" "$work/dst"
    mkdir -p "$work/src" "$work/dst"
    printf 'keep\n' >"$work/src/notes.txt"
    printf 'bak\n' >"$work/src/report.bak"
    printf 'exe\n' >"$work/src/SETBAKER.EXE"
}

# The default settings file's exclusion list.
settings "$TANDEMIX_HOME/TXDef.CFG" "bak"
fresh_pair
run "$work/src" "$work/dst" AUTORUN
check "default settings: run exits 0" test "$status" -eq 0
check "default settings: plain file copied" test -f "$work/dst/notes.txt"
check "default settings: report.bak excluded" test ! -e "$work/dst/report.bak"
check "default settings: SETBAKER.EXE excluded" test ! -e "$work/dst/SETBAKER.EXE"

# A -C file with a path far longer than fifty characters.
rm -f "$TANDEMIX_HOME/TXDef.CFG"
deep="$work/settings/a-rather-long-folder-name-for-nightly-jobs/and-another-level"
mkdir -p "$deep"
settings "$deep/nightly-settings.cfg" "notes"
fresh_pair
run "$work/src" "$work/dst" "-C:$deep/nightly-settings.cfg"
check "long -C path: run exits 0" test "$status" -eq 0
check "long -C path: its exclusion applies" test ! -e "$work/dst/notes.txt"
check "long -C path: other files copied" test -f "$work/dst/report.bak"

# A -C file that is missing, or is no settings file: nothing runs, status 2.
printf 'just some text\n' >"$work/plain.txt"
for bad in "$work/missing.cfg" "$work/plain.txt"; do
    fresh_pair
    run "$work/src" "$work/dst" "-C:$bad"
    check "bad -C file $bad: status 2" test "$status" -eq 2
    check "bad -C file $bad: nothing copied" test -z "$(ls -A "$work/dst")"
    check "bad -C file $bad: says why" grep -q "not a settings file" "$work/out"
done

echo "$passed passed, $failed failed"
test "$failed" -eq 0
