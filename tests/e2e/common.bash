# Sourced by the end-to-end scripts (named so the test glob skips it): the built program in $1, a
# scratch program folder, no display, and the helpers every scenario uses.
set -euo pipefail
exe="$1"
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
export TANDEMIX_HOME="$work/home"
mkdir -p "$TANDEMIX_HOME"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
log="$TANDEMIX_HOME/Tandemix.Log"
: >"$work/out"
passed=0
failed=0

check() { # check NAME CONDITION...: on failure shows what the last run printed
    local name="$1"
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name"
        sed 's/^/    /' "$work/out"
    fi
}

run() { # run ARGS...: sets status; a hang ends as 124 (after $limit seconds, if set)
    set +e
    timeout "${limit:-120}" "$exe" "$@" </dev/null >"$work/out" 2>&1
    status=$?
    set -e
}

expect() { # expect STATUS NAME ARGS...: a run and the check of its exit status
    local want="$1" name="$2"
    shift 2
    run "$@"
    check "$name: exits $want" test "$status" -eq "$want"
}

put() { # put FILE TEXT [DATE]: a file holding TEXT and a line end, its parents made, dated DATE
    mkdir -p "$(dirname "$1")"
    printf '%s\n' "$2" >"$1"
    if [ -n "${3:-}" ]; then touch -d "$3" "$1"; fi
}

settings() { # settings FILE [LINE...]: a settings file with sub-folder creation off, then LINEs
    local file="$1"
    shift
    {
        printf '[Misc Options]\r\nCompile Date=July 23, 1997\r\n[File Options]\r\nCreateSubFolderOption=0\r\n'
        for line in "$@"; do printf '%s\r\n' "$line"; done
    } >"$file"
}

pair() { # pair: fresh empty $src and $dst
    chmod -R u+rwx "$work/src" "$work/dst" 2>/dev/null || true
    rm -rf "$work/src" "$work/dst"
    mkdir -p "$work/src" "$work/dst"
    src="$work/src" dst="$work/dst"
}

finish() {
    echo "$passed passed, $failed failed"
    test "$failed" -eq 0
}
