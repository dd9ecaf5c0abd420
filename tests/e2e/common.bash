# Sourced by the end-to-end scripts (named so the test glob skips it) and the package test: the
# built program in $1, a scratch program folder, no display, and the helpers every scenario uses.
set -euo pipefail
exe="$1"
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
export TANDEMIX_HOME="$work/home"
mkdir -p "$TANDEMIX_HOME"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
log="$TANDEMIX_HOME/Tandemix.Log"
cfg="$TANDEMIX_HOME/TXDef.CFG"
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

busy() { # busy NAME DIR ARGS...: a run refused (status 1) while another holds the lock of DIR
    local name="$1"       # (held by this shell itself: a holder process of its own would pass
    exec 9<"$2"           # the lock on to its children, and ending it would not end the lock)
    flock -x -n 9
    shift 2
    run "$@"
    exec 9<&-
    check "$name: refused with 1" test "$status" -eq 1
    check "$name: says so" grep -q 'Another run' "$work/out"
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

start() { # start ARGS...: the program in the background, its pid in $pid
    "$exe" "$@" </dev/null >"$work/out" 2>&1 &
    pid=$!
}

waitfor() { # waitfor SECONDS CONDITION...: true once CONDITION holds
    local tries=$(($1 * 20))
    shift
    for _ in $(seq "$tries"); do
        if "$@"; then return 0; fi
        sleep 0.05
    done
    return 1
}

alive() { kill -0 "$pid" 2>/dev/null; }

stop() { # stop [NAME WANT]: SIGTERM, the exit status in $status (124: not ended in 5 s), checked
    kill -TERM "$pid" 2>/dev/null || true
    if waitfor 5 eval '! alive'; then
        status=0
        wait "$pid" || status=$?
    else
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        status=124
    fi
    if [ $# -gt 0 ]; then check "$1: exits $2" test "$status" -eq "$2"; fi
}

catch_copy() { # catch_copy DIR: caught=1 once $pid holds a temporary file in DIR, named or not
    caught=                    # (one without a name only the program's open files show)
    for _ in $(seq 2000); do
        if ls -l "/proc/$pid/fd" 2>/dev/null | grep -q "$1/.*(deleted)" \
            || [ -n "$(find "$1" -name '*.txpart' 2>/dev/null)" ]; then
            caught=1
            return
        fi
        sleep 0.005
    done
}

stopped_copy() { # stopped_copy NAME DIR FILE: the copy into DIR, caught and stopped, ends as it should
    catch_copy "$2"
    stop
    if [ -z "$caught" ]; then
        echo "skipped: $1: the copy finished before its temporary file could be seen"
        return
    fi
    check "$1: a stopped run exits 3" test "$status" -eq 3
    check "$1: old target intact" grep -q 'previous version' "$3"
    check "$1: no partial file" test -z "$(find "$2" -name '*.txpart')"
    check "$1: log says stopped" grep -q 'Synchronization Stopped: ' "$log"
}

finish() {
    echo "$passed passed, $failed failed"
    test "$failed" -eq 0
}
