#!/usr/bin/env bash
# Starts the program. Without a display the window cannot open, so the program is run
# unattended on a generated sample instead (see README).
set -euo pipefail
exe="$1"
shift || true
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$exe" "$@"
fi
exec "$(dirname "$0")/sample-run.sh" "$exe"
