#!/usr/bin/env bash
# Without a display the program must never wait for a window: it says why and exits.
set -euo pipefail
exe="$1"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export TANDEMIX_HOME="$home"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

set +e
out=$(timeout 20 "$exe" 2>&1 </dev/null)
status=$?
set -e
if [ "$status" -ne 2 ]; then
    echo "expected exit status 2 without a display and without a command line, got $status"
    echo "$out"
    exit 1
fi
if ! grep -q "no display" <<<"$out"; then
    echo "expected a plain explanation on stderr, got: $out"
    exit 1
fi
# Start-up still prepared the program folder: the scratch folder exists.
if [ ! -d "$home/TXTEMP00" ]; then
    echo "TXTEMP00 was not created in the program folder"
    exit 1
fi
echo "1 passed, 0 failed"
