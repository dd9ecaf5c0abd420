#!/usr/bin/env bash
# Without a display the window cannot open. Say so plainly instead of failing, and show how
# the program runs unattended.
set -euo pipefail
exe="$1"
echo "No display found (DISPLAY is not set): the window cannot open here."
echo "Start it under a desktop session, or under a virtual display:  xvfb-run $exe"
echo "Unattended runs without a display:  $exe SOURCE TARGET AUTORUN"
exit 0
