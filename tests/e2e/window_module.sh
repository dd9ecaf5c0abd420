#!/usr/bin/env bash
# With a display the executable loads the window module and the window stays open until it is
# closed; without the module it says so plainly instead of failing silently.
set -euo pipefail
exe="$1"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export TANDEMIX_HOME="$home"
set +e
QT_QPA_PLATFORM=offscreen timeout 4 "$exe" >"$home/out" 2>&1 </dev/null
status=$?
set -e
if [ "$status" -ne 124 ]; then
    echo "expected the window to stay open until the timeout (124), got $status"
    cat "$home/out"
    exit 1
fi
if grep -q "could not be loaded" "$home/out"; then
    cat "$home/out"
    exit 1
fi
# A copy of the executable without its module beside it explains what is missing.
cp "$exe" "$home/tandemix"
set +e
QT_QPA_PLATFORM=offscreen timeout 10 "$home/tandemix" >"$home/out" 2>&1 </dev/null
status=$?
set -e
if [ "$status" -ne 70 ] || ! grep -q "window module could not be loaded" "$home/out"; then
    echo "expected status 70 and a message without the module, got $status"
    cat "$home/out"
    exit 1
fi
echo "2 passed, 0 failed"
