#!/usr/bin/env bash
# How the program starts: with a display it loads the window module and stays open until closed;
# without the module, or without a display and a command line, it says why and exits.
source "$(dirname "$0")/common.bash"

expect 2 "no display: never a wait"
check "no display: says why" grep -q "no display" "$work/out"
check "start-up still made the scratch folder" test -d "$TANDEMIX_HOME/TXTEMP00"

limit=4 QT_QPA_PLATFORM=offscreen expect 124 "the window stays open until closed"
check "the module loads" test -z "$(grep 'could not be loaded' "$work/out")"

cp "$exe" "$work/tandemix"
exe="$work/tandemix" limit=10 QT_QPA_PLATFORM=offscreen expect 70 "without its module"
check "without its module: says so" grep -q "window module could not be loaded" "$work/out"

finish
